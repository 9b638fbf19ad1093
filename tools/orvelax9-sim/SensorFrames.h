#pragma once
#include <cstdint>
#include <vector>

// Frames as the two sensors send them: 82 FF L type [uncounted byte] L stored bytes,
// multi-byte values little-endian. Only the heading frame has no uncounted byte.

struct AttitudeSample {
  int16_t Roll = 0;   // degrees
  int16_t Pitch = 0;  // degrees
  uint8_t Mode = 0;   // bit 0, bit 1: 00 Accel, 01 Gyro, 11 Exceed
  double Temperature = 0;  // sent in the undisplayed bytes 7 (255ths) and 8 (whole part)
};

struct HeadingSample {
  uint16_t Heading = 0;  // degrees, 0..359
  uint8_t Mode = 0;      // bit 0 2D, bit 1 3D
};

std::vector<uint8_t> AttitudeFrame(const AttitudeSample& s);  // 17 bytes, L = 12
std::vector<uint8_t> HeadingFrame(const HeadingSample& s);    // 7 bytes, L = 3
std::vector<uint8_t> AckFrame();                              // 82 FF 01 0A 00 00

// Smooth, slowly varying values at `seconds` since the data started.
AttitudeSample AttitudeAt(double seconds);
HeadingSample HeadingAt(double seconds);
