#pragma once

#include "forms/runtime_error.h"

#include <string>

namespace miravel::binding {

// How a run-time error is put to the person: "Run-time error '6': Overflow".
std::string runtimeErrorText(const forms::RuntimeError& error);

} // namespace miravel::binding
