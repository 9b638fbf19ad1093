// One repaint of each instrument control as the main window uses it, from the property write
// to the pixels in the form's back buffer.
#include <benchmark/benchmark.h>

#include <memory>

#include "instruments/VrBlinkLed.h"
#include "instruments/VrCounter.h"
#include "instruments/VrJogMeter.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Font.h"
#include "platform/ui/Application.h"
#include "platform/ui/Form.h"
#include "platform/ui/backend/headless/HeadlessBackend.h"

namespace {

struct TWindow {
  TApplication App{std::make_unique<THeadlessBackend>()};
  TForm* Form = new TForm(&App);
  TWindow() {
    Form->SetClientWidth(256);
    Form->SetClientHeight(276);
    Form->Show();
    App.ProcessMessages();
  }
};

TVrJogMeter* WindowMeter(TForm* form, TVrDirection direction) {
  auto* m = new TVrJogMeter(form);
  m->BeginLoading();
  m->SetParent(form);
  m->SetDirection(direction);
  if (direction == voHorizontal)
    m->SetBounds(8, 16, 240, 33);
  else
    m->SetBounds(216, 56, 33, 161);
  m->Font()->SetHeight(-11);
  TVrJogMeterScale* s = m->Scale();
  s->SetApperture(50);
  s->SetStep(10);
  s->SetSmallStep(1);
  s->SetHeightMax(14);
  s->SetHeightMin(8);
  s->SetPosition(voBefore);
  m->Value()->SetShape(voLine);
  m->Loaded();
  m->Invalidate();
  return m;
}

void Meter(benchmark::State& state, TVrDirection direction) {
  TWindow w;
  TVrJogMeter* m = WindowMeter(w.Form, direction);
  w.App.ProcessMessages();
  double v = 0;
  for (auto _ : state) {
    v += 0.37;  // a new reading every time: each write paints once
    m->Value()->SetValue(v);
    benchmark::DoNotOptimize(w.Form->BackBuffer()->Pixels());
  }
}

void BM_HorizontalMeter240x33(benchmark::State& state) { Meter(state, voHorizontal); }
void BM_VerticalMeter33x161(benchmark::State& state) { Meter(state, voVertical); }

void BM_Counter49x17(benchmark::State& state) {
  TWindow w;
  auto* c = new TVrCounter(w.Form);
  c->SetParent(w.Form);
  c->SetBounds(104, 0, 49, 17);
  c->SetDigits(3);
  c->SetTransparent(true);
  w.App.ProcessMessages();
  int v = 0;
  for (auto _ : state) {
    c->SetValue(++v % 360);
    benchmark::DoNotOptimize(w.Form->BackBuffer()->Pixels());
  }
}

void BM_BlinkLed17x20(benchmark::State& state) {
  TWindow w;
  auto* l = new TVrBlinkLed(w.Form);
  l->SetParent(w.Form);
  l->SetBounds(48, 136, 17, 20);
  l->Font()->SetName("Tahoma");
  l->Font()->SetHeight(-11);
  w.App.ProcessMessages();
  for (auto _ : state) {
    l->SetDark(!l->Dark());
    benchmark::DoNotOptimize(w.Form->BackBuffer()->Pixels());
  }
}

}  // namespace

BENCHMARK(BM_HorizontalMeter240x33)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_VerticalMeter33x161)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Counter49x17)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BlinkLed17x20)->Unit(benchmark::kMicrosecond);
