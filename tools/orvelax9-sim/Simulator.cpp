#include "Simulator.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "Clock.h"
#include "Log.h"
#include "SensorFrames.h"

namespace {

constexpr int64_t kMinWakeGapUs = 4000;   // output leaves in pieces of a few milliseconds
constexpr int64_t kMaxRateLeadUs = 20000;  // at --rate max, keep this much queued ahead

int64_t PeriodUs(double rate) { return int64_t(1e6 / rate); }

}  // namespace

Simulator::Simulator(const SimOptions& options, PseudoTerminal& pty, uint32_t seed)
    : FOptions(options),
      FPty(pty),
      FLine(pty.Master(), options.Baud, options.CorruptRate, options.DropRate, seed) {
  FReader.OnCommand = [this](const CommandReader::Command& c) { OnCommand(c); };
  FReader.OnStray = [](const std::vector<uint8_t>& b) { LogLine("ignored: " + HexBytes(b)); };
}

void Simulator::Run(int stopFd) {
  if (FPty.WatchHandle() < 0) {
    LogLine("cannot follow opens of the device; the line counts as always open");
    OnLineOpened(NowMicros());
  }
  for (;;) {
    const int64_t now = NowMicros();
    const int64_t wake = NextWakeUs(now);
    int timeoutMs = -1;
    if (wake >= 0) timeoutMs = int(std::clamp<int64_t>((wake - now + 999) / 1000, 0, 1000));

    pollfd fds[3] = {{stopFd, POLLIN, 0}, {FPty.Master(), POLLIN, 0}, {FPty.WatchHandle(), POLLIN, 0}};
    if (FLine.Blocked()) fds[1].events |= POLLOUT;
    const nfds_t count = FPty.WatchHandle() >= 0 ? 3 : 2;
    int r = poll(fds, count, timeoutMs);
    if (r < 0 && errno != EINTR) {
      LogLine(std::string("poll failed: ") + std::to_string(errno));
      break;
    }
    if (r > 0 && (fds[0].revents & POLLIN)) break;
    // What a program wrote just before closing still belongs to its session; what it wrote
    // just after opening belongs to the new one.
    const bool readable = r > 0 && (fds[1].revents & POLLIN);
    if (readable && FPty.LineOpen()) ReadMaster();
    if (r > 0 && count == 3 && (fds[2].revents & POLLIN) && FPty.ReadWatchEvents()) {
      if (FPty.LineOpen())
        OnLineOpened(NowMicros());
      else
        OnLineClosed();
    }
    if (readable) ReadMaster();

    const int64_t t = NowMicros();
    if (FPty.LineOpen()) {
      SendDueData(t);
      FLine.WriteDue(t);
    }
  }
  LogSummary();
}

void Simulator::OnLineOpened(int64_t now) {
  LogLine("line opened");
  FSessionCommands = 0;
  FReader.Reset();
  if (FOptions.StreamAtOnce) StartData(now);
}

void Simulator::OnLineClosed() {
  LogLine("line closed");
  FStreaming = false;
  FLine.Clear();
  FReader.Reset();
  FPty.ResetForNextOpener();
}

void Simulator::ReadMaster() {
  uint8_t buf[4096];
  for (;;) {
    ssize_t n = read(FPty.Master(), buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // EAGAIN: all read
    // Bytes sent while the line counts as closed belong to no session of ours.
    if (FPty.LineOpen()) FReader.Feed(buf, size_t(n));
  }
}

void Simulator::OnCommand(const CommandReader::Command& c) {
  if (!c.ChecksumOk || !c.EndOk) {
    LogLine(std::string("malformed command (") + (c.ChecksumOk ? "no end byte" : "bad checksum") +
            "), not answered: " + HexBytes(c.Bytes));
    return;
  }
  const int64_t now = NowMicros();
  ++FCommands;
  const int n = ++FSessionCommands;
  LogLine("command: " + HexBytes(c.Bytes));
  const bool answer = !FOptions.NoAnswer && (FOptions.AnswerOnly == 0 || n == FOptions.AnswerOnly);
  if (answer) {
    FLine.Send(AckFrame(), now);
    ++FAcks;
    FQuietUntilUs = FLine.BusyUntil() + int64_t(FOptions.QuietAfterAckMs) * 1000;
    LogLine("ack sent");
  } else {
    LogLine("not answered (command " + std::to_string(n) + ")");
  }
  if (c.Code == 0xE6 && !FStreaming) StartData(now);
}

void Simulator::StartData(int64_t now) {
  FStreaming = true;
  FStreamStartUs = now;
  FNextAttitudeUs = FNextHeadingUs = now;
  FAttitudeStopped = FHeadingStopped = false;
  LogLine("data started");
}

bool Simulator::AttitudeActive(int64_t now) {
  if (FOptions.AttitudeRate <= 0 || FAttitudeStopped) return false;
  if (FOptions.StopAttitudeAfter >= 0 && now - FStreamStartUs >= int64_t(FOptions.StopAttitudeAfter * 1e6)) {
    FAttitudeStopped = true;
    LogLine("attitude sensor stopped");
    return false;
  }
  return true;
}

bool Simulator::HeadingActive(int64_t now) {
  if (FOptions.HeadingRate <= 0 || FHeadingStopped) return false;
  if (FOptions.StopHeadingAfter >= 0 && now - FStreamStartUs >= int64_t(FOptions.StopHeadingAfter * 1e6)) {
    FHeadingStopped = true;
    LogLine("compass sensor stopped");
    return false;
  }
  return true;
}

bool Simulator::SendAttitude(int64_t now) {
  const auto s = AttitudeAt(double(now - FStreamStartUs) / 1e6);
  const bool queued = FLine.Send(AttitudeFrame(s), now);
  if (queued) ++FAttitudeFrames;
  if (FOptions.Verbose)
    LogLine("attitude: roll " + std::to_string(s.Roll) + " pitch " + std::to_string(s.Pitch) + " mode " +
            std::to_string(s.Mode));
  return queued;
}

bool Simulator::SendHeading(int64_t now) {
  const auto s = HeadingAt(double(now - FStreamStartUs) / 1e6);
  const bool queued = FLine.Send(HeadingFrame(s), now);
  if (queued) ++FHeadingFrames;
  if (FOptions.Verbose)
    LogLine("heading: " + std::to_string(s.Heading) + " mode " + std::to_string(s.Mode));
  return queued;
}

void Simulator::SendDueData(int64_t now) {
  if (!FStreaming || now < FQuietUntilUs) return;
  const bool attitude = AttitudeActive(now);
  const bool heading = HeadingActive(now);
  if (FOptions.MaxRate) {
    // Back to back: keep a little queued so the line never idles. A full queue (nobody
    // reads the other end) takes nothing more until the device accepts bytes again.
    while ((attitude || heading) && FLine.BusyUntil() < now + kMaxRateLeadUs) {
      const bool sendHeading = heading && (FNextIsHeading || !attitude);
      const bool queued = sendHeading ? SendHeading(now) : SendAttitude(now);
      FNextIsHeading = !sendHeading;
      if (!queued) break;
    }
    return;
  }
  // A sensor that fell behind (quiet time, a busy line) skips the frames it missed.
  if (attitude && now >= FNextAttitudeUs) {
    SendAttitude(now);
    FNextAttitudeUs = std::max(FNextAttitudeUs + PeriodUs(FOptions.AttitudeRate), now);
  }
  if (heading && now >= FNextHeadingUs) {
    SendHeading(now);
    FNextHeadingUs = std::max(FNextHeadingUs + PeriodUs(FOptions.HeadingRate), now);
  }
}

int64_t Simulator::NextWakeUs(int64_t now) const {
  int64_t wake = -1;
  auto consider = [&](int64_t t) {
    if (t >= 0 && (wake < 0 || t < wake)) wake = t;
  };
  if (!FLine.Blocked()) consider(FLine.Empty() ? -1 : std::max(FLine.NextDue(), now + kMinWakeGapUs));
  if (FStreaming && FPty.LineOpen()) {
    const int64_t quiet = FQuietUntilUs > now ? FQuietUntilUs : 0;
    if (FOptions.MaxRate) {
      // While the device takes nothing, the queue cannot be topped up: wait for it to be
      // writable (poll watches for that) rather than for a refill that cannot happen.
      if (!FLine.Blocked()) consider(std::max(quiet, FLine.BusyUntil() - kMaxRateLeadUs));
    } else {
      if (FOptions.AttitudeRate > 0 && !FAttitudeStopped) consider(std::max(quiet, FNextAttitudeUs));
      if (FOptions.HeadingRate > 0 && !FHeadingStopped) consider(std::max(quiet, FNextHeadingUs));
    }
  }
  return wake;
}

void Simulator::LogSummary() const {
  LogLine("stopping: " + std::to_string(FCommands) + " commands, " + std::to_string(FAcks) + " acks, " +
          std::to_string(FAttitudeFrames) + " attitude and " + std::to_string(FHeadingFrames) +
          " heading frames, " + std::to_string(FLine.BytesCorrupted) + " bytes corrupted, " +
          std::to_string(FLine.BytesDropped) + " dropped, " + std::to_string(FLine.FramesLost) +
          " frames lost to a full line");
}
