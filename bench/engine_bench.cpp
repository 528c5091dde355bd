// The cost of one tick and of each handler of the session engine, against
// substitutes that discard what is written.

#include "fakes.h"
#include "session.h"

#include <benchmark/benchmark.h>

using namespace bw;
using bw::test::clockText;
using bw::test::CountingBeeper;

namespace {

class NullWindow : public WindowElements {
  public:
    void setCaption(Element, const std::string& t) override { benchmark::DoNotOptimize(t.data()); }
    void setVisible(Element, bool) override {}
    void setEnabled(Element, bool) override {}
    void setBackColour(Element, Colour) override {}
    void setBackOpaque(Element, bool) override {}
    void setWidthTwips(Element, float) override {}
};

class SteppingClock : public TimeOfDay {
  public:
    bool advance = true;
    int seconds = 0;
    std::string text() override {
        if (advance) ++seconds;
        return clockText(seconds);
    }
};

struct Engine {
    NullWindow window;
    SteppingClock clock;
    CountingBeeper beeper;
    Session session{window, clock, beeper};
    Engine() {
        session.Initialize();
        session.Load();
        session.Resize(0, 15);
    }
    // Keeps a long session running: back to a fresh start before over time.
    void keepCounting() {
        if (session.state().runState != RunState::CountingDown || session.state().remMin < 2) {
            session.ResetSession();
            session.CBstend_Click();
        }
    }
};

void TickWithinTheSameSecond(benchmark::State& state) {
    Engine e;
    e.session.CBstend_Click();
    e.clock.advance = false;
    for (auto _ : state)
        e.session.Tick();
}
BENCHMARK(TickWithinTheSameSecond);

void TickThatCountsASecond(benchmark::State& state) {
    Engine e;
    e.session.CBinc5_Click();
    for (auto _ : state) {
        e.keepCounting();
        e.session.Tick();
    }
}
BENCHMARK(TickThatCountsASecond);

void TickWhileReady(benchmark::State& state) {
    Engine e;
    for (auto _ : state)
        e.session.Tick();
}
BENCHMARK(TickWhileReady);

void ResetSession(benchmark::State& state) {
    Engine e;
    for (auto _ : state)
        e.session.ResetSession();
}
BENCHMARK(ResetSession);

void StartThenEnd(benchmark::State& state) {
    Engine e;
    for (auto _ : state) {
        e.session.CBstend_Click();
        e.session.CBstend_Click();
    }
}
BENCHMARK(StartThenEnd);

void PauseThenResume(benchmark::State& state) {
    Engine e;
    e.session.CBstend_Click();
    for (auto _ : state) {
        e.session.CBpause_Click();
        e.session.CBpause_Click();
    }
}
BENCHMARK(PauseThenResume);

void CorrectionBackThenForward(benchmark::State& state) {
    Engine e;
    e.session.CBstend_Click();
    for (int i = 0; i < 300; ++i)
        e.session.Tick();
    e.session.CBpause_Click();
    for (auto _ : state) {
        e.session.CBpback_Click();
        e.session.CBpfwd_Click();
    }
}
BENCHMARK(CorrectionBackThenForward);

void IntervalButtonWhileReady(benchmark::State& state) {
    Engine e;
    for (auto _ : state) {
        e.session.CBinc1_Click();
        e.session.CBdec1_Click();
    }
}
BENCHMARK(IntervalButtonWhileReady);

void ModeChoiceWhileReady(benchmark::State& state) {
    Engine e;
    i16 mode = 0;
    for (auto _ : state)
        e.session.RBmode_Click(mode ^= 1);
}
BENCHMARK(ModeChoiceWhileReady);

} // namespace

BENCHMARK_MAIN();
