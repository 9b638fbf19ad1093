#pragma once
#include <gtest/gtest.h>

#include <memory>

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Color.h"
#include "platform/ui/Application.h"
#include "platform/ui/Form.h"
#include "platform/ui/backend/headless/HeadlessBackend.h"

// A form that counts how often it painted its own background.
class TCountingForm : public TForm {
 public:
  using TForm::TForm;
  int BackgroundPaints = 0;

 protected:
  void PaintWindow(const TPaintDC& DC) override {
    ++BackgroundPaints;
    TForm::PaintWindow(DC);
  }
};

// A control of kind T that counts its paints.
template <class T>
class TCounted : public T {
 public:
  using T::T;
  int Paints = 0;

 protected:
  void Paint() override {
    ++Paints;
    T::Paint();
  }
};

// An application on the headless backend with one shown form of the main window's size,
// its background a plain colour so that what controls leave untouched is easy to see.
struct InstrumentFixture : ::testing::Test {
  THeadlessBackend* backend = new THeadlessBackend;
  TApplication app{std::unique_ptr<TBackend>(backend)};
  TCountingForm* form = nullptr;

  static constexpr TColor kFormColor = 0x00404040;

  void SetUp() override {
    form = new TCountingForm(&app);
    form->SetClientWidth(256);
    form->SetClientHeight(276);
    form->SetColor(kFormColor);
    form->Show();
    Pump();
  }

  void Pump() { app.ProcessMessages(); }

  // Places a control on the form (the form owns it) and paints the pending pass.
  template <class T>
  T* Place(int left, int top, int width, int height) {
    T* c = new T(form);
    c->SetParent(form);
    c->SetBounds(left, top, width, height);
    Pump();
    return c;
  }

  TColor At(int x, int y) const { return form->BackBuffer()->PixelColor(x, y); }
  // The colour at (x, y) of control c's client area.
  TColor At(const TControl* c, int x, int y) const { return At(c->Left() + x, c->Top() + y); }
};
