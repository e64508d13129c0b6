#pragma once

#include <QDateTime>
#include <QImage>
#include <QPoint>
#include <QString>

class QMenu;
class QWidget;

namespace miravel::desktop {

class ScenePanel;

// The panel's menu: copy the picture, save it, keep the window on top. It,
// the file dialog and the clipboard are made the first time they are used:
// a person who never asks for them pays nothing for them.
class PictureMenu {
public:
    explicit PictureMenu(ScenePanel& panel) : panel_(panel) {}

    // Opens the menu at a point on the screen.
    void popup(QPoint global);

    // What the panel's inner area shows now, one image pixel a device pixel,
    // on the clipboard.
    void copy();
    // The same picture, to a PNG file the user names. The dialog does not
    // hold the program up: the scenes go on while it is open.
    void save();

private:
    QMenu& menu();

    ScenePanel& panel_;
    QMenu* menu_ = nullptr;
};

// Where the file dialog first proposes to save a picture taken at a moment:
// miravel-YYYYMMDD-HHMMSS.png in folder.
QString suggestedPicturePath(const QString& folder, const QDateTime& taken);

// The user's Pictures folder, or home where there is none.
QString pictureFolder();

// Writes the picture as a PNG, whole or not at all. Empty on success, else
// the system's reason ("Permission denied").
QString writePicture(const QImage& picture, const QString& path);

} // namespace miravel::desktop
