#include "desktop/main_window.h"

#include "binding/panel_plan.h"
#include "desktop/geometry.h"
#include "desktop/palette_colour.h"
#include "desktop/pixel_scale.h"
#include "desktop/window_size.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCloseEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QPixmap>
#include <QStyle>
#include <QStyleOptionComboBox>

#include <algorithm>
#include <utility>
#include <vector>

namespace miravel::desktop {

namespace {

// Buttons are 17 pixels high: the desktop's usual font would clip the captions.
constexpr int ButtonFontPixels = 11;
constexpr int ListFontPixels = 11;
constexpr int SmallestListFontPixels = 8;

// The list is 97 pixels wide: the font shrinks, within reason, until the
// longest entry shows whole in the closed list, so a choice can be read.
QFont listFont(const forms::ComboBox& list, QFont font, const QStyle& style) {
    QStyleOptionComboBox option;
    option.rect = QRect(QPoint(0, 0), toQRect(list.area()).size());
    option.editable = false;
    const int room = style.subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField).width();
    const auto fits = [&](const QFontMetrics& metrics) {
        const auto items = list.items();
        return std::all_of(items.begin(), items.end(), [&](std::string_view item) {
            return metrics.horizontalAdvance(QString::fromUtf8(item.data(), static_cast<qsizetype>(item.size()))) <= room;
        });
    };
    for (int pixels = ListFontPixels; pixels >= SmallestListFontPixels; --pixels) {
        font.setPixelSize(pixels);
        if (fits(QFontMetrics(font))) break;
    }
    return font;
}

// A window to assistive technologies; the toolkit makes a bare top-level
// widget a filler.
QAccessibleInterface* windowAccessible(const QString& className, QObject* object) {
    auto* window = qobject_cast<MainWindow*>(object);
    if (!window || className != QLatin1String(MainWindow::staticMetaObject.className())) return nullptr;
    return new QAccessibleWidget(window, QAccessible::Window);
}

} // namespace

QIcon windowIcon(const forms::Picture& picture) {
    const QImage image = QImage(reinterpret_cast<const uchar*>(picture.argb()), forms::Picture::Size,
                                forms::Picture::Size, QImage::Format_ARGB32)
                             .copy();
    QIcon icon;
    for (const int scale : {1, 2}) {
        icon.addPixmap(
            QPixmap::fromImage(scaledPixelForPixel(image, image.size() * scale)));
    }
    return icon;
}

MainWindow::MainWindow(const Form1& form, QWidget* parent) : QWidget(parent), form_(form) {
    // Before any property change that an active assistive technology hears of.
    QAccessible::installFactory(windowAccessible);
    setWindowTitle(QStringLiteral("Form1"));
    setWindowIcon(desktop::windowIcon(form.icon()));
    WindowSize::hold(*this, QSize(forms::toPixels(Form1::InnerWidth), forms::toPixels(Form1::InnerHeight)));
    QPalette background = palette();
    background.setColor(QPalette::Window, toQColor(forms::ButtonFace));
    setPalette(background);
    setAutoFillBackground(true);
    // The list takes the window's font as it is made. Given a font of its
    // own, it would make its whole hidden list window at once to pass the
    // font on to it; made on first opening, that window takes it then.
    setFont(listFont(form.SelectBg, font(), *style()));

    // A widget for each control on the window; the picture boxes inside the
    // panel are painted by it and take no focus of their own.
    std::vector<std::pair<int, QWidget*>> stops;
    for (const forms::Control* control : form.controls()) {
        QWidget* widget = nullptr;
        switch (control->kind()) {
        case forms::ControlKind::PictureBox:
            if (static_cast<const forms::PictureBox*>(control)->container() == nullptr)
                widget = panel_ = new ScenePanel(form, this);
            break;
        case forms::ControlKind::CommandButton:
            widget = makeButton(static_cast<const forms::CommandButton&>(*control));
            break;
        case forms::ControlKind::ComboBox:
            widget = makeList(static_cast<const forms::ComboBox&>(*control));
            break;
        default:
            break;
        }
        if (widget) stops.emplace_back(static_cast<const forms::VisibleControl*>(control)->tabIndex(), widget);
    }
    std::stable_sort(stops.begin(), stops.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < stops.size(); ++i) QWidget::setTabOrder(stops[i - 1].second, stops[i].second);
    stops.front().second->setFocus();
}

SceneList* MainWindow::makeList(const forms::ComboBox& list) {
    auto* widget = new SceneList(this);
    widget->setObjectName(QString::fromStdString(list.name()));
    // Once a scene is chosen, the toolkit names the list by its choice.
    widget->setAccessibleName(QStringLiteral("Scenes"));
    widget->setAccessibleDescription(QStringLiteral("Chooses the scene the panel shows"));
    for (const std::string_view item : list.items()) {
        widget->addItem(QString::fromUtf8(item.data(), static_cast<qsizetype>(item.size())));
    }
    widget->setPlaceholderText(QString());
    widget->setCurrentIndex(-1);
    widget->setGeometry(toQRect(list.area()));
    lists_[&list] = widget;
    return widget;
}

QPushButton* MainWindow::makeButton(const forms::CommandButton& button) {
    auto* widget = new QPushButton(QString::fromStdString(button.caption()), this);
    widget->setObjectName(QString::fromStdString(button.name()));
    widget->setGeometry(toQRect(button.area()));
    // Return and Enter press the focused button; a button of a plain window
    // is marked as the default only while it has the focus.
    widget->setAutoDefault(true);
    QFont font = widget->font();
    font.setPixelSize(ButtonFontPixels);
    widget->setFont(font);
    widget->setVisible(button.visible());
    buttons_[&button] = widget;
    return widget;
}

void MainWindow::repaint(const forms::PictureBox* container, const forms::TwipRect& area) {
    panel_->modelChanged();
    panel_->invalidate(toQRect(binding::changedInPanel(form_.HAIKEI1, container, area)));
    // On the window itself, the window's own pixels there change too.
    if (container == nullptr) update(toQRect(area));
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        panel_->menu().copy();
    } else if (event->matches(QKeySequence::Save)) {
        panel_->menu().save();
    } else {
        QWidget::keyPressEvent(event);
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    emit closed();
}

} // namespace miravel::desktop
