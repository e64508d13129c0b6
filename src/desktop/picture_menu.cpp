#include "desktop/picture_menu.h"

#include "desktop/scene_panel.h"
#include "desktop/stay_on_top.h"

#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QImageWriter>
#include <QMenu>
#include <QMessageBox>
#include <QSaveFile>
#include <QStandardPaths>

namespace miravel::desktop {

QString suggestedPicturePath(const QString& folder, const QDateTime& taken) {
    return QDir(folder).filePath(QStringLiteral("miravel-") + taken.toString(QStringLiteral("yyyyMMdd-HHmmss")) +
                                 QStringLiteral(".png"));
}

QString pictureFolder() {
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    return !pictures.isEmpty() && QDir(pictures).exists() ? pictures : QDir::homePath();
}

QString writePicture(const QImage& picture, const QString& path) {
    // Written beside the file and renamed over it at the end, so a full
    // disk or a failed write leaves any file of that name as it was.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return file.errorString();
    QImageWriter writer(&file, "png");
    if (!writer.write(picture)) return file.error() != QFileDevice::NoError ? file.errorString() : writer.errorString();
    // The last of the picture reaches the disk as the file is flushed, and
    // commit() would rename the file into place even when that failed: a
    // full disk must be found here. Unflushed and uncommitted, the file is
    // removed as it goes.
    if (!file.flush() || !file.commit()) return file.errorString();
    return {};
}

QMenu& PictureMenu::menu() {
    if (menu_) return *menu_;
    menu_ = new QMenu(&panel_);
    menu_->setObjectName(QStringLiteral("pictureMenu"));
    menu_->setTitle(QStringLiteral("Picture"));
    menu_->setAccessibleName(QStringLiteral("Picture"));
    // The keys are the window's own (MainWindow); shown here so they are found.
    QAction* copy = menu_->addAction(QStringLiteral("Copy picture"), [this] { this->copy(); });
    copy->setShortcut(QKeySequence::Copy);
    QAction* save = menu_->addAction(QStringLiteral("Save picture..."), [this] { this->save(); });
    save->setShortcut(QKeySequence::Save);
    menu_->addSeparator();
    QAction* onTop = menu_->addAction(QStringLiteral("Stay on top"));
    onTop->setObjectName(QStringLiteral("stayOnTop"));
    onTop->setCheckable(true);
    onTop->setEnabled(canStayOnTop());
    QObject::connect(onTop, &QAction::toggled, menu_, [this](bool on) { setStaysOnTop(*panel_.window(), on); });
    // The window manager may have changed it from its own menu meanwhile.
    QObject::connect(menu_, &QMenu::aboutToShow, menu_, [this, onTop] {
        const QSignalBlocker quiet(onTop);
        onTop->setChecked(staysOnTop(*panel_.window()));
    });
    return *menu_;
}

void PictureMenu::popup(QPoint global) { menu().popup(global); }

void PictureMenu::copy() { QGuiApplication::clipboard()->setImage(panel_.picture()); }

void PictureMenu::save() {
    // The picture of the moment the user asked, not of when the dialog closes.
    const QImage picture = panel_.picture();
    auto* dialog = new QFileDialog(panel_.window(), QStringLiteral("Save picture"),
                                   suggestedPicturePath(pictureFolder(), QDateTime::currentDateTime()),
                                   QStringLiteral("PNG images (*.png)"));
    dialog->setObjectName(QStringLiteral("saveDialog"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setDefaultSuffix(QStringLiteral("png"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QWidget* window = panel_.window();
    QObject::connect(dialog, &QFileDialog::fileSelected, window, [window, picture](const QString& path) {
        const QString failure = writePicture(picture, path);
        if (failure.isEmpty()) return;
        auto* message = new QMessageBox(QMessageBox::Warning, QStringLiteral("Miravel"),
                                        QStringLiteral("The picture could not be saved to \u201c%1\u201d: %2.")
                                            .arg(QDir::toNativeSeparators(path), failure),
                                        QMessageBox::Ok, window);
        message->setObjectName(QStringLiteral("saveFailed"));
        message->setAttribute(Qt::WA_DeleteOnClose);
        message->open();
    });
    dialog->open();
}

} // namespace miravel::desktop
