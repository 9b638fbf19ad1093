#pragma once
#include <cstdint>
#include <optional>
#include <string>

struct SimOptions {
  std::string LinkPath;           // symbolic link to the device, made at start, removed at exit
  bool PrintPath = false;         // the device path on standard output, for scripts
  double AttitudeRate = 20;       // frames per second; 0 = the sensor sends nothing
  double HeadingRate = 10;
  bool MaxRate = false;           // frames back to back at the line's byte rate
  int Baud = 19200;               // pacing only: a pseudo-terminal has no speed of its own
  bool NoAnswer = false;
  int AnswerOnly = 0;             // acknowledge only this command of a session (1 = first); 0 = all
  bool StreamAtOnce = false;      // data from the moment the line opens, without a start command
  double StopAttitudeAfter = -1;  // seconds of sending after which the sensor falls silent; <0 = never
  double StopHeadingAfter = -1;
  double CorruptRate = 0;         // probability per sent byte
  double DropRate = 0;
  std::optional<uint32_t> Seed;
  int QuietAfterAckMs = 100;      // data held back after an acknowledgement
  bool Verbose = false;
};

// Parses the command line. Returns the options, or nothing after printing the help (exit 0)
// or an error (exit 2); `exitCode` says which.
std::optional<SimOptions> ParseOptions(int argc, char** argv, int& exitCode);
