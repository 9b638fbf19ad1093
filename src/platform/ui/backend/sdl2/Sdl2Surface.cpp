#include "platform/ui/backend/sdl2/Sdl2Surface.h"

bool BlitToWindow(SDL_Window* Window, const TPixelView& Buffer, const std::vector<TRect>& Rects) {
  SDL_Surface* target = SDL_GetWindowSurface(Window);
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
  if (!shown.empty()) SDL_UpdateWindowSurfaceRects(Window, shown.data(), int(shown.size()));
  return true;
}
