#pragma once

#include <QAccessible>
#include <QComboBox>
#include <QItemSelection>

namespace miravel::desktop {

// The list of scenes (SelectBg). Whatever way the user picks an entry, by the
// mouse, the keyboard or an assistive technology's action on a list item, it
// is one `chosen`, also when the entry was already the chosen one. The mouse
// wheel over the closed list only scrolls past it: turning it must not
// switch scenes.
class SceneList : public QComboBox, private QAccessible::ActivationObserver {
    Q_OBJECT
public:
    explicit SceneList(QWidget* parent = nullptr);
    ~SceneList() override;

    void showPopup() override;
    // Chooses an entry as a person's pick of it does.
    void choose(int index);

signals:
    void chosen(int index);

protected:
    void wheelEvent(QWheelEvent* event) override;

private:
    void accessibilityActiveChanged(bool active) override;
    void watchSelection();
    void takeSelection(const QItemSelection& selected);

    bool opening_ = false;
    bool watching_ = false;
};

} // namespace miravel::desktop
