// What the instrument controls do for every received frame: a meter's background gradient
// and its labels.
#include <benchmark/benchmark.h>

#include "instruments/VrSysUtils.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/Font.h"

namespace {

void GradientStyle6Horizontal240x33(benchmark::State& state) {
  TBitmap b(240, 33);
  for (auto _ : state) {
    GradientFill(*b.Canvas(), Rect(0, 0, 240, 33), clBlack, clWhite, 6, 1);
    benchmark::DoNotOptimize(b.Pixels());
  }
}
BENCHMARK(GradientStyle6Horizontal240x33);

void GradientStyle5Vertical33x161(benchmark::State& state) {
  TBitmap b(33, 161);
  for (auto _ : state) {
    GradientFill(*b.Canvas(), Rect(0, 0, 33, 161), clBlack, clWhite, 5, 1);
    benchmark::DoNotOptimize(b.Pixels());
  }
}
BENCHMARK(GradientStyle5Vertical33x161);

// One label as the meter draws it: measured, placed centred on its tick, drawn bottom-aligned
// into its rectangle with a clear brush.
void JogMeterLabel(benchmark::State& state) {
  TBitmap b(240, 33);
  TCanvas& c = *b.Canvas();
  TFont font;
  font.SetName("Arial");
  font.SetHeight(-11);
  font.SetColor(clBlack);
  c.SetFont(&font);
  c.Brush()->SetStyle(bsClear);
  const std::string text = "-20";
  c.TextWidth(text);  // the glyphs are cached from the first paint on
  for (auto _ : state) {
    TRect label = Rect(0, 0, 240, 33);
    label.Left = 24 - c.TextWidth(text) / 2;
    label.Top = 14;
    label.Bottom = label.Top + c.TextHeight(text);
    c.DrawText(label, text, {tfSingleLine, tfBottom, tfNoPrefix});
    benchmark::DoNotOptimize(b.Pixels());
  }
}
BENCHMARK(JogMeterLabel);

}  // namespace
