#include "platform/ui/backend/sdl2/Sdl2Backend.h"

#include <SDL.h>
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>

#include "platform/kernel/EventObject.h"
#include "platform/rtl/Exception.h"
#include "platform/ui/backend/ScreenBackend.h"
#include "platform/ui/backend/sdl2/Sdl2MessageBox.h"
#include "platform/ui/backend/sdl2/Sdl2Scale.h"
#include "platform/ui/backend/sdl2/Sdl2Surface.h"
#include "platform/ui/backend/sdl2/Sdl2Wait.h"
#include "platform/ui/backend/sdl2/Sdl2X11Icon.h"
#include "platform/ui/backend/sdl2/Sdl2X11Present.h"
#include "platform/ui/backend/sdl2/Sdl2X11Watch.h"

namespace {

// All SDL state of the program in one place.
class TSdl2Backend : public TBackend {
 public:
  TSdl2Backend() {
    SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // SDL would turn SIGINT and SIGTERM into an event the program has no use for, so that
    // neither ended it any more; they keep their ordinary effect.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // A request written to a display that has gone raises SIGPIPE, which would end the
    // program before Xlib reports the loss.
    signal(SIGPIPE, SIG_IGN);
    // The window's own pixel buffer, not a texture behind a renderer: the renderer would load
    // the GL stack (about 90 MB more resident, several times slower per update) and re-create
    // each window when its surface is first taken, losing what was set on it, such as the
    // owner of a message box.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // SDL drops a press that comes within 10 ms of a window taking the focus, so that a quick
    // click on the OK of a message box just shown could go unanswered.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    ChooseDriver();
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
      const std::string reason = OneLine(SDL_GetError());
      SDL_Quit();
      throw Exception(reason.empty() ? std::string("no video device") : reason);
    }
    FWakeEvent = SDL_RegisterEvents(1);
    FScale = FindScreenScale();
    WatchDisplay();
  }

  ~TSdl2Backend() override {
    FPresenters.clear();  // Xlib lets go of its part also without the display
    // Without its display SDL cannot let go of anything; the process ends soon after.
    if (Lost()) return;
    for (auto& [id, c] : FCursors) X11Guarded([&] { SDL_FreeCursor(c); });
    for (auto& [id, w] : FWindows) {
      ForgetX11Window(w);
      X11Guarded([&] { SDL_DestroyWindow(w); });
    }
    if (UnwatchX11Display()) SDL_Quit();
  }

  int CreateWindow(const TWindowParams& params) override {
    if (Lost()) return NoWindow;
    const int pos = params.Centered ? int(SDL_WINDOWPOS_CENTERED) : int(SDL_WINDOWPOS_UNDEFINED);
    Uint32 flags = SDL_WINDOW_HIDDEN | FScale.WindowFlags();
    if (params.ToolWindow) flags |= SDL_WINDOW_UTILITY;
    const int width = FScale.WindowSize(params.ClientWidth), height = FScale.WindowSize(params.ClientHeight);
    const char* caption = params.Caption.c_str();
    SDL_Window* w = nullptr;
    if (!X11Guarded([&] { w = SDL_CreateWindow(caption, pos, pos, width, height, flags); })) return NoWindow;
    if (!w) throw Exception(std::string("cannot create the window: ") + SDL_GetError());
    RegisterX11Window(w);
    // Equal minimum and maximum sizes keep window managers from resizing or maximising it.
    if (!X11Guarded([&] {
          SDL_SetWindowMinimumSize(w, width, height);
          SDL_SetWindowMaximumSize(w, width, height);
          SDL_SetWindowResizable(w, SDL_FALSE);
        }))
      return NoWindow;
    const int id = int(SDL_GetWindowID(w));
    FWindows[id] = w;
    if (auto p = TX11Presenter::ForWindow(w)) {
      if (p->CompletionEvent()) FInput.SetDroppedEvent(p->CompletionEvent());
      FPresenters[id] = std::move(p);
    }
    if (!FDisplay) SetDisplay(DisplayConnection(w));
    FOwnWait = FDisplay != nullptr;
    return id;
  }

  void ShowWindow(int window) override {
    // SDL waits until the window is mapped: with the display gone, for ever unless guarded.
    if (SDL_Window* w = Find(window)) X11Guarded([&] { SDL_ShowWindow(w); });
  }

  void DestroyWindow(int window) override {
    SDL_Window* w = Find(window);
    FWindows.erase(window);
    FPresenters.erase(window);
    if (!w || Lost()) return;
    ForgetX11Window(w);
    X11Guarded([&] { SDL_DestroyWindow(w); });
  }

  void SetCaption(int window, const std::string& caption) override {
    const char* text = caption.c_str();
    if (SDL_Window* w = Find(window)) X11Guarded([&] { SDL_SetWindowTitle(w, text); });
  }

  void SetIcon(int window, const std::vector<TIconImage>& original) override {
    SDL_Window* w = Find(window);
    if (!w || original.empty()) return;
    const std::vector<TIconImage> sizes = WithEnlargedIcons(original, FScale.Pixels(w));
    const TIconImage* best = &sizes[0];
    for (const auto& s : sizes)
      if (s.Width > best->Width) best = &s;
    SDL_Surface* icon = SDL_CreateRGBSurfaceWithFormat(0, best->Width, best->Height, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!icon) return;
    for (int y = 0; y < best->Height; ++y) {
      auto* row = reinterpret_cast<Uint32*>(static_cast<Uint8*>(icon->pixels) + y * icon->pitch);
      for (int x = 0; x < best->Width; ++x) row[x] = best->Argb(size_t(y * best->Width + x));
    }
    const bool kept = X11Guarded([&] { SDL_SetWindowIcon(w, icon); });
    SDL_FreeSurface(icon);
    if (kept) SetX11IconSizes(w, sizes);
  }

  TRect ClientBounds(int window) override {
    SDL_Window* w = Find(window);
    return w ? FScale.ClientBounds(w) : TRect{};
  }

  void Present(int window, const TPixelView& buffer, const std::vector<TRect>& dirty) override {
    SDL_Window* w = Find(window);
    if (!w || dirty.empty()) return;
    if (auto p = FPresenters.find(window); p != FPresenters.end()) {
      p->second->Present(buffer, dirty, FScale.Pixels(w));
      if (!Lost()) FInput.Flushed();
    } else
      BlitToWindow(w, buffer, dirty, FScale.Pixels(w));
  }

  bool PollEvent(TBackendEvent& event) override {
    if (TakeNews(event)) return true;
    // What arrived while a message box was up comes first, in its order.
    while (!FDeferred.empty() && !Lost()) {
      const SDL_Event e = FDeferred.front();
      FDeferred.pop_front();
      if (Translate(e, event)) return true;
    }
    SDL_Event e;
    // SDL fetches from the display on every poll; most passes (a hand-over, a timer) find
    // nothing there, and then what SDL already holds is enough.
    const bool fetch = !Lost() && FInput.HasInput();
    while (!Lost() && NextSdlEvent(e, fetch))
      if (Translate(e, event)) return true;
    return TakeNews(event);
  }

  void WaitEvent(uint32_t timeoutMs) override {
    if (HasNews()) {
      // Reported by the next poll.
    } else if (Lost()) {
      WaitForHandles({FWake.Handle()}, timeoutMs);  // no display to wait on any more
    } else if (FDeferred.empty()) {
      if (FDisplay || FWindows.empty())
        FInput.Wait(FWake.Handle(), timeoutMs);
      else if (timeoutMs == INFINITE)
        X11Guarded([] { SDL_WaitEvent(nullptr); });  // a display we cannot wait on ourselves; Wake posts to SDL too
      else
        X11Guarded([&] { SDL_WaitEventTimeout(nullptr, int(std::min<uint32_t>(timeoutMs, 0x7FFFFFFF))); });
    }
    // A Wake from now on is for the next wait: the pass that follows sees what it announced.
    FWake.Reset();
  }

  void Wake() override {
    FWake.Set();
    // SDL's own wait needs an event of its own to wake; ours watches FWake.
    if (FOwnWait) return;
    SDL_Event e{};
    e.type = FWakeEvent;
    SDL_PushEvent(&e);
  }

  void MessageBox(const std::string& title, const std::string& text) override {
    if (Lost()) {
      std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());  // said somewhere rather than lost
      return;
    }
    SDL_Window* parent = nullptr;
    for (auto& [id, w] : FWindows)
      if (SDL_GetWindowFlags(w) & SDL_WINDOW_SHOWN) parent = w;
    RunMessageBox(parent, title, text, FDeferred, FScale);
  }

  void RegisterCursor(int id, int width, int height, const std::vector<uint8_t>& image,
                      const std::vector<uint8_t>& mask, int hotX, int hotY) override {
    if (Lost()) return;
    // As large on the screen as the desktop's own pointers.
    const int s = FScale.Window;
    const std::vector<uint8_t> shape = EnlargeBits(image, width, height, s), cover = EnlargeBits(mask, width, height, s);
    width *= s, height *= s, hotX *= s, hotY *= s;
    // SDL takes one bit per pixel, most significant bit first, rows padded to bytes.
    const int rowBytes = (width + 7) / 8;
    std::vector<Uint8> data(size_t(rowBytes * height)), bits(size_t(rowBytes * height));
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const size_t i = size_t(y * width + x), b = size_t(y * rowBytes + x / 8);
        const Uint8 bit = Uint8(0x80 >> (x % 8));
        if (i < shape.size() && shape[i]) data[b] |= bit;
        if (i < cover.size() && cover[i]) bits[b] |= bit;
      }
    const Uint8 *shapeBits = data.data(), *maskBits = bits.data();
    SDL_Cursor* c = nullptr;
    if (!X11Guarded([&] { c = SDL_CreateCursor(shapeBits, maskBits, width, height, hotX, hotY); }) || !c) return;
    if (SDL_Cursor* old = FCursors.count(id) ? FCursors[id] : nullptr) X11Guarded([&] { SDL_FreeCursor(old); });
    FCursors[id] = c;
  }

 private:
  // The handle of a window asked for when the display was already gone.
  static constexpr int NoWindow = -1;

  static bool Lost() { return X11DisplayLost(); }

  // A window in hand, unless the display is gone: then no call may reach SDL.
  SDL_Window* Find(int window) {
    auto it = FWindows.find(window);
    return it == FWindows.end() || Lost() ? nullptr : it->second;
  }

  // The display connection is taken over before anything can break it, so that a loss is
  // reported rather than ending the process; SDL names its connection only through a window.
  void WatchDisplay() {
    SDL_Window* probe = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_HIDDEN);
    if (!probe) return;
    if (WatchX11Display(probe)) SetDisplay(DisplayConnection(probe));
    FOwnWait = FDisplay != nullptr;
    X11Guarded([&] { SDL_DestroyWindow(probe); });
  }

  void SetDisplay(TDisplayLink Display) {
    FDisplay = Display;
    FInput.SetDisplay(Display);
  }

  // What SDL's queue does not hold: windows that another client destroyed (reported as a
  // close), and the loss of the display (once).
  bool HasNews() {
    for (Uint32 id; (id = TakeDestroyedX11Window()) != 0;) FDestroyed.push_back(int(id));
    return !FDestroyed.empty() || (Lost() && !FLossReported);
  }

  bool TakeNews(TBackendEvent& event) {
    if (!HasNews()) return false;
    if (Lost() && !FLossReported) {
      FLossReported = true;
      event = {TBackendEventKind::DisplayLost, 0, 0, 0};
      return true;
    }
    event = {TBackendEventKind::Close, FDestroyed.front(), 0, 0};
    FDestroyed.pop_front();
    return true;
  }

  static bool Set(const char* name) {
    const char* v = std::getenv(name);
    return v && *v;
  }

  // Only the drivers that put a window on a screen, unless SDL_VIDEODRIVER chooses: without
  // one SDL falls back on its off-screen driver and the program would run unseen. A display
  // must be named; Wayland is tried only when a compositor is (its library complains on
  // standard error otherwise).
  static void ChooseDriver() {
    if (Set("SDL_VIDEODRIVER")) return;
    if (!Set("DISPLAY") && !Set("WAYLAND_DISPLAY")) throw Exception("DISPLAY is not set");
    SDL_SetHint(SDL_HINT_VIDEODRIVER, Set("WAYLAND_DISPLAY") ? "x11,wayland" : "x11");
  }

  static std::string OneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    std::replace(text.begin(), text.end(), '\r', ' ');
    return text;
  }

  // A pointer that left the window is reported once more at the window's nearest edge pixel
  // before the leave. The control there was never under the pointer: such a report, on the
  // edge while the pointer is really outside, is dropped.
  static bool LeftAtEdge(const SDL_MouseMotionEvent& m) {
    SDL_Window* w = SDL_GetWindowFromID(m.windowID);
    if (!w) return false;
    int width, height;
    SDL_GetWindowSize(w, &width, &height);
    if (m.x > 0 && m.y > 0 && m.x < width - 1 && m.y < height - 1) return false;
    int left, top, x = 0, y = 0;
    SDL_GetWindowPosition(w, &left, &top);
    if (!X11Guarded([&] { SDL_GetGlobalMouseState(&x, &y); })) return false;
    return x < left || y < top || x >= left + width || y >= top + height;
  }

  bool Translate(const SDL_Event& e, TBackendEvent& out) {
    if (e.type == SDL_SYSWMEVENT) {
      NoteX11Event(e);
      return false;
    }
    if (e.type == SDL_MOUSEMOTION) {
      if (LeftAtEdge(e.motion)) return false;
      out = {TBackendEventKind::MouseMove, int(e.motion.windowID), FScale.Pointer(e.motion.x), FScale.Pointer(e.motion.y)};
      return true;
    }
    if (e.type == SDL_MOUSEBUTTONDOWN || e.type == SDL_MOUSEBUTTONUP) {
      out = {e.type == SDL_MOUSEBUTTONDOWN ? TBackendEventKind::MouseDown : TBackendEventKind::MouseUp,
             int(e.button.windowID), FScale.Pointer(e.button.x), FScale.Pointer(e.button.y)};
      return true;
    }
    if (e.type != SDL_WINDOWEVENT) return false;
    const int id = int(e.window.windowID);
    switch (e.window.event) {
      case SDL_WINDOWEVENT_CLOSE: out = {TBackendEventKind::Close, id, 0, 0}; return true;
      case SDL_WINDOWEVENT_EXPOSED: out = {TBackendEventKind::Expose, id, 0, 0}; return true;
      case SDL_WINDOWEVENT_LEAVE: out = {TBackendEventKind::MouseLeave, id, 0, 0}; return true;
      default: return false;
    }
  }

  std::map<int, SDL_Window*> FWindows;
  std::map<int, SDL_Cursor*> FCursors;
  std::map<int, std::unique_ptr<TX11Presenter>> FPresenters;  // by window, where X11 serves
  std::deque<SDL_Event> FDeferred;
  std::deque<int> FDestroyed;
  bool FLossReported = false;
  TDisplayLink FDisplay = nullptr;
  TDisplayInput FInput;  // on FDisplay
  std::atomic<bool> FOwnWait{false};  // read by Wake on other threads
  TScreenScale FScale;
  TEventObject FWake;
  Uint32 FWakeEvent = 0;
};

}  // namespace

std::unique_ptr<TBackend> CreateSdl2Backend() { return std::make_unique<TSdl2Backend>(); }
std::unique_ptr<TBackend> CreateScreenBackend() { return CreateSdl2Backend(); }
