#pragma once
#include <cstdint>
#include <vector>

// The sample frames the sensors send, with the readings given: what the simulator sends
// for the values it logs.
inline std::vector<uint8_t> AttitudeFrame(int roll, int pitch, int mode) {
  const auto r = uint16_t(roll), p = uint16_t(pitch);
  return {0x82, 0xFF, 0x0C, 0x37, 0x00, uint8_t(r), uint8_t(r >> 8), uint8_t(p), uint8_t(p >> 8),
          0, 0, 0, 0, 0, uint8_t(mode), 0, 0};
}
inline std::vector<uint8_t> HeadingFrame(int heading, int mode) {
  return {0x82, 0xFF, 0x03, 0x32, uint8_t(heading), uint8_t(heading >> 8), uint8_t(mode)};
}
