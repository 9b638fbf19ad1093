#pragma once
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/gfx/Graphic.h"
#include "platform/rtl/Object.h"

class TBitmap;

// Holds one picture of any kind (a JPEG image or a bitmap), or none.
//
// Loading picks the kind from the data itself (JPEG or BMP). OnChange is called, with the
// picture as sender, after the held picture was replaced or changed.
class TPicture : public TObject {
 public:
  TPicture();
  ~TPicture() override;
  TPicture(const TPicture&) = delete;
  TPicture& operator=(const TPicture&) = delete;

  TGraphic* Graphic() const { return FGraphic.get(); }
  // Holds a copy of AGraphic (nullptr: nothing).
  void SetGraphic(const TGraphic* AGraphic);
  // The held bitmap; a picture holding anything else is given an empty bitmap first.
  TBitmap* Bitmap();

  int Width() const { return FGraphic ? FGraphic->Width() : 0; }
  int Height() const { return FGraphic ? FGraphic->Height() : 0; }
  bool Empty() const { return !FGraphic || FGraphic->Empty(); }

  // Raise EInvalidGraphic for data of no known kind (EResNotFound for a missing resource)
  // and keep the previous picture then.
  void LoadFromData(std::span<const uint8_t> Data);
  void LoadFromFile(const std::string& FileName);
  void LoadFromResourceName(std::string_view Name);
  // Copies Source's picture (nullptr empties).
  void Assign(const TPicture* Source);

  TNotifyEvent OnChange;

 private:
  void Hold(std::unique_ptr<TGraphic> AGraphic);
  void Changed();

  std::unique_ptr<TGraphic> FGraphic;
};
