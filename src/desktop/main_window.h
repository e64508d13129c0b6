#pragma once

#include "desktop/scene_list.h"
#include "desktop/scene_panel.h"
#include "scene/form1.h"

#include <QPushButton>
#include <QWidget>

#include <map>

namespace miravel::desktop {

// The window, made from the form's controls that sit on it: the scene panel,
// a push button for each button, the list, each at its place in the layout,
// tabbing in TabIndex order. What a user does with them the session turns
// into the model's events. A focused button is pressed by Space, Return or
// Enter. Ctrl+C copies the panel's picture and Ctrl+S saves it, wherever the
// focus is.
class MainWindow : public QWidget {
    Q_OBJECT
public:
    explicit MainWindow(const Form1& form, QWidget* parent = nullptr);

    ScenePanel& panel() { return *panel_; }
    // The widget made for a button of the form, and for its list.
    QPushButton& button(const forms::CommandButton& control) { return *buttons_.at(&control); }
    SceneList& list(const forms::ComboBox& control) { return *lists_.at(&control); }

    // The model reported a change: an area in twips inside container (none: the window).
    void repaint(const forms::PictureBox* container, const forms::TwipRect& area);

signals:
    // The user closed the window by its frame.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPushButton* makeButton(const forms::CommandButton& button);
    SceneList* makeList(const forms::ComboBox& list);

    const Form1& form_;
    ScenePanel* panel_ = nullptr;
    std::map<const forms::CommandButton*, QPushButton*> buttons_;
    std::map<const forms::ComboBox*, SceneList*> lists_;
};

// The window icon: the form's 32 x 32 picture, and a copy twice as large for
// taskbars that show it so. The window system is sent every size as plain
// pixels, four bytes each, and desktops that show it larger still take the
// installed icons; a 256-pixel copy here cost a megabyte at start.
QIcon windowIcon(const forms::Picture& picture);

} // namespace miravel::desktop
