#include "desktop/parent_console.h"

namespace miravel::desktop {

// A program inherits its terminal's stdout and stderr as they are.
void useParentConsole() {}

} // namespace miravel::desktop
