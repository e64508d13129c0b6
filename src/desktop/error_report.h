#pragma once

#include "forms/runtime_error.h"

#include <QString>

class QWidget;

namespace miravel::desktop {

// "Run-time error '6': Overflow".
QString runtimeErrorText(const forms::RuntimeError& error);

// Tells the user about a run-time error: a line on stderr and, where there is
// a screen to show it on, a message box that waits to be dismissed.
void reportRuntimeError(const forms::RuntimeError& error, QWidget* parent = nullptr);

} // namespace miravel::desktop
