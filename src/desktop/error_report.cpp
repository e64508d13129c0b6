#include "desktop/error_report.h"

#include "binding/error_text.h"

#include <QGuiApplication>
#include <QMessageBox>

#include <cstdio>

namespace miravel::desktop {

void reportRuntimeError(const forms::RuntimeError& error, QWidget* parent) {
    const QString text = QString::fromStdString(binding::runtimeErrorText(error));
    std::fprintf(stderr, "Miravel: %s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
    // Nobody could dismiss a box on the offscreen platform.
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) return;
    QMessageBox::critical(parent, QStringLiteral("Miravel"), text);
}

} // namespace miravel::desktop
