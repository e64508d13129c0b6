#include "forms/form.h"

#include <benchmark/benchmark.h>

#include <array>

namespace {

// Timer events per second through the scheduler: the fifteen timers of the
// window with their real intervals, each handler doing nothing but count.
void BM_SchedulerEvents(benchmark::State& state) {
    constexpr std::array<forms::Ms, 15> intervals{100, 10, 8000, 100, 100, 5000, 50, 50, 100, 50, 50, 150, 300, 1000, 600};
    forms::Form form;
    std::array<forms::Timer, 15> timers;
    std::int64_t events = 0;
    for (std::size_t i = 0; i < timers.size(); ++i) {
        timers[i].place(form, "timer", -1, nullptr);
        timers[i].setInterval(intervals[i]);
        timers[i].onTimer = [&events] { ++events; };
        form.scheduler().add(timers[i]);
        timers[i].setEnabled(true);
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
