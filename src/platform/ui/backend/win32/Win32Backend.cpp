#include "platform/ui/backend/win32/Win32Backend.h"

#include <algorithm>
#include <atomic>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform/rtl/Exception.h"
#include "platform/ui/backend/ScreenBackend.h"
#include "platform/ui/backend/win32/Win32Images.h"
#include "platform/rtl/win32/Utf16.h"

namespace {

constexpr wchar_t FormClass[] = L"OrvelAX9Form";
constexpr wchar_t AppClass[] = L"OrvelAX9App";
constexpr UINT_PTR ModalTimer = 1;

// A form's window and the copy of its back buffer that the screen shows.
struct TWindowRecord {
  HWND Handle = nullptr;
  int Width = 0;
  int Height = 0;
  std::vector<uint32_t> Pixels;  // 0x00RRGGBB, Width per row: a 32-bit DIB's layout
  bool TrackingLeave = false;
  HICON BigIcon = nullptr;
  HICON SmallIcon = nullptr;
};

class TWin32Backend : public TBackend {
 public:
  TWin32Backend() {
    FInstance = GetModuleHandleW(nullptr);
    RegisterClasses();
    // The application's window: never shown, it receives the wake-ups and the modal timer.
    FAppWindow = CreateWindowExW(0, AppClass, L"OrvelAX9", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, FInstance, this);
    if (!FAppWindow) throw Exception("cannot create the application window (error " + std::to_string(::GetLastError()) + ")");
  }

  ~TWin32Backend() override {
    for (auto& [id, w] : FWindows) Release(w);
    for (auto& [id, c] : FCursors) DestroyCursor(c);
    ::DestroyWindow(FAppWindow);
  }

  int CreateWindow(const TWindowParams& params) override {
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | (params.ToolWindow ? 0 : WS_MINIMIZEBOX);
    const DWORD exStyle = params.ToolWindow ? WS_EX_TOOLWINDOW : 0;
    RECT r{0, 0, params.ClientWidth, params.ClientHeight};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    const int width = r.right - r.left, height = r.bottom - r.top;
    int x = CW_USEDEFAULT, y = CW_USEDEFAULT;
    if (params.Centered) {
      x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
      y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    }
    const int id = FNextId;
    TWindowRecord& w = FWindows[id];
    w.Width = params.ClientWidth;
    w.Height = params.ClientHeight;
    w.Pixels.assign(size_t(w.Width > 0 ? w.Width : 0) * size_t(w.Height > 0 ? w.Height : 0), 0);
    HWND h = CreateWindowExW(exStyle, FormClass, Utf8ToUtf16(params.Caption).c_str(), style, x, y, width, height,
                             nullptr, nullptr, FInstance, this);
    if (!h) {
      const DWORD error = ::GetLastError();
      FWindows.erase(id);
      throw Exception("cannot create the window (error " + std::to_string(error) + ")");
    }
    w.Handle = h;
    ++FNextId;
    return id;
  }

  void ShowWindow(int window) override {
    if (TWindowRecord* w = Find(window)) ::ShowWindow(w->Handle, SW_SHOW);
  }

  void DestroyWindow(int window) override {
    auto it = FWindows.find(window);
    if (it == FWindows.end()) return;
    Release(it->second);
    FWindows.erase(it);
  }

  void SetCaption(int window, const std::string& caption) override {
    if (TWindowRecord* w = Find(window)) SetWindowTextW(w->Handle, Utf8ToUtf16(caption).c_str());
  }

  void SetIcon(int window, const std::vector<TIconImage>& sizes) override {
    TWindowRecord* w = Find(window);
    if (!w || sizes.empty()) return;
    HICON big = CreateIconFromImage(*ClosestIconImage(sizes, GetSystemMetrics(SM_CXICON)));
    HICON small = CreateIconFromImage(*ClosestIconImage(sizes, GetSystemMetrics(SM_CXSMICON)));
    SendMessageW(w->Handle, WM_SETICON, ICON_BIG, LPARAM(big));
    SendMessageW(w->Handle, WM_SETICON, ICON_SMALL, LPARAM(small));
    // The window no longer holds the icons it had: they can go.
    if (w->BigIcon) DestroyIcon(w->BigIcon);
    if (w->SmallIcon) DestroyIcon(w->SmallIcon);
    w->BigIcon = big;
    w->SmallIcon = small;
  }

  TRect ClientBounds(int window) override {
    TWindowRecord* w = Find(window);
    if (!w) return {};
    RECT r;
    GetClientRect(w->Handle, &r);
    POINT origin{0, 0};
    ClientToScreen(w->Handle, &origin);
    return Bounds(origin.x, origin.y, r.right - r.left, r.bottom - r.top);
  }

  void Present(int window, const TPixelView& buffer, const std::vector<TRect>& dirty) override {
    TWindowRecord* w = Find(window);
    if (!w || dirty.empty()) return;
    const TRect whole = Rect(0, 0, std::min(w->Width, buffer.Width), std::min(w->Height, buffer.Height));
    for (const TRect& d : dirty) {
      const TRect r = IntersectRect(d, whole);
      if (r.IsEmpty()) continue;
      for (int y = r.Top; y < r.Bottom; ++y) {
        const uint32_t* from = buffer.Pixels + size_t(y) * size_t(buffer.Stride) + size_t(r.Left);
        std::copy(from, from + r.Width(), w->Pixels.begin() + ptrdiff_t(size_t(y) * size_t(w->Width) + size_t(r.Left)));
      }
      const RECT rc{r.Left, r.Top, r.Right, r.Bottom};
      InvalidateRect(w->Handle, &rc, FALSE);
    }
    UpdateWindow(w->Handle);  // at the end of the pass, not when the queue next runs dry
  }

  bool PollEvent(TBackendEvent& event) override {
    MSG msg;
    while (FEvents.empty() && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) continue;  // nothing here ends the loop that way
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (FEvents.empty()) return false;
    event = FEvents.front();
    FEvents.pop_front();
    return true;
  }

  void WaitEvent(uint32_t timeoutMs) override {
    // With MWMO_INPUTAVAILABLE, messages already in the queue end the wait too, not only
    // those that arrive during it.
    if (FEvents.empty() && !FWakePending.load())
      MsgWaitForMultipleObjectsEx(0, nullptr, timeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    // A Wake from now on is for the next wait: the pass that follows sees what it announced.
    FWakePending.store(false);
  }

  void Wake() override {
    FWakePending.store(true);
    PostMessageW(FAppWindow, WM_NULL, 0, 0);
  }

  void MessageBox(const std::string& title, const std::string& text) override {
    HWND owner = nullptr;
    for (auto& [id, w] : FWindows)
      if (IsWindowVisible(w.Handle)) {
        owner = w.Handle;
        break;
      }
    ++FModalDepth;
    // The first pass soon after the box is up; each pass then sets when the next one runs.
    SetTimer(FAppWindow, ModalTimer, USER_TIMER_MINIMUM, nullptr);
    // Without an owner the box disables every window of the thread instead.
    MessageBoxW(owner, Utf8ToUtf16(text).c_str(), Utf8ToUtf16(title).c_str(),
                MB_OK | (owner ? MB_APPLMODAL : MB_TASKMODAL));
    if (--FModalDepth == 0) KillTimer(FAppWindow, ModalTimer);
  }

  void RegisterCursor(int id, int width, int height, const std::vector<uint8_t>& image,
                      const std::vector<uint8_t>& mask, int hotX, int hotY) override {
    HCURSOR c = CreateCursorFromBits(width, height, image, mask, hotX, hotY);
    if (!c) return;
    auto it = FCursors.find(id);
    if (it != FCursors.end()) DestroyCursor(it->second);
    FCursors[id] = c;
  }

 private:
  TWindowRecord* Find(int window) {
    auto it = FWindows.find(window);
    return it == FWindows.end() ? nullptr : &it->second;
  }

  TWindowRecord* FindByHandle(HWND h) {
    for (auto& [id, w] : FWindows)
      if (w.Handle == h) return &w;
    return nullptr;
  }

  int IdOf(HWND h) {
    for (auto& [id, w] : FWindows)
      if (w.Handle == h) return id;
    return 0;
  }

  static void Release(TWindowRecord& w) {
    if (w.Handle) ::DestroyWindow(w.Handle);
    if (w.BigIcon) DestroyIcon(w.BigIcon);
    if (w.SmallIcon) DestroyIcon(w.SmallIcon);
    w = TWindowRecord{};
  }

  void RegisterClasses() {
    WNDCLASSEXW form{};
    form.cbSize = sizeof form;
    form.lpfnWndProc = FormProc;
    form.hInstance = FInstance;
    form.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    // The program's icon from its resources, in the sizes the system draws; a program
    // without one gets the system's default.
    form.hIcon = HICON(LoadImageW(FInstance, L"MAINICON", IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                  GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR | LR_SHARED));
    form.hIconSm = HICON(LoadImageW(FInstance, L"MAINICON", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                    GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR | LR_SHARED));
    form.lpszClassName = FormClass;
    WNDCLASSEXW app{};
    app.cbSize = sizeof app;
    app.lpfnWndProc = AppProc;
    app.hInstance = FInstance;
    app.lpszClassName = AppClass;
    // A second backend in one process (tests) finds the classes there already.
    for (const WNDCLASSEXW* c : {&form, &app})
      if (!RegisterClassExW(c) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        throw Exception("cannot register the window class (error " + std::to_string(::GetLastError()) + ")");
  }

  static TWin32Backend* Self(HWND h, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      auto* self = static_cast<TWin32Backend*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
      SetWindowLongPtrW(h, GWLP_USERDATA, LONG_PTR(self));
      return self;
    }
    return reinterpret_cast<TWin32Backend*>(GetWindowLongPtrW(h, GWLP_USERDATA));
  }

  static LRESULT CALLBACK FormProc(HWND h, UINT message, WPARAM wParam, LPARAM lParam) {
    TWin32Backend* self = Self(h, message, lParam);
    if (self)
      if (TWindowRecord* w = self->FindByHandle(h)) return self->FormMessage(*w, message, wParam, lParam);
    return DefWindowProcW(h, message, wParam, lParam);
  }

  static LRESULT CALLBACK AppProc(HWND h, UINT message, WPARAM wParam, LPARAM lParam) {
    TWin32Backend* self = Self(h, message, lParam);
    if (self && (message == WM_NULL || (message == WM_TIMER && wParam == ModalTimer))) {
      // Outside a modal loop the application's own loop does this work after the wait.
      if (self->FModalDepth > 0) self->ModalPass();
      return 0;
    }
    return DefWindowProcW(h, message, wParam, lParam);
  }

  void Push(TBackendEventKind kind, HWND h, int x = 0, int y = 0) { FEvents.push_back({kind, IdOf(h), x, y}); }

  // Outside the window and not captured by it (a drag still belongs to the window).
  static bool PointerOutside(HWND h) {
    POINT p;
    return GetCapture() != h && GetCursorPos(&p) && WindowFromPoint(p) != h;
  }

  LRESULT FormMessage(TWindowRecord& w, UINT message, WPARAM wParam, LPARAM lParam) {
    const int x = short(LOWORD(lParam)), y = short(HIWORD(lParam));
    switch (message) {
      case WM_PAINT: Paint(w); return 0;
      case WM_ERASEBKGND: return 1;  // every pixel comes from the copy
      case WM_CLOSE: Push(TBackendEventKind::Close, w.Handle); return 0;
      case WM_ENDSESSION:
        if (!wParam) return 0;  // the logoff was called off
        // Inside a message box the code that showed it is still on the stack, and its forms
        // must stay: the close waits for the application's own pass.
        if (!OnEndSession || FModalDepth > 0) {
          Push(TBackendEventKind::Close, w.Handle);
          return 0;
        }
        OnEndSession();  // may destroy this window: w is not touched after it
        return 0;
      case WM_MOUSEMOVE:
        Push(TBackendEventKind::MouseMove, w.Handle, x, y);
        if (!w.TrackingLeave) {
          // A pointer already gone when the move is handled: Windows posts the leave at once,
          // Wine starts no tracking and never does, so the leave is ours to report.
          if (PointerOutside(w.Handle)) {
            Push(TBackendEventKind::MouseLeave, w.Handle);
            return 0;
          }
          TRACKMOUSEEVENT t{sizeof t, TME_LEAVE, w.Handle, 0};
          w.TrackingLeave = TrackMouseEvent(&t) != FALSE;
        }
        return 0;
      case WM_MOUSELEAVE:
        w.TrackingLeave = false;
        Push(TBackendEventKind::MouseLeave, w.Handle);
        return 0;
      case WM_LBUTTONDOWN:
        SetCapture(w.Handle);  // the release comes here even outside the window
        Push(TBackendEventKind::MouseDown, w.Handle, x, y);
        return 0;
      case WM_LBUTTONUP:
        if (GetCapture() == w.Handle) ReleaseCapture();
        Push(TBackendEventKind::MouseUp, w.Handle, x, y);
        return 0;
      default: return DefWindowProcW(w.Handle, message, wParam, lParam);
    }
  }

  // Draws the invalid region from the copy, one rectangle of the region at a time.
  void Paint(TWindowRecord& w) {
    std::vector<RECT> rects;
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    if (GetUpdateRgn(w.Handle, region, FALSE) > NULLREGION) {
      const DWORD size = GetRegionData(region, 0, nullptr);
      std::vector<uint8_t> data(size);
      auto* rd = reinterpret_cast<RGNDATA*>(data.data());
      if (size && GetRegionData(region, size, rd)) {
        const RECT* r = reinterpret_cast<const RECT*>(rd->Buffer);
        rects.assign(r, r + rd->rdh.nCount);
      }
    }
    DeleteObject(region);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w.Handle, &ps);
    if (rects.empty()) rects.push_back(ps.rcPaint);
    for (const RECT& r : rects) Blit(w, dc, r);
    EndPaint(w.Handle, &ps);
  }

  // One rectangle of the copy to the window: a top-down DIB of the rectangle's rows.
  static void Blit(const TWindowRecord& w, HDC dc, RECT r) {
    r.left = std::max<LONG>(r.left, 0);
    r.top = std::max<LONG>(r.top, 0);
    r.right = std::min<LONG>(r.right, w.Width);
    r.bottom = std::min<LONG>(r.bottom, w.Height);
    if (r.right <= r.left || r.bottom <= r.top) return;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w.Width;
    bi.bmiHeader.biHeight = -(r.bottom - r.top);
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    const uint32_t* rows = w.Pixels.data() + size_t(r.top) * size_t(w.Width);
    SetDIBitsToDevice(dc, r.left, r.top, DWORD(r.right - r.left), DWORD(r.bottom - r.top), r.left, 0, 0,
                      UINT(r.bottom - r.top), rows, &bi, DIB_RGB_COLORS);
  }

  // The application's work while a message box's loop runs. Not entered again from inside
  // itself (a box shown by that work runs without it).
  void ModalPass() {
    if (FInModalPass || !OnModalPass) return;
    FInModalPass = true;
    uint32_t next = 0xFFFFFFFFu;
    try {
      next = OnModalPass();
    } catch (...) {
      // The pass hands its exceptions to the application; nothing may unwind through the
      // system's modal loop.
    }
    FInModalPass = false;
    if (FModalDepth == 0) return;
    if (next == 0xFFFFFFFFu)
      KillTimer(FAppWindow, ModalTimer);  // a Wake brings the next pass
    else
      SetTimer(FAppWindow, ModalTimer, std::max<UINT>(next, USER_TIMER_MINIMUM), nullptr);
  }

  HINSTANCE FInstance = nullptr;
  HWND FAppWindow = nullptr;
  std::map<int, TWindowRecord> FWindows;
  int FNextId = 1;
  std::map<int, HCURSOR> FCursors;
  std::deque<TBackendEvent> FEvents;
  std::atomic<bool> FWakePending{false};
  int FModalDepth = 0;
  bool FInModalPass = false;
};

}  // namespace

std::unique_ptr<TBackend> CreateWin32Backend() { return std::make_unique<TWin32Backend>(); }
std::unique_ptr<TBackend> CreateScreenBackend() { return CreateWin32Backend(); }
