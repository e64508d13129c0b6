#pragma once

#include "desktop/scene_list.h"
#include "desktop/scene_panel.h"
#include "scene/form1.h"

#include <QPushButton>
#include <QWidget>

#include <functional>

namespace miravel::desktop {

// The window: fixed size, the scene panel, the three buttons and the list,
// each at its place in the layout, tabbing in TabIndex order. A user's press
// or choice becomes the model's event, run through `perform` so that errors
// are reported and the clock re-armed in one place. A focused button is
// pressed by Space, Return or Enter.
class MainWindow : public QWidget {
    Q_OBJECT
public:
    using Perform = std::function<void(const std::function<void()>&)>;

    MainWindow(Form1& form, Perform perform, QWidget* parent = nullptr);

    ScenePanel& panel() { return *panel_; }
    QPushButton& clearButton() { return *clear_; }
    QPushButton& timeButton() { return *time_; }
    QPushButton& endButton() { return *end_; }
    SceneList& sceneList() { return *scenes_; }

    // The model reported a change: an area in twips inside container (none: the window).
    void repaint(const forms::PictureBox* container, const forms::TwipRect& area);

signals:
    // The user closed the window by its frame.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QPushButton* makeButton(const forms::CommandButton& button);

    Form1& form_;
    Perform perform_;
    ScenePanel* panel_ = nullptr;
    QPushButton* clear_ = nullptr;
    QPushButton* time_ = nullptr;
    QPushButton* end_ = nullptr;
    SceneList* scenes_ = nullptr;
};

// The window icon: the form's 32 x 32 picture, and copies scaled up by whole
// pixels for desktops that show it large.
QIcon windowIcon(const forms::Picture& picture);

} // namespace miravel::desktop
