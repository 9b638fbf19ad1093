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
// On a server of the same machine the pixels go through a shared memory segment instead of
// the connection: the meters change about 140 KB of the window per reading, and copying that
// through the socket cost the program more than painting it. The server reads the segment
// some time after the request went out, so the segment is written again only once the
// server has answered the last request that reads it (it sends an event for that request);
// a present that finds it still being read sends its pixels in the requests as before.
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

  // The type of the event the server answers a shared-memory present with; 0 when presents
  // do not go through shared memory.
  int CompletionEvent() const { return FCompletionEvent; }

  // Shows the rectangles of Buffer, each pixel as a Scale x Scale block, at the same places
  // (times Scale) of the window; the requests are sent off at once.
  void Present(const TPixelView& Buffer, const std::vector<TRect>& Rects, int Scale);

 private:
  TX11Presenter() = default;
  void Put(const uint32_t* Pixels, int Stride, int Height, int FromX, int FromY, int ToX, int ToY, int Width,
           int RectHeight);
  void PutRect(const TPixelView& Buffer, const TRect& R, int Scale);
  void ShareMemory(int Width, int Height);
  bool SegmentFree();
  void PutShared(const TPixelView& Buffer, const std::vector<TRect>& Rects, int Scale);

  struct TShm;  // the segment and its image, with Xlib's types

  void* FDisplay = nullptr;  // Display*, GC and Visual* kept opaque: Xlib's macros stay in the .cpp
  unsigned long FWindow = 0;
  void* FGc = nullptr;
  void* FVisual = nullptr;
  int FDepth = 0;
  std::vector<uint32_t> FEnlarged;  // one enlarged rectangle at a time
  std::unique_ptr<TShm> FShm;
  bool FShmReading = false;        // the server may still read the segment
  unsigned long FShmLastPut = 0;   // the request number of the last request that reads it
  int FCompletionEvent = 0;
};
