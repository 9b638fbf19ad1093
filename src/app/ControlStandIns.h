#pragma once
#include <string>

// Stand-ins for the window's port label, mode labels and LEDs until the instrument controls
// are placed on the window. They keep what start-up writes, with the real controls' names,
// so that the handlers keep their wording when the real controls take these members over.
// Design-time state: labels empty and visible, LEDs visible and blinking.

class TLabelStandIn {
 public:
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value) { FCaption = Value; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value) { FVisible = Value; }

 private:
  std::string FCaption;
  bool FVisible = true;
};

class TBlinkLedStandIn {
 public:
  bool EnableBlinking() const { return FEnableBlinking; }
  void SetEnableBlinking(bool Value) { FEnableBlinking = Value; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value) { FVisible = Value; }

 private:
  bool FEnableBlinking = true;
  bool FVisible = true;
};
