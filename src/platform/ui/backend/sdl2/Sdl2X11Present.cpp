#include "platform/ui/backend/sdl2/Sdl2X11Present.h"

#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstring>

#include "platform/ui/backend/sdl2/Sdl2Scale.h"

// Last: Xlib's macros (Status, None, Bool) would break the headers above.
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>

struct TX11Presenter::TShm {
  XShmSegmentInfo Info{};
  XImage* Image = nullptr;  // Width x Height pixels of 32 bits in the segment, rows unpadded
};

namespace {

bool LittleEndianHost() {
  const uint32_t probe = 1;
  return *reinterpret_cast<const unsigned char*>(&probe) == 1;
}

// A server on another machine would look for the segment's number among its own.
bool LocalServer(Display* D) {
  const char* name = DisplayString(D);
  return name && (name[0] == ':' || std::strncmp(name, "unix:", 5) == 0);
}

// While the server is asked to attach a segment: whether it refused. Other errors go on to
// the handler that was there before.
struct TAttachErrors {
  static constexpr int AttachRequest = 1;  // the extension's minor code for an attach
  static inline int Opcode = 0;
  static inline bool Refused = false;
  static inline XErrorHandler Previous = nullptr;
  static int On(Display* D, XErrorEvent* E) {
    if (E->request_code == Opcode && E->minor_code == AttachRequest) {
      Refused = true;
      return 0;
    }
    return Previous ? Previous(D, E) : 0;
  }
};

// Whether request Request has been handled by the server: an event or reply of it or of a
// later request has been read. Request numbers wrap.
bool Handled(Display* D, unsigned long Request) { return long(LastKnownRequestProcessed(D) - Request) >= 0; }

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
  p->ShareMemory(a.width, a.height);
  return p;
}

void TX11Presenter::ShareMemory(int Width, int Height) {
  Display* d = static_cast<Display*>(FDisplay);
  int opcode = 0, firstEvent = 0, firstError = 0;
  if (Width <= 0 || Height <= 0 || !LocalServer(d) || !XShmQueryExtension(d) ||
      !XQueryExtension(d, "MIT-SHM", &opcode, &firstEvent, &firstError))
    return;
  auto shm = std::make_unique<TShm>();
  const size_t bytes = size_t(Width) * size_t(Height) * 4;
  shm->Info.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
  if (shm->Info.shmid < 0) return;
  void* at = shmat(shm->Info.shmid, nullptr, 0);
  if (at == reinterpret_cast<void*>(-1)) {
    shmctl(shm->Info.shmid, IPC_RMID, nullptr);
    return;
  }
  shm->Info.shmaddr = static_cast<char*>(at);
  shm->Info.readOnly = False;
  shm->Image = XShmCreateImage(d, static_cast<Visual*>(FVisual), unsigned(FDepth), ZPixmap, shm->Info.shmaddr,
                               &shm->Info, unsigned(Width), unsigned(Height));
  bool attached = false;
  if (shm->Image && shm->Image->bits_per_pixel == 32 && shm->Image->bytes_per_line == Width * 4) {
    // The one round trip: the server's answer to the attach comes as an error or not at all.
    XSync(d, False);
    TAttachErrors::Opcode = opcode;
    TAttachErrors::Refused = false;
    TAttachErrors::Previous = XSetErrorHandler(TAttachErrors::On);
    if (XShmAttach(d, &shm->Info)) {
      XSync(d, False);
      attached = !TAttachErrors::Refused;
    }
    XSetErrorHandler(TAttachErrors::Previous);
  }
  // Gone with the last of its users: the server's attachment, or our own detach below.
  shmctl(shm->Info.shmid, IPC_RMID, nullptr);
  if (attached) {
    FShm = std::move(shm);
    FCompletionEvent = firstEvent + ShmCompletion;
    return;
  }
  if (shm->Image) {
    shm->Image->data = nullptr;  // the segment's, not the image's to free
    XDestroyImage(shm->Image);
  }
  shmdt(shm->Info.shmaddr);
}

TX11Presenter::~TX11Presenter() {
  Display* d = static_cast<Display*>(FDisplay);
  if (FShm) {
    // Handled after every request that reads the segment; our own mapping can go at once.
    XShmDetach(d, &FShm->Info);
    FShm->Image->data = nullptr;
    XDestroyImage(FShm->Image);
    shmdt(FShm->Info.shmaddr);
  }
  if (FGc) XFreeGC(d, static_cast<GC>(FGc));
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

bool TX11Presenter::SegmentFree() {
  if (!FShmReading) return true;
  Display* d = static_cast<Display*>(FDisplay);
  // The answer is usually in by now, read or still on the socket: one read looks.
  if (!Handled(d, FShmLastPut)) XEventsQueued(d, QueuedAfterReading);
  FShmReading = !Handled(d, FShmLastPut);
  return !FShmReading;
}

void TX11Presenter::PutShared(const TPixelView& Buffer, const std::vector<TRect>& Rects, int Scale) {
  Display* d = static_cast<Display*>(FDisplay);
  XImage* image = FShm->Image;
  for (const TRect& r : Rects) {
    if (Scale <= 1) {
      for (int y = r.Top; y < r.Bottom; ++y)
        std::memcpy(image->data + ptrdiff_t(y) * image->bytes_per_line + ptrdiff_t(r.Left) * 4,
                    Buffer.Pixels + ptrdiff_t(y) * Buffer.Stride + r.Left, size_t(r.Width()) * 4);
    } else {
      EnlargeRect(Buffer, r, Scale, image->data, image->bytes_per_line);
    }
  }
  for (size_t i = 0; i < Rects.size(); ++i) {
    const TRect& r = Rects[i];
    const bool last = i + 1 == Rects.size();
    // Only the last request asks for the event: the server handles them in order.
    XShmPutImage(d, FWindow, static_cast<GC>(FGc), image, r.Left * Scale, r.Top * Scale, r.Left * Scale,
                 r.Top * Scale, unsigned(r.Width() * Scale), unsigned(r.Height() * Scale), last ? True : False);
  }
  FShmLastPut = XNextRequest(d) - 1;
  FShmReading = true;
}

void TX11Presenter::Present(const TPixelView& Buffer, const std::vector<TRect>& Rects, int Scale) {
  if (!FGc) return;
  const TRect whole = Rect(0, 0, Buffer.Width, Buffer.Height);
  std::vector<TRect> shown;
  shown.reserve(Rects.size());
  for (const TRect& dirty : Rects) {
    const TRect r = IntersectRect(dirty, whole);
    if (!r.IsEmpty()) shown.push_back(r);
  }
  if (shown.empty()) {
    // Nothing to send: the flush is still made, which the wait relies on.
  } else if (FShm && Buffer.Width * Scale <= FShm->Image->width && Buffer.Height * Scale <= FShm->Image->height &&
             SegmentFree()) {
    PutShared(Buffer, shown, Scale);
  } else {
    for (const TRect& r : shown) PutRect(Buffer, r, Scale);
  }
  XFlush(static_cast<Display*>(FDisplay));
}
