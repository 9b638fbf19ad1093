#pragma once
#include <cstdint>

// The mode texts of the two sensors, from bits 0 and 1 of their mode bytes; the other bits
// mean nothing to the display.

// AX-9: bit 0 alone "Gyro", both "Exceed", otherwise "Accel" (bit 1 alone included).
inline const char* AttitudeModeText(uint8_t Mode) {
  switch (Mode & 0x03) {
    case 0x01: return "Gyro";
    case 0x03: return "Exceed";
    default: return "Accel";
  }
}

// KQ3: bit 1 "3D" (with or without bit 0), bit 0 alone "2D". With neither bit the compass
// says nothing about its mode and the text shown stays: nullptr.
inline const char* CompassModeText(uint8_t Mode) {
  if (Mode & 0x02) return "3D";
  if (Mode & 0x01) return "2D";
  return nullptr;
}
