#include "binding/error_text.h"

namespace miravel::binding {

std::string runtimeErrorText(const forms::RuntimeError& error) {
    return "Run-time error '" + std::to_string(error.number()) + "': " + error.what();
}

} // namespace miravel::binding
