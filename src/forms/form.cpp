#include "forms/form.h"

namespace forms {

void Form::raise(std::string_view control, std::string_view event, const std::function<void()>& handler) {
    if (ended()) return;
    if (eventObserver_) eventObserver_(control, event);
    try {
        handler();
    } catch (const RuntimeError&) {
        end();
        throw;
    }
}

void Form::end() {
    if (ended()) return;
    scheduler_.end();
    if (endObserver_) endObserver_();
}

} // namespace forms
