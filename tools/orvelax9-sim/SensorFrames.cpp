#include "SensorFrames.h"

#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

void PutLe16(std::vector<uint8_t>& f, uint16_t v) {
  f.push_back(uint8_t(v & 0xFF));
  f.push_back(uint8_t(v >> 8));
}

}  // namespace

std::vector<uint8_t> AttitudeFrame(const AttitudeSample& s) {
  std::vector<uint8_t> f = {0x82, 0xFF, 12, 0x37, 0x00};
  PutLe16(f, uint16_t(s.Roll));
  PutLe16(f, uint16_t(s.Pitch));
  PutLe16(f, 0);  // 4-5
  f.push_back(0);  // 6
  const double t = s.Temperature < 0 ? 0 : s.Temperature;
  const double whole = std::floor(t);
  f.push_back(uint8_t(std::lround((t - whole) * 255)));  // 7
  f.push_back(uint8_t(whole));                            // 8
  f.push_back(s.Mode);                                    // 9
  PutLe16(f, 0);  // 10-11
  return f;
}

std::vector<uint8_t> HeadingFrame(const HeadingSample& s) {
  std::vector<uint8_t> f = {0x82, 0xFF, 3, 0x32};
  PutLe16(f, s.Heading);
  f.push_back(s.Mode);
  return f;
}

std::vector<uint8_t> AckFrame() { return {0x82, 0xFF, 0x01, 0x0A, 0x00, 0x00}; }

AttitudeSample AttitudeAt(double seconds) {
  AttitudeSample s;
  s.Roll = int16_t(std::lround(40 * std::sin(2 * kPi * seconds / 8.0)));
  s.Pitch = int16_t(std::lround(20 * std::sin(2 * kPi * seconds / 5.0 + 1.0)));
  // Accel, Gyro, Exceed, Gyro: four seconds each.
  static const uint8_t modes[] = {0x00, 0x01, 0x03, 0x01};
  s.Mode = modes[int64_t(seconds / 4) % 4];
  s.Temperature = 24.0 + 1.5 * std::sin(2 * kPi * seconds / 60.0);
  return s;
}

HeadingSample HeadingAt(double seconds) {
  HeadingSample s;
  s.Heading = uint16_t(int64_t(std::floor(seconds * 15.0)) % 360);  // one turn in 24 s
  // 2D, 3D, both bits, then neither (the display keeps the previous text): five seconds each.
  static const uint8_t modes[] = {0x01, 0x02, 0x03, 0x00};
  s.Mode = modes[int64_t(seconds / 5) % 4];
  return s;
}
