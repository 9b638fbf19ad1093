#include "platform/ui/backend/sdl2/Sdl2Surface.h"

#include <algorithm>

#include "platform/ui/backend/sdl2/Sdl2Scale.h"
#include "platform/ui/backend/sdl2/Sdl2X11Watch.h"

namespace {

// Made on first use (shared memory attached, a round trip) and again after a resize.
SDL_Surface* WindowSurface(SDL_Window* Window) {
  SDL_Surface* surface = nullptr;
  return X11Guarded([&] { surface = SDL_GetWindowSurface(Window); }) ? surface : nullptr;
}

void Update(SDL_Window* Window, const std::vector<SDL_Rect>& Shown) {
  if (!Shown.empty()) X11Guarded([&] { SDL_UpdateWindowSurfaceRects(Window, Shown.data(), int(Shown.size())); });
}

// A surface of another pixel layout gets the enlargement through one of ours, which SDL
// converts.
bool ConvertEnlarged(const TPixelView& Buffer, const TRect& R, int Scale, SDL_Surface* Target, SDL_Rect To) {
  SDL_Surface* block = SDL_CreateRGBSurfaceWithFormat(0, To.w, To.h, 32, SDL_PIXELFORMAT_RGB888);
  if (!block) return false;
  const TPixelView from{Buffer.Pixels + ptrdiff_t(R.Top) * Buffer.Stride + R.Left, R.Width(), R.Height(), Buffer.Stride};
  EnlargeRect(from, Rect(0, 0, R.Width(), R.Height()), Scale, block->pixels, block->pitch);
  const bool done = SDL_BlitSurface(block, nullptr, Target, &To) == 0;
  SDL_FreeSurface(block);
  return done;
}

bool BlitEnlarged(SDL_Window* Window, const TPixelView& Buffer, const std::vector<TRect>& Rects, int Scale) {
  SDL_Surface* target = WindowSurface(Window);
  if (!target) return false;
  const TRect shownPart = Rect(0, 0, std::min(Buffer.Width, target->w / Scale), std::min(Buffer.Height, target->h / Scale));
  const bool direct = target->format->format == SDL_PIXELFORMAT_RGB888;
  if (direct && SDL_LockSurface(target) != 0) return false;
  std::vector<SDL_Rect> shown;
  for (const TRect& dirty : Rects) {
    const TRect r = IntersectRect(dirty, shownPart);
    if (r.IsEmpty()) continue;
    const SDL_Rect to{r.Left * Scale, r.Top * Scale, r.Width() * Scale, r.Height() * Scale};
    if (direct)
      EnlargeRect(Buffer, r, Scale, target->pixels, target->pitch);
    else if (!ConvertEnlarged(Buffer, r, Scale, target, to))
      continue;
    shown.push_back(to);
  }
  if (direct) SDL_UnlockSurface(target);
  Update(Window, shown);
  return true;
}

}  // namespace

bool BlitToWindow(SDL_Window* Window, const TPixelView& Buffer, const std::vector<TRect>& Rects, int Scale) {
  if (Scale > 1) return BlitEnlarged(Window, Buffer, Rects, Scale);
  SDL_Surface* target = WindowSurface(Window);
  if (!target) return false;
  SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(Buffer.Pixels), Buffer.Width,
                                                           Buffer.Height, 32, Buffer.Stride * 4, SDL_PIXELFORMAT_RGB888);
  if (!source) return false;
  std::vector<SDL_Rect> shown;
  for (const TRect& r : Rects) {
    SDL_Rect s{r.Left, r.Top, r.Width(), r.Height()};
    SDL_Rect d = s;
    if (SDL_BlitSurface(source, &s, target, &d) == 0 && d.w > 0 && d.h > 0) shown.push_back(d);
  }
  SDL_FreeSurface(source);
  Update(Window, shown);
  return true;
}
