#pragma once
#include <cstdint>
#include <initializer_list>

// How a control behaves toward the framework. csOpaque: the control covers its whole area,
// so repainting it needs nothing beneath it painted first.
enum TControlStyleFlag {
  csAcceptsControls,
  csCaptureMouse,
  csClickEvents,
  csFramed,
  csSetCaption,
  csOpaque,
  csDoubleClicks,
  csFixedWidth,
  csFixedHeight,
  csReplicatable,
  csNoStdEvents,
};

// A set of control style flags, bit n for the flag of ordinal n.
class TControlStyle {
 public:
  TControlStyle() = default;
  TControlStyle(std::initializer_list<TControlStyleFlag> flags) {
    for (TControlStyleFlag f : flags) Include(f);
  }
  bool Contains(TControlStyleFlag f) const { return FBits & (1u << f); }
  void Include(TControlStyleFlag f) { FBits |= 1u << f; }
  void Exclude(TControlStyleFlag f) { FBits &= ~(1u << f); }
  friend bool operator==(const TControlStyle&, const TControlStyle&) = default;

 private:
  uint32_t FBits = 0;
};
