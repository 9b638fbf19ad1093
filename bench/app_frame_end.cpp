// One frame end as the window handles it: from the frame's bytes fed to the frame machine to
// the back buffer painted (the controls repaint inside the setters; what they only mark is
// painted by the form's pending paint, counted here too).
#include <benchmark/benchmark.h>

#include <sys/mman.h>

#include <cstring>

#include "app_window.h"

namespace {

// The i-th attitude frame of a run that changes roll and pitch (and both signs) every time.
std::vector<uint8_t> ChangingAttitude(int i) {
  const int16_t sign = (i & 1) ? -1 : 1;
  return AttitudeFrame(int16_t(sign * (i % 40)), int16_t(-sign * (i % 20)), 0x01);
}

// Paints what the frame ends only marked, as the next pass of the loop would.
void PaintPending(TBenchWindow& w) {
  w.Form->PaintPending();
  benchmark::DoNotOptimize(w.Form->BackBuffer()->Pixels());
}

// The i-th attitude frame and heading frame, which change all three readings: every meter,
// counter and (the sign flips each time) both sign digits repaint.
void FeedFramesChangingAll(TBenchWindow& w, int i) {
  w.Feed(ChangingAttitude(i));
  w.Feed(HeadingFrame(uint16_t(i % 360), 0x02));
  PaintPending(w);
}

void BM_FramesChangingRollPitchAndHeading(benchmark::State& state) {
  TBenchWindow w;
  int i = 0;
  for (auto _ : state) FeedFramesChangingAll(w, ++i);
}
BENCHMARK(BM_FramesChangingRollPitchAndHeading)->Unit(benchmark::kMicrosecond);

// The same as the running program meets it: between two frame ends it sleeps for
// milliseconds while other work fills the caches. The argument is how many KiB that work
// writes (1 MiB passes this machine's second-level cache, 64 MiB its last level).
void BM_FramesChangingAllAfterOtherWork(benchmark::State& state) {
  TBenchWindow w;
  // In small pages, as other programs' memory mostly is, so that it also fills the
  // address translation caches.
  const size_t size = size_t(state.range(0)) * 1024;
  void* other = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (other == MAP_FAILED) {
    state.SkipWithError("no memory for the other work");
    return;
  }
  madvise(other, size, MADV_NOHUGEPAGE);
  int i = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::memset(other, i & 0xFF, size);
    benchmark::ClobberMemory();
    state.ResumeTiming();
    FeedFramesChangingAll(w, ++i);
  }
  munmap(other, size);
}
BENCHMARK(BM_FramesChangingAllAfterOtherWork)
    ->Arg(1024)
    ->Arg(65536)
    ->Iterations(300)
    ->Unit(benchmark::kMicrosecond);

// The two halves on their own.
void BM_AttitudeFrameChangingRollAndPitch(benchmark::State& state) {
  TBenchWindow w;
  int i = 0;
  for (auto _ : state) {
    w.Feed(ChangingAttitude(++i));
    PaintPending(w);
  }
}
BENCHMARK(BM_AttitudeFrameChangingRollAndPitch)->Unit(benchmark::kMicrosecond);

void BM_HeadingFrameChangingHeading(benchmark::State& state) {
  TBenchWindow w;
  int i = 0;
  for (auto _ : state) {
    w.Feed(HeadingFrame(uint16_t(++i % 360), 0x02));
    PaintPending(w);
  }
}
BENCHMARK(BM_HeadingFrameChangingHeading)->Unit(benchmark::kMicrosecond);

// Readings that stay as they were: the frame end only compares, tests freshness and finds
// the sensor's watch running.
void BM_FrameChangingNothing(benchmark::State& state) {
  TBenchWindow w;
  const auto frame = AttitudeFrame(-5, 10, 0x01);
  w.Feed(frame);
  w.Feed(HeadingFrame(360, 0x02));
  w.Form->PaintPending();
  for (auto _ : state) {
    w.Feed(frame);
    PaintPending(w);
  }
}
BENCHMARK(BM_FrameChangingNothing)->Unit(benchmark::kMicrosecond);

}  // namespace
