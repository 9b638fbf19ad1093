#pragma once
#include <SDL.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/ui/backend/Backend.h"

// Showing a window's back buffer with plain image requests on SDL's display connection.
//
// SDL's own update of a window surface waits for the X server to finish every update (a
// round trip), which cost more than everything else the program does for a small change.
// An image request carries the pixels in itself, so nothing needs waiting for: the
// requests are sent and the loop goes on; the server draws them in order. Errors (a window
// destroyed by another client, a lost display) reach the handlers of Sdl2X11Watch as they
// do for every other request.
//
// User-interface thread only. Once the display is lost only the destructor may run: Xlib
// then drops the request and frees what it holds on our side.
class TX11Presenter {
 public:
  // Null when the window is not on X11, or when its pixels are not 0x00RRGGBB in 32 bits
  // (then SDL's surface serves).
  static std::unique_ptr<TX11Presenter> ForWindow(SDL_Window* Window);
  TX11Presenter(const TX11Presenter&) = delete;
  TX11Presenter& operator=(const TX11Presenter&) = delete;
  ~TX11Presenter();

  // Shows the rectangles of Buffer, each pixel as a Scale x Scale block, at the same places
  // (times Scale) of the window; the requests are sent off at once.
  void Present(const TPixelView& Buffer, const std::vector<TRect>& Rects, int Scale);

 private:
  TX11Presenter() = default;
  void Put(const uint32_t* Pixels, int Stride, int Height, int FromX, int FromY, int ToX, int ToY, int Width,
           int RectHeight);
  void PutRect(const TPixelView& Buffer, const TRect& R, int Scale);

  void* FDisplay = nullptr;  // Display*, GC and Visual* kept opaque: Xlib's macros stay in the .cpp
  unsigned long FWindow = 0;
  void* FGc = nullptr;
  void* FVisual = nullptr;
  int FDepth = 0;
  std::vector<uint32_t> FEnlarged;  // one enlarged rectangle at a time
};
