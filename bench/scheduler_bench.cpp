#include "forms/form.h"
#include "scene/layout.h"

#include <benchmark/benchmark.h>

#include <deque>
#include <variant>

namespace {

// Timer events per second through the scheduler: the fifteen timers of the
// window with their real intervals, each handler doing nothing but count.
void BM_SchedulerEvents(benchmark::State& state) {
    forms::Form form;
    std::deque<forms::Timer> timers;
    std::int64_t events = 0;
    for (const miravel::layout::Row& row : miravel::layout::Rows) {
        if (!std::holds_alternative<forms::Timer miravel::Form1::*>(row.member)) continue;
        forms::Timer& timer = timers.emplace_back();
        timer.place(form, row.name, row.index);
        timer.setInterval(row.properties.interval);
        timer.onTimer = [&events] { ++events; };
        form.scheduler().add(timer);
        timer.setEnabled(true);
    }
    forms::Ms t = 0;
    for (auto _ : state) {
        t += 1000;
        form.scheduler().advanceTo(t);
    }
    state.SetItemsProcessed(events);
}
BENCHMARK(BM_SchedulerEvents);

} // namespace
