#include "PacedLine.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace {
constexpr size_t kMaxQueued = 16384;
}

PacedLine::PacedLine(int fd, int baud, double corruptRate, double dropRate, uint32_t seed)
    : FFd(fd),
      FByteTimeUs(std::max<int64_t>(1, 10'000'000 / baud)),
      FCorruptRate(corruptRate),
      FDropRate(dropRate),
      FRandom(seed) {}

bool PacedLine::Send(const std::vector<uint8_t>& frame, int64_t nowUs) {
  if (FQueue.size() + frame.size() > kMaxQueued) {
    ++FramesLost;
    return false;
  }
  std::uniform_real_distribution<double> chance(0.0, 1.0);
  std::uniform_int_distribution<int> flip(1, 255);
  int64_t t = std::max(nowUs, FLineFreeUs);
  for (uint8_t b : frame) {
    if (FDropRate > 0 && chance(FRandom) < FDropRate) {
      ++BytesDropped;
      continue;
    }
    if (FCorruptRate > 0 && chance(FRandom) < FCorruptRate) {
      b = uint8_t(b ^ flip(FRandom));
      ++BytesCorrupted;
    }
    t += FByteTimeUs;
    FQueue.push_back({t, b});
  }
  FLineFreeUs = t;
  return true;
}

void PacedLine::Clear() {
  FQueue.clear();
  FBlocked = false;
  FLineFreeUs = 0;
}

void PacedLine::WriteDue(int64_t nowUs) {
  uint8_t buf[512];
  for (;;) {
    size_t n = 0;
    while (n < sizeof buf && n < FQueue.size() && FQueue[n].DueUs <= nowUs) {
      buf[n] = FQueue[n].Byte;
      ++n;
    }
    if (n == 0) {
      FBlocked = false;
      return;
    }
    ssize_t w = write(FFd, buf, n);
    if (w < 0 && errno == EINTR) continue;
    if (w < 0) {
      // EAGAIN: the device's input is full; anything else: try again when it is writable.
      FBlocked = true;
      return;
    }
    FQueue.erase(FQueue.begin(), FQueue.begin() + w);
    if (size_t(w) < n) {
      FBlocked = true;
      return;
    }
  }
}
