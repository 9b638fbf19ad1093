#pragma once
#include <cstdint>
#include <vector>

#include "CommandReader.h"
#include "Options.h"
#include "PacedLine.h"
#include "PseudoTerminal.h"

// The two sensors behind one line: answers commands, sends the data frames, follows the
// line being opened and closed by the program. Single-threaded: one poll loop.
class Simulator {
 public:
  Simulator(const SimOptions& options, PseudoTerminal& pty, uint32_t seed);

  // Runs until `stopFd` becomes readable (the signal pipe).
  void Run(int stopFd);

 private:
  void OnLineOpened(int64_t now);
  void OnLineClosed();
  void OnCommand(const CommandReader::Command& c);
  void ReadMaster();
  void StartData(int64_t now);
  void SendDueData(int64_t now);
  // Each queues one frame; false when the line's queue is full and the frame is lost.
  bool SendAttitude(int64_t now);
  bool SendHeading(int64_t now);
  bool AttitudeActive(int64_t now);
  bool HeadingActive(int64_t now);
  int64_t NextWakeUs(int64_t now) const;
  void LogSummary() const;

  const SimOptions& FOptions;
  PseudoTerminal& FPty;
  PacedLine FLine;
  CommandReader FReader;

  bool FStreaming = false;
  int64_t FStreamStartUs = 0;
  int64_t FNextAttitudeUs = 0;
  int64_t FNextHeadingUs = 0;
  int64_t FQuietUntilUs = 0;
  bool FAttitudeStopped = false;
  bool FHeadingStopped = false;
  bool FNextIsHeading = false;  // alternation at --rate max
  int FSessionCommands = 0;

  uint64_t FCommands = 0;
  uint64_t FAcks = 0;
  uint64_t FAttitudeFrames = 0;
  uint64_t FHeadingFrames = 0;
};
