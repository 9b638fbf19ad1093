#pragma once
#include <SDL.h>

#include <vector>

#include "platform/ui/backend/Backend.h"

// A high-resolution desktop shows the program at a whole multiple of its own pixels, each
// back-buffer pixel as a square block: the graphics are pixel art, and everything above the
// backend (controls, painting, pointer positions) keeps working in the program's own pixels.

constexpr int MaxDesktopScale = 4;

// The scale an X desktop asks for: GdkScale (the GDK_SCALE variable; null when unset) when it
// is a whole number of at least 1, otherwise XftDpi (the Xft.dpi resource; null when unset)
// divided by 96 and rounded to the nearest whole number; 1 when neither says. Always between
// 1 and MaxDesktopScale.
int DesktopScale(const char* GdkScale, const char* XftDpi);

// How SDL's windows relate to the program's pixels on the display SDL has opened.
struct TScreenScale {
  // Window sizes and pointer positions are this many times the program's pixels (X11, where
  // the scale comes from the desktop's settings).
  int Window = 1;
  // The compositor keeps window sizes and pointer positions in the program's pixels and tells
  // SDL how many screen pixels each one is worth (Wayland).
  bool FromCompositor = false;

  int WindowSize(int Size) const { return Size * Window; }
  // A pointer position in the program's pixels; one left or above the window stays outside.
  int Pointer(int Position) const;
  // Where the window is, in the program's pixels.
  TRect ClientBounds(SDL_Window* W) const;
  // How many screen pixels wide one program pixel is in the window's surface.
  int Pixels(SDL_Window* W) const;
  Uint32 WindowFlags() const { return FromCompositor ? SDL_WINDOW_ALLOW_HIGHDPI : 0; }
};

// The scale of the video driver SDL has started: GDK_SCALE and the server's Xft.dpi on X11,
// the compositor's on Wayland, 1 elsewhere.
TScreenScale FindScreenScale();

// Copies rectangle R of Buffer, enlarged Scale times, to Target (0x00RRGGBB pixels, Pitch
// bytes per row) at R's place times Scale. R lies within Buffer, and its enlargement within
// Target.
void EnlargeRect(const TPixelView& Buffer, const TRect& R, int Scale, void* Target, int Pitch);

// A Width x Height image of one byte per pixel (a cursor's bits), enlarged Scale times.
std::vector<uint8_t> EnlargeBits(const std::vector<uint8_t>& Image, int Width, int Height, int Scale);

// The icon images with, for each, its enlargement by Scale added where no image of that size
// is given; the desktop then has sharp pixels at its own size.
std::vector<TIconImage> WithEnlargedIcons(const std::vector<TIconImage>& Sizes, int Scale);
