#include "platform/ui/backend/sdl2/Sdl2X11Present.h"

#include <algorithm>

#include "platform/ui/backend/sdl2/Sdl2Scale.h"

// Last: Xlib's macros (Status, None, Bool) would break the headers above.
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

bool LittleEndianHost() {
  const uint32_t probe = 1;
  return *reinterpret_cast<const unsigned char*>(&probe) == 1;
}

}  // namespace

std::unique_ptr<TX11Presenter> TX11Presenter::ForWindow(SDL_Window* Window) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!Window || !SDL_GetWindowWMInfo(Window, &info) || info.subsystem != SDL_SYSWM_X11) return nullptr;
  Display* d = info.info.x11.display;
  XWindowAttributes a;
  if (!d || !XGetWindowAttributes(d, info.info.x11.window, &a) || !a.visual) return nullptr;
  const Visual* v = a.visual;
  // A DirectColor visual gets a straight colour ramp from SDL, and then the same pixel
  // values as TrueColor.
  if ((v->c_class != TrueColor && v->c_class != DirectColor) || v->red_mask != 0xFF0000 || v->green_mask != 0xFF00 || v->blue_mask != 0xFF ||
      (a.depth != 24 && a.depth != 32))
    return nullptr;
  GC gc = XCreateGC(d, info.info.x11.window, 0, nullptr);
  if (!gc) return nullptr;
  std::unique_ptr<TX11Presenter> p(new TX11Presenter);
  p->FDisplay = d;
  p->FWindow = info.info.x11.window;
  p->FGc = gc;
  p->FVisual = a.visual;
  p->FDepth = a.depth;
  return p;
}

TX11Presenter::~TX11Presenter() {
  if (FGc) XFreeGC(static_cast<Display*>(FDisplay), static_cast<GC>(FGc));
}

void TX11Presenter::Put(const uint32_t* Pixels, int Stride, int Height, int FromX, int FromY, int ToX, int ToY,
                        int Width, int RectHeight) {
  // The image describes the pixels where they are; Xlib copies the part asked for into the
  // request, so the buffer may change as soon as this returns.
  XImage image{};
  image.width = Stride;
  image.height = Height;
  image.format = ZPixmap;
  image.data = reinterpret_cast<char*>(const_cast<uint32_t*>(Pixels));
  image.byte_order = LittleEndianHost() ? LSBFirst : MSBFirst;
  image.bitmap_unit = 32;
  image.bitmap_bit_order = image.byte_order;
  image.bitmap_pad = 32;
  image.depth = FDepth;
  image.bytes_per_line = Stride * 4;
  image.bits_per_pixel = 32;
  const Visual* v = static_cast<const Visual*>(FVisual);
  image.red_mask = v->red_mask;
  image.green_mask = v->green_mask;
  image.blue_mask = v->blue_mask;
  if (!XInitImage(&image)) return;
  XPutImage(static_cast<Display*>(FDisplay), FWindow, static_cast<GC>(FGc), &image, FromX, FromY, ToX, ToY,
            unsigned(Width), unsigned(RectHeight));
}

void TX11Presenter::PutRect(const TPixelView& Buffer, const TRect& R, int Scale) {
  if (Scale <= 1) {
    Put(Buffer.Pixels, Buffer.Stride, Buffer.Height, R.Left, R.Top, R.Left, R.Top, R.Width(), R.Height());
    return;
  }
  const int width = R.Width() * Scale, height = R.Height() * Scale;
  FEnlarged.resize(size_t(width) * size_t(height));
  const TPixelView from{Buffer.Pixels + ptrdiff_t(R.Top) * Buffer.Stride + R.Left, R.Width(), R.Height(),
                        Buffer.Stride};
  EnlargeRect(from, Rect(0, 0, R.Width(), R.Height()), Scale, FEnlarged.data(), width * 4);
  Put(FEnlarged.data(), width, height, 0, 0, R.Left * Scale, R.Top * Scale, width, height);
}

void TX11Presenter::Present(const TPixelView& Buffer, const std::vector<TRect>& Rects, int Scale) {
  if (!FGc) return;
  const TRect whole = Rect(0, 0, Buffer.Width, Buffer.Height);
  for (const TRect& dirty : Rects) {
    const TRect r = IntersectRect(dirty, whole);
    if (!r.IsEmpty()) PutRect(Buffer, r, Scale);
  }
  XFlush(static_cast<Display*>(FDisplay));
}
