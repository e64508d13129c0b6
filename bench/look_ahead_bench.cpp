#include "scene/form1.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr forms::Ms Horizon = 60'000;

// Finding the next change a person can see, 60 s ahead at most, from a form
// that has run a while. Nothing shown runs the clock's hidden ticks all the
// way to the horizon: the slowest case.
void BM_NextVisibleChange(benchmark::State& state) {
    miravel::Form1 form;
    form.timeOfDay = [&form] {
        const forms::Ms s = form.scheduler().now() / 1000;
        return forms::TimeOfDay{int(s / 3600 % 24), int(s / 60 % 60), int(s % 60)};
    };
    // As the desktop's text does: formatted once a second, not at every tick.
    form.timeText = [last = forms::TimeOfDay{-1, 0, 0}, text = std::string()](forms::TimeOfDay time) mutable {
        if (time != last) text = forms::defaultTimeText(last = time);
        return text;
    };
    form.load();
    const int scene = static_cast<int>(state.range(0));
    if (scene >= 0) {
        form.JIKOKU.click();
        form.SelectBg.choose(static_cast<std::size_t>(scene));
    }
    form.scheduler().advanceTo(20'000);
    for (auto _ : state) benchmark::DoNotOptimize(form.nextVisibleChange(form.scheduler().now() + Horizon));
}
// -1: nothing shown; 0, 1, 2: each scene with the clock.
BENCHMARK(BM_NextVisibleChange)->Arg(-1)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

} // namespace
