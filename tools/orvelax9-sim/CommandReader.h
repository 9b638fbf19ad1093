#pragma once
#include <cstdint>
#include <functional>
#include <vector>

// Cuts the bytes a program sends into command frames:
// 82, code, N, N payload bytes, checksum (A5 ^ code ^ N ^ payload), 83.
class CommandReader {
 public:
  struct Command {
    std::vector<uint8_t> Bytes;  // the whole frame as received
    uint8_t Code = 0;
    std::vector<uint8_t> Payload;
    bool ChecksumOk = false;
    bool EndOk = false;
  };

  std::function<void(const Command&)> OnCommand;
  // Bytes that belong to no frame, logged as noise.
  std::function<void(const std::vector<uint8_t>&)> OnStray;

  void Feed(const uint8_t* data, size_t size);
  void Reset();

 private:
  void FlushStray();

  enum class State { Hunt, Code, Length, Payload, Checksum, End } FState = State::Hunt;
  Command FCurrent;
  size_t FLength = 0;
  std::vector<uint8_t> FStray;
};
