#include "desktop/paint_room.h"

namespace miravel::desktop {

// Windows copies a paint to its compositor from the program's own memory:
// there is no socket to wait on.
void makeRoomForPaints(QSize) {}

} // namespace miravel::desktop
