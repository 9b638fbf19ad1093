#pragma once
#include <cstdint>
#include <deque>
#include <random>
#include <vector>

// The sending half of the serial line: bytes leave no faster than the line's speed would
// let them (10 bits a byte), in the small pieces a real port delivers them in, and on the
// way they may be corrupted or lost at the rates asked for.
class PacedLine {
 public:
  PacedLine(int fd, int baud, double corruptRate, double dropRate, uint32_t seed);

  // Queues a frame behind what is still being sent; false when the queue is full because
  // nobody reads the other end (the frame is then lost, as it would be on a real line).
  bool Send(const std::vector<uint8_t>& frame, int64_t nowUs);
  void Clear();

  // Writes every byte whose time has come. Stops early when the device is full.
  void WriteDue(int64_t nowUs);
  bool Blocked() const { return FBlocked; }  // wait for the device to take bytes again
  bool Empty() const { return FQueue.empty(); }
  int64_t NextDue() const { return FQueue.empty() ? -1 : FQueue.front().DueUs; }
  // When the last queued byte will have been sent (now or earlier when idle).
  int64_t BusyUntil() const { return FLineFreeUs; }
  int64_t ByteTimeUs() const { return FByteTimeUs; }

  uint64_t BytesCorrupted = 0;
  uint64_t BytesDropped = 0;
  uint64_t FramesLost = 0;

 private:
  struct Pending {
    int64_t DueUs;
    uint8_t Byte;
  };
  int FFd;
  int64_t FByteTimeUs;
  double FCorruptRate;
  double FDropRate;
  std::mt19937 FRandom;
  std::deque<Pending> FQueue;
  int64_t FLineFreeUs = 0;
  bool FBlocked = false;
};
