#include "desktop/scene_list.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QWheelEvent>

namespace miravel::desktop {

SceneList::SceneList(QWidget* parent) : QComboBox(parent) {
    setEditable(false);
    // A click or Return in the open list, and the arrow keys on the closed one.
    connect(this, &QComboBox::activated, this, &SceneList::chosen);
    // The view is a whole hidden window of list machinery: it is made when
    // the list first opens, or once an assistive technology listens.
    if (QAccessible::isActive()) watchSelection();
    QAccessible::installActivationObserver(this);
}

SceneList::~SceneList() { QAccessible::removeActivationObserver(this); }

void SceneList::accessibilityActiveChanged(bool active) {
    if (active) watchSelection();
}

// An assistive technology's action on an entry only selects it in the list's
// view, which the toolkit takes for a highlight. With the list closed nothing
// else selects there, so that selection is the choice.
void SceneList::watchSelection() {
    if (watching_) return;
    watching_ = true;
    connect(view()->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected) { takeSelection(selected); });
}

void SceneList::showPopup() {
    // Opening selects the current entry in the view: that is no choice.
    opening_ = true;
    QComboBox::showPopup();
    opening_ = false;
}

void SceneList::takeSelection(const QItemSelection& selected) {
    if (opening_ || view()->isVisible() || selected.indexes().isEmpty()) return;
    const int index = selected.indexes().first().row();
    // Left unselected, so that the same action on the same entry chooses it
    // again instead of toggling it off.
    view()->selectionModel()->clearSelection();
    choose(index);
}

void SceneList::choose(int index) {
    setCurrentIndex(index);
    emit chosen(index);
}

void SceneList::wheelEvent(QWheelEvent* event) { event->ignore(); }

} // namespace miravel::desktop
