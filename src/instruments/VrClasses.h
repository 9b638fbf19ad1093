#pragma once
#include <cstdint>

#include "platform/gfx/Color.h"
#include "platform/rtl/Object.h"

// Base of the instrument controls' settings objects: each change notifies the owning control,
// and a BeginUpdate/EndUpdate pair folds the changes in between into one notification.
class TVrPersistent : public TPersistent {
 public:
  void BeginUpdate() { ++FUpdateCount; }
  // Ends one BeginUpdate (never below zero) and notifies in every case.
  void EndUpdate();
  // Notifies the owner unless an update is open.
  void NotifyChange();
  int32_t UpdateCount() const { return FUpdateCount; }

  TNotifyEvent ChangeNotify;  // set by the control that owns the object

 private:
  int32_t FUpdateCount = 0;
};

// A pair of colours: Low for what is off or unlit, High for what is on.
class TVrPalette : public TVrPersistent {
 public:
  TColor Low() const { return FLow; }
  void SetLow(TColor value);
  TColor High() const { return FHigh; }
  void SetHigh(TColor value);

  // Low for an index of 0 or less, High otherwise.
  virtual TColor GetColor(int32_t Index) const { return Index <= 0 ? FLow : FHigh; }

  // From another palette: both colours, with exactly one notification even when neither
  // changed. Anything else raises the assignment error and changes nothing.
  void Assign(const TPersistent* Source) override;

 private:
  TColor FLow = clGreen;
  TColor FHigh = clLime;
};
