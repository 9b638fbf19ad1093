#include "platform/ui/backend/sdl2/Sdl2MessageBox.h"

#include <cstdio>
#include <sstream>
#include <vector>

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Canvas.h"
#include "platform/gfx/Font.h"
#include "platform/gfx/Frame3D.h"
#include "platform/kernel/EventObject.h"
#include "platform/ui/backend/sdl2/Sdl2Surface.h"
#include "platform/ui/backend/sdl2/Sdl2Wait.h"
#include "platform/ui/backend/sdl2/Sdl2X11Watch.h"

namespace {

constexpr int Margin = 12;
constexpr int Gap = 14;
constexpr int ButtonWidth = 75;
constexpr int ButtonHeight = 23;
constexpr int MaxTextWidth = 440;
constexpr int MinWidth = 160;

struct TBoxLayout {
  std::vector<std::string> Lines;
  int LineHeight = 0;
  int Width = 0;
  int Height = 0;
  TRect Button;
};

// The text's own line breaks kept, and long lines broken between words.
std::vector<std::string> WrapLines(const TCanvas& C, const std::string& Text) {
  std::vector<std::string> out;
  std::istringstream paragraphs(Text);
  std::string paragraph;
  while (std::getline(paragraphs, paragraph)) {
    std::istringstream words(paragraph);
    std::string word, line;
    while (words >> word) {
      const std::string longer = line.empty() ? word : line + " " + word;
      if (!line.empty() && C.TextWidth(longer) > MaxTextWidth) {
        out.push_back(line);
        line = word;
      } else {
        line = longer;
      }
    }
    out.push_back(line);
  }
  if (out.empty()) out.emplace_back();
  return out;
}

TBoxLayout Layout(const TCanvas& C, const std::string& Text) {
  TBoxLayout l;
  l.Lines = WrapLines(C, Text);
  l.LineHeight = C.TextHeight("Ag");
  int widest = 0;
  for (const std::string& s : l.Lines) widest = std::max(widest, C.TextWidth(s));
  l.Width = std::max({MinWidth, widest + 2 * Margin, ButtonWidth + 2 * Margin});
  const int textBottom = Margin + l.LineHeight * int(l.Lines.size());
  l.Button = Bounds((l.Width - ButtonWidth) / 2, textBottom + Gap, ButtonWidth, ButtonHeight);
  l.Height = l.Button.Bottom + Margin;
  return l;
}

// The default push button: a dark frame around a raised face, sunk while held down.
void PaintButton(TCanvas& C, TRect R, bool Down) {
  Frame3D(C, R, cl3DDkShadow, cl3DDkShadow, 1);
  if (Down) {
    Frame3D(C, R, clBtnShadow, clBtnShadow, 1);
  } else {
    Frame3D(C, R, clBtnHighlight, cl3DDkShadow, 1);
    Frame3D(C, R, cl3DLight, clBtnShadow, 1);
  }
  C.Brush()->SetColor(clBtnFace);
  C.FillRect(R);
  if (Down) R = OffsetRect(R, 1, 1);
  C.Brush()->SetStyle(bsClear);
  C.DrawText(R, "OK", TTextFormat{tfCenter, tfVerticalCenter, tfSingleLine, tfNoPrefix});
}

void Paint(TBitmap& B, const TBoxLayout& L, bool Down) {
  TCanvas& c = *B.Canvas();
  c.Brush()->SetColor(clBtnFace);
  c.FillRect(Rect(0, 0, B.Width(), B.Height()));
  TFont font;
  font.SetColor(clBtnText);
  c.SetFont(&font);
  c.Brush()->SetStyle(bsClear);
  for (size_t i = 0; i < L.Lines.size(); ++i) c.TextOut(Margin, Margin + int(i) * L.LineHeight, L.Lines[i]);
  PaintButton(c, L.Button, Down);
}

void Show(SDL_Window* W, const TBitmap& B, const TScreenScale& Scale) {
  const TPixelView view{B.Pixels(), B.Width(), B.Height(), B.Stride()};
  BlitToWindow(W, view, {Rect(0, 0, B.Width(), B.Height())}, Scale.Pixels(W));
}

bool Inside(const TRect& R, int X, int Y) { return X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom; }

bool ClosingKey(SDL_Keycode K) {
  return K == SDLK_RETURN || K == SDLK_KP_ENTER || K == SDLK_ESCAPE || K == SDLK_SPACE;
}

class TBox {
 public:
  TBox(SDL_Window* Parent, const std::string& Title, const std::string& Text, const TScreenScale& Scale)
      : FScale(Scale) {
    TFont font;
    TCanvas measure;
    measure.SetFont(&font);
    FLayout = Layout(measure, Text);
    FPicture.SetSize(FLayout.Width, FLayout.Height);
    Paint(FPicture, FLayout, false);
    const int width = FScale.WindowSize(FLayout.Width), height = FScale.WindowSize(FLayout.Height);
    const Uint32 flags = SDL_WINDOW_HIDDEN | FScale.WindowFlags();
    const char* title = Title.c_str();
    if (!X11Guarded([&] {
          FWindow = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height, flags);
        }) ||
        !FWindow)
      return;
    RegisterX11Window(FWindow);
    FParentId = Parent ? SDL_GetWindowID(Parent) : 0;
    FId = SDL_GetWindowID(FWindow);
    const bool modal = Parent && (SDL_GetWindowFlags(Parent) & SDL_WINDOW_SHOWN);
    X11Guarded([&] {
      SDL_SetWindowMinimumSize(FWindow, width, height);
      SDL_SetWindowMaximumSize(FWindow, width, height);
      if (modal) SDL_SetWindowModalFor(FWindow, Parent);
      SDL_ShowWindow(FWindow);
      SDL_RaiseWindow(FWindow);
    });
    Show(FWindow, FPicture, FScale);
  }
  ~TBox() {
    if (!FWindow || X11DisplayLost()) return;
    ForgetX11Window(FWindow);
    X11Guarded([&] { SDL_DestroyWindow(FWindow); });
  }
  TBox(const TBox&) = delete;
  TBox& operator=(const TBox&) = delete;

  bool Opened() const { return FWindow != nullptr; }

  // Runs until the box is answered, or can be no longer: the display is gone, or another
  // client destroyed the box or its owner (which the owner's loop then hears of).
  void Run(std::deque<SDL_Event>& Deferred) {
    const TDisplayLink display = DisplayConnection(FWindow);
    SDL_Event e;
    for (;;) {
      while (!Gone() && NextSdlEvent(e))
        if (Handle(e, Deferred)) return;
      if (Gone()) return;
      bool waited = true;
      if (display)
        WaitForInput(display, -1, INFINITE);
      else if (!X11Guarded([&] { waited = SDL_WaitEvent(nullptr) != 0; }) || !waited)
        return;
    }
  }

 private:
  bool Gone() const { return X11DisplayLost() || X11WindowDestroyed(FId) || (FParentId && X11WindowDestroyed(FParentId)); }

  void SetDown(bool Down) {
    if (FDown == Down) return;
    FDown = Down;
    Paint(FPicture, FLayout, Down);
    Show(FWindow, FPicture, FScale);
  }

  // True when the event answers the box.
  bool Handle(const SDL_Event& e, std::deque<SDL_Event>& Deferred) {
    switch (e.type) {
      // Answered when the key comes up again, so that its release does not go on to the
      // owner; a key already held when the box appeared does not count.
      case SDL_KEYDOWN:
        if (ClosingKey(e.key.keysym.sym)) FKey = e.key.keysym.sym;
        return false;
      case SDL_KEYUP: return FKey != SDLK_UNKNOWN && e.key.keysym.sym == FKey;
      case SDL_TEXTINPUT:
      case SDL_TEXTEDITING: return false;
      case SDL_SYSWMEVENT: NoteX11Event(e); return false;
      case SDL_MOUSEBUTTONDOWN:
        if (e.button.windowID == FId && e.button.button == SDL_BUTTON_LEFT)
          SetDown(OnButton(e.button));
        return false;  // clicks elsewhere are refused while the box is up
      case SDL_MOUSEBUTTONUP: {
        if (e.button.windowID != FId || e.button.button != SDL_BUTTON_LEFT) return false;
        const bool clicked = FDown && OnButton(e.button);
        SetDown(false);
        return clicked;
      }
      case SDL_MOUSEMOTION:
        if (e.motion.windowID == FId) return false;
        break;
      case SDL_WINDOWEVENT:
        if (e.window.windowID != FId) break;
        if (e.window.event == SDL_WINDOWEVENT_EXPOSED) Show(FWindow, FPicture, FScale);
        return e.window.event == SDL_WINDOWEVENT_CLOSE;
      default: break;
    }
    Deferred.push_back(e);
    return false;
  }

  bool OnButton(const SDL_MouseButtonEvent& B) const {
    return Inside(FLayout.Button, FScale.Pointer(B.x), FScale.Pointer(B.y));
  }

  TScreenScale FScale;
  TBoxLayout FLayout;
  TBitmap FPicture;
  SDL_Window* FWindow = nullptr;
  Uint32 FId = 0;
  Uint32 FParentId = 0;
  bool FDown = false;
  SDL_Keycode FKey = SDLK_UNKNOWN;
};

}  // namespace

void RunMessageBox(SDL_Window* Parent, const std::string& Title, const std::string& Text,
                   std::deque<SDL_Event>& Deferred, const TScreenScale& Scale) {
  TBox box(Parent, Title, Text, Scale);
  if (box.Opened()) {
    box.Run(Deferred);
    return;
  }
  // Said somewhere rather than lost.
  std::fprintf(stderr, "%s: %s\n", Title.c_str(), Text.c_str());
}
