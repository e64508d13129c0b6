#include "scene/form1.h"

namespace miravel {

// Written on every tick, shown or not, so that a clock shown by "time" is
// never more than one tick behind.
void Form1::JIKOKU1_Timer() { CLOCK.setCaption(timeText(timeOfDay())); }

void Form1::JIKOKU_Click() { CLOCK.setVisible(!CLOCK.visible()); }

} // namespace miravel
