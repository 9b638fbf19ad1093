#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/gfx/Types.h"

// How a form reaches a screen. One backend serves the whole program; all calls but Wake
// are made on the user-interface thread.

struct TWindowParams {
  std::string Caption;
  int ClientWidth = 0;
  int ClientHeight = 0;
  bool ToolWindow = true;   // small caption, no minimise or maximise, not resizable
  bool Centered = true;     // centred on the screen
};

// An icon image: 0x00RRGGBB pixels, row-major, with a separate opacity per pixel.
struct TIconImage {
  int Width = 0;
  int Height = 0;
  std::vector<uint32_t> Pixels;
  std::vector<uint8_t> Alpha;

  // Pixel I as 0xAARRGGBB; opaque where no opacity is given.
  uint32_t Argb(size_t I) const {
    const uint32_t alpha = I < Alpha.size() ? Alpha[I] : 255;
    return alpha << 24 | (Pixels[I] & 0xFFFFFF);
  }
};

// DisplayLost: the connection to the screen broke (Window is 0). Nothing is shown any more;
// the backend's calls do nothing from then on, and the program is expected to end.
enum class TBackendEventKind { Close, Expose, MouseMove, MouseLeave, MouseDown, MouseUp, DisplayLost };

struct TBackendEvent {
  TBackendEventKind Kind;
  int Window = 0;
  int X = 0;
  int Y = 0;
};

// A region of a back buffer: 0x00RRGGBB pixels, `Stride` pixels per row.
struct TPixelView {
  const uint32_t* Pixels = nullptr;
  int Width = 0;
  int Height = 0;
  int Stride = 0;
};

class TBackend {
 public:
  virtual ~TBackend() = default;

  virtual int CreateWindow(const TWindowParams& params) = 0;  // hidden until ShowWindow
  virtual void ShowWindow(int window) = 0;
  virtual void DestroyWindow(int window) = 0;
  virtual void SetCaption(int window, const std::string& caption) = 0;
  virtual void SetIcon(int window, const std::vector<TIconImage>& sizes) = 0;
  // Where the window's client area is on the screen, and its size.
  virtual TRect ClientBounds(int window) = 0;

  // Copies the dirty rectangles of the back buffer to the window.
  virtual void Present(int window, const TPixelView& buffer, const std::vector<TRect>& dirty) = 0;

  // Takes the next input event, if any; never blocks.
  virtual bool PollEvent(TBackendEvent& event) = 0;
  // Blocks until an input event is waiting, Wake was called, or the time (ms, INFINITE =
  // no limit) is up. A Wake that comes before the wait is not lost.
  virtual void WaitEvent(uint32_t timeoutMs) = 0;
  // Any thread: ends a WaitEvent now or the next one at once.
  virtual void Wake() = 0;

  // A modal message box with one text and an OK button.
  virtual void MessageBox(const std::string& title, const std::string& text) = 0;
  // A cursor image registered under a number; 1-bit image and mask, as 0/1 bytes.
  virtual void RegisterCursor(int id, int width, int height, const std::vector<uint8_t>& image,
                              const std::vector<uint8_t>& mask, int hotX, int hotY) = 0;

  // What the application needs done while a modal loop of the backend runs (a message box):
  // one pass of its work without input events (hand-overs, due timers, paints). Returns the
  // milliseconds until it wants to run again (INFINITE: only after a Wake). Set by the
  // application; a backend whose modal loop cannot run it leaves that work until the box is
  // answered.
  std::function<uint32_t()> OnModalPass;
  // The session ends (a logoff, a shutdown): the system may end the process as soon as the
  // backend returns from telling it, so the application closes and lets go of what its forms
  // hold (an open port) in this call, not in a later pass. Set by the application.
  std::function<void()> OnEndSession;
};
