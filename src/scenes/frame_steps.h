#pragma once

#include "forms/checked.h"
#include "forms/controls.h"

#include <span>

namespace miravel {

// One step of a frame animation: hide one frame, then show the next (frame numbers from 1).
struct FrameChange {
    int hide;
    int show;
};

// A step table: the frame changes of consecutive steps from firstStep on, and
// the final step. A step the table does not list does nothing.
struct StepTable {
    int firstStep;
    std::span<const FrameChange> changes;
    int finalStep;
};

// Adds 1 to the counter and stores it, then takes the step it names. True on the final step,
// whose actions belong to the caller.
inline bool advance(forms::Integer& counter, const StepTable& table, std::span<forms::Image* const> frames) {
    counter = counter + 1;
    const int step = counter.value();
    const int change = step - table.firstStep;
    if (change >= 0 && change < static_cast<int>(table.changes.size())) {
        frames[table.changes[change].hide - 1]->setVisible(false);
        frames[table.changes[change].show - 1]->setVisible(true);
    }
    return step == table.finalStep;
}

} // namespace miravel
