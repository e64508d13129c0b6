#pragma once

namespace miravel::desktop {

// Makes what the program writes to stdout and stderr reach the console it
// was started from, if any: --help, --version and the errors of a wrong
// start. A Windows program with a window has no console of its own, and
// opening one would flash a window at every start from the desktop.
void useParentConsole();

} // namespace miravel::desktop
