#pragma once
#include <memory>

#include "platform/ui/GraphicControl.h"

class TPicture;

// A windowless control that shows a picture (a JPEG photograph or a bitmap).
//
// The picture is drawn at its natural size with its top-left corner at the control's, unless
// Center (the middle of the control) or Stretch (scaled onto the whole control) say
// otherwise. With AutoSize the control takes the size of its picture whenever the picture
// changes; an empty picture leaves the size as it is. Transparent lets what lies beneath
// show through a bitmap's pixels of its transparent colour (the bottom-left pixel's); it
// does nothing for a photograph. The control is opaque while its picture covers all of it.
class TImage : public TGraphicControl {
 public:
  explicit TImage(TComponent* AOwner);
  ~TImage() override;

  TPicture* Picture() const { return FPicture.get(); }
  void SetPicture(const TPicture* value);  // copies
  bool Center() const { return FCenter; }
  void SetCenter(bool value);
  bool Stretch() const { return FStretch; }
  void SetStretch(bool value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value);

  bool ProposeAutoSize(int& NewWidth, int& NewHeight) override;
  void Loaded() override;

 protected:
  void Paint() override;
  void Resize() override;

 private:
  // Where the picture goes, in client coordinates.
  TRect DestRect() const;
  void PictureChanged();
  void UpdateOpacity();

  std::unique_ptr<TPicture> FPicture;
  bool FCenter = false;
  bool FStretch = false;
  bool FTransparent = false;
};
