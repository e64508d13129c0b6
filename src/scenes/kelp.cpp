#include "scene/form1.h"

namespace miravel {

// Only combuA is read; the frame that goes is hidden before the one that comes is shown.
void Form1::COMBU_Timer() {
    if (combuA.visible()) {
        combuA.setVisible(false);
        combuB.setVisible(true);
    } else {
        combuB.setVisible(false);
        combuA.setVisible(true);
    }
}

} // namespace miravel
