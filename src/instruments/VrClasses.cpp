#include "instruments/VrClasses.h"

void TVrPersistent::EndUpdate() {
  if (FUpdateCount > 0) --FUpdateCount;
  NotifyChange();
}

void TVrPersistent::NotifyChange() {
  if (FUpdateCount == 0 && ChangeNotify) ChangeNotify(this);
}

void TVrPalette::SetLow(TColor value) {
  if (FLow == value) return;
  FLow = value;
  NotifyChange();
}

void TVrPalette::SetHigh(TColor value) {
  if (FHigh == value) return;
  FHigh = value;
  NotifyChange();
}

void TVrPalette::Assign(const TPersistent* Source) {
  const auto* other = dynamic_cast<const TVrPalette*>(Source);
  if (!other) {
    TVrPersistent::Assign(Source);
    return;
  }
  BeginUpdate();
  try {
    SetLow(other->Low());
    SetHigh(other->High());
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}
