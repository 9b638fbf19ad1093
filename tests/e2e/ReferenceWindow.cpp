#include "ReferenceWindow.h"

#include "SensorFrames.h"
#include "app/DisplayState.h"
#include "app/SensorLink.h"
#include "app/formAX9.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/Font.h"
#include "platform/ui/Application.h"
#include "platform/ui/Label.h"
#include "platform/ui/backend/headless/HeadlessBackend.h"

TReferenceWindow::TReferenceWindow() {
  Link.Reset();
  DisplayState.Reset();
  FApp = std::make_unique<TApplication>(std::make_unique<THeadlessBackend>());
  FForm = new TfrmAX9(FApp.get());
  FForm->Show();
  Update();
}

TReferenceWindow::~TReferenceWindow() { FApp.reset(); }

void TReferenceWindow::Feed(const std::vector<uint8_t>& bytes) {
  for (uint8_t b : bytes)
    if (FrameMachine(b)) FForm->ExtractDisplayData();
  Update();
}

void TReferenceWindow::ShowReadings(const TLoggedReadings& readings, const std::string& port) {
  FForm->ComDisp->SetCaption(port);
  Feed(AttitudeFrame(readings.Roll, readings.Pitch, readings.AttitudeMode));
  Feed(HeadingFrame(readings.Heading, readings.HeadingMode));
}

void TReferenceWindow::Update() { FApp->ProcessMessages(); }

std::vector<uint32_t> TReferenceWindow::Pixels() const {
  const TBitmap& b = *FForm->BackBuffer();
  return std::vector<uint32_t>(b.Pixels(), b.Pixels() + size_t(b.Width()) * size_t(b.Height()));
}

void TReferenceWindow::SaveComparison(const std::vector<uint32_t>& screen, const std::string& path) const {
  const TBitmap& ref = *FForm->BackBuffer();
  const int w = ref.Width(), h = ref.Height();
  TBitmap both(2 * w + 4, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      both.ScanLine(y)[x] = ref.ScanLine(y)[x];
      const size_t i = size_t(y) * size_t(w) + size_t(x);
      both.ScanLine(y)[w + 4 + x] = i < screen.size() ? screen[i] : 0xFF00FF;
    }
  both.SaveToPNGFile(path);
}

TRect ControlBounds(TfrmAX9& form, const char* name) {
  for (int i = 0; i < form.ComponentCount(); ++i)
    if (auto* c = dynamic_cast<TControl*>(form.Components(i)); c && c->Name() == name) {
      const TPoint o = c->SurfaceOrigin();
      return Bounds(o.X, o.Y, c->Width(), c->Height());
    }
  return {};
}
