#include "platform/ui/backend/sdl2/Sdl2Scale.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

// Last: Xlib's macros (Status, None, Bool) would break the headers above.
#include <X11/Xlib.h>
#include <X11/Xresource.h>

namespace {

int Clamped(long Scale) { return int(std::clamp<long>(Scale, 1, MaxDesktopScale)); }

// Leading and trailing blanks allowed, as a shell or a resource file may leave them.
bool WholeNumber(const char* Text, long& Value) {
  if (!Text) return false;
  errno = 0;
  char* end = nullptr;
  Value = std::strtol(Text, &end, 10);
  if (end == Text || errno != 0) return false;
  while (*end == ' ' || *end == '\t') ++end;
  return *end == '\0';
}

bool Number(const char* Text, double& Value) {
  if (!Text) return false;
  char* end = nullptr;
  Value = std::strtod(Text, &end);
  if (end == Text || !std::isfinite(Value)) return false;
  while (*end == ' ' || *end == '\t') ++end;
  return *end == '\0';
}

// The resource as the server holds it (RESOURCE_MANAGER, what xrdb loads); a user's own
// resource files are not read, as desktop programs do not read them for this either.
std::string ServerResource(Display* D, const char* Name, const char* Class) {
  const char* all = XResourceManagerString(D);
  if (!all) return {};
  XrmInitialize();
  XrmDatabase db = XrmGetStringDatabase(all);
  if (!db) return {};
  char* type = nullptr;
  XrmValue value{};
  std::string out;
  if (XrmGetResource(db, Name, Class, &type, &value) && value.addr)
    out.assign(value.addr, strnlen(value.addr, value.size));
  XrmDestroyDatabase(db);
  return out;
}

int X11DesktopScale() {
  const char* gdk = std::getenv("GDK_SCALE");
  long whole = 0;
  if (WholeNumber(gdk, whole) && whole >= 1) return Clamped(whole);
  // A connection of its own for a moment: SDL's is not reachable before a window exists.
  Display* d = XOpenDisplay(nullptr);
  if (!d) return 1;
  const std::string dpi = ServerResource(d, "Xft.dpi", "Xft.Dpi");
  XCloseDisplay(d);
  return DesktopScale(nullptr, dpi.empty() ? nullptr : dpi.c_str());
}

uint32_t* Row(void* Pixels, int Pitch, int Y) {
  return reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(Pixels) + ptrdiff_t(Y) * Pitch);
}

}  // namespace

int DesktopScale(const char* GdkScale, const char* XftDpi) {
  long whole = 0;
  if (WholeNumber(GdkScale, whole) && whole >= 1) return Clamped(whole);
  double dpi = 0;
  if (!Number(XftDpi, dpi) || dpi <= 0) return 1;
  return Clamped(std::lround(std::min(dpi / 96.0, double(MaxDesktopScale))));
}

int TScreenScale::Pointer(int Position) const {
  // Rounded down, not towards zero: -1 must stay outside the window.
  return Position >= 0 ? Position / Window : -((-Position + Window - 1) / Window);
}

TRect TScreenScale::ClientBounds(SDL_Window* W) const {
  int x, y, width, height;
  SDL_GetWindowPosition(W, &x, &y);
  SDL_GetWindowSize(W, &width, &height);
  return Bounds(Pointer(x), Pointer(y), width / Window, height / Window);
}

int TScreenScale::Pixels(SDL_Window* W) const {
  if (!FromCompositor) return Window;
  int width, height, pixelWidth, pixelHeight;
  SDL_GetWindowSize(W, &width, &height);
  SDL_GetWindowSizeInPixels(W, &pixelWidth, &pixelHeight);
  return width > 0 ? Clamped(pixelWidth / width) : 1;
}

TScreenScale FindScreenScale() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (driver && std::strcmp(driver, "x11") == 0) return {X11DesktopScale(), false};
  if (driver && std::strcmp(driver, "wayland") == 0) return {1, true};
  return {};
}

void EnlargeRect(const TPixelView& Buffer, const TRect& R, int Scale, void* Target, int Pitch) {
  const size_t rowPixels = size_t(R.Width()) * size_t(Scale);
  for (int y = R.Top; y < R.Bottom; ++y) {
    const uint32_t* from = Buffer.Pixels + ptrdiff_t(y) * Buffer.Stride + R.Left;
    uint32_t* first = Row(Target, Pitch, y * Scale) + ptrdiff_t(R.Left) * Scale;
    for (int x = 0; x < R.Width(); ++x) std::fill_n(first + ptrdiff_t(x) * Scale, Scale, from[x]);
    for (int k = 1; k < Scale; ++k)
      std::memcpy(Row(Target, Pitch, y * Scale + k) + ptrdiff_t(R.Left) * Scale, first, rowPixels * 4);
  }
}

std::vector<uint8_t> EnlargeBits(const std::vector<uint8_t>& Image, int Width, int Height, int Scale) {
  if (Scale <= 1 || Width <= 0 || Height <= 0) return Image;
  std::vector<uint8_t> out(size_t(Width) * size_t(Height) * size_t(Scale) * size_t(Scale));
  const int wide = Width * Scale;
  for (int y = 0; y < Height * Scale; ++y)
    for (int x = 0; x < wide; ++x) {
      const size_t from = size_t(y / Scale) * size_t(Width) + size_t(x / Scale);
      out[size_t(y) * size_t(wide) + size_t(x)] = from < Image.size() ? Image[from] : 0;
    }
  return out;
}

std::vector<TIconImage> WithEnlargedIcons(const std::vector<TIconImage>& Sizes, int Scale) {
  std::vector<TIconImage> out = Sizes;
  if (Scale <= 1) return out;
  for (const TIconImage& icon : Sizes) {
    if (icon.Width <= 0 || icon.Height <= 0 || icon.Pixels.size() < size_t(icon.Width) * size_t(icon.Height))
      continue;
    const bool given = std::any_of(out.begin(), out.end(), [&](const TIconImage& o) {
      return o.Width == icon.Width * Scale && o.Height == icon.Height * Scale;
    });
    if (given) continue;
    TIconImage big;
    big.Width = icon.Width * Scale;
    big.Height = icon.Height * Scale;
    big.Pixels.resize(size_t(big.Width) * size_t(big.Height));
    if (!icon.Alpha.empty()) big.Alpha.resize(big.Pixels.size(), 255);
    for (int y = 0; y < big.Height; ++y)
      for (int x = 0; x < big.Width; ++x) {
        const size_t from = size_t(y / Scale) * size_t(icon.Width) + size_t(x / Scale);
        const size_t to = size_t(y) * size_t(big.Width) + size_t(x);
        big.Pixels[to] = icon.Pixels[from];
        if (from < icon.Alpha.size()) big.Alpha[to] = icon.Alpha[from];
      }
    out.push_back(std::move(big));
  }
  return out;
}
