#include "desktop/error_report.h"

#include <QGuiApplication>
#include <QMessageBox>

#include <cstdio>

namespace miravel::desktop {

QString runtimeErrorText(const forms::RuntimeError& error) {
    return QStringLiteral("Run-time error '%1': %2").arg(error.number()).arg(QString::fromUtf8(error.what()));
}

void reportRuntimeError(const forms::RuntimeError& error, QWidget* parent) {
    const QString text = runtimeErrorText(error);
    std::fprintf(stderr, "Miravel: %s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
    // Nobody could dismiss a box on the offscreen platform.
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) return;
    QMessageBox::critical(parent, QStringLiteral("Miravel"), text);
}

} // namespace miravel::desktop
