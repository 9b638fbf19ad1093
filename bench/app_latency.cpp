// From the last byte of a frame written on the master side of a pseudo-terminal to the
// window's back buffer showing the new reading: the serial component's event thread, the
// hand-over to the user-interface thread, the receive handler, the frame end and the repaint,
// with the window headless in this process and its port open on the slave side.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <string>

#include "app_window.h"
#include "instruments/VrCounter.h"

namespace {

using TClock = std::chrono::steady_clock;

struct TPty {
  int Master = -1;
  std::string SlavePath;
  TPty() {
    Master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (Master < 0 || grantpt(Master) != 0 || unlockpt(Master) != 0) throw std::runtime_error("no pseudo-terminal");
    SlavePath = ptsname(Master);
  }
  ~TPty() { close(Master); }
};

double Percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[std::min(v.size() - 1, size_t(p * double(v.size() - 1) + 0.5))];
}

void BM_LatencyFromPtyWriteToBackBuffer(benchmark::State& state) {
  TPty pty;
  TBenchWindow w;
  w.Form->VaComm1->SetDeviceName(pty.SlavePath);
  w.Form->VaComm1->Open();
  std::vector<double> latencies;
  int16_t roll = 0;
  for (auto _ : state) {
    roll = int16_t(roll == 40 ? -40 : roll + 1);
    const auto frame = AttitudeFrame(roll, 0, 0x01);
    const auto t0 = TClock::now();
    if (write(pty.Master, frame.data(), frame.size()) != ssize_t(frame.size())) {
      state.SkipWithError("write to the pseudo-terminal failed");
      break;
    }
    const int32_t shown = roll < 0 ? -roll : roll;
    const auto deadline = t0 + std::chrono::seconds(2);
    // The counter repaints inside the frame end: when it holds the value, the buffer does.
    while (w.Form->CompteurRoulis->Value() != shown || DisplayState.RollValue != roll) {
      if (TClock::now() > deadline) {
        state.SkipWithError("the frame was not shown within 2 s");
        break;
      }
      w.App.ProcessMessages();
      if (DisplayState.RollValue == roll) break;
      w.App.WaitMessage(5);
    }
    const double us = std::chrono::duration<double, std::micro>(TClock::now() - t0).count();
    latencies.push_back(us);
    state.SetIterationTime(us / 1e6);
  }
  state.counters["p50_us"] = Percentile(latencies, 0.50);
  state.counters["p99_us"] = Percentile(latencies, 0.99);
  state.counters["max_us"] = Percentile(latencies, 1.0);
  w.Form->VaComm1->Close();
}
BENCHMARK(BM_LatencyFromPtyWriteToBackBuffer)->UseManualTime()->Iterations(2000)->Unit(benchmark::kMicrosecond);

}  // namespace
