#pragma once
// Screen scale: twips to pixels and the DPI of a monitor or a window.
#include <windows.h>

namespace tessaly::ui {

// Pixels for a distance in twips at the given DPI (1440 twips per inch).
int twips_to_pixels(int twips, unsigned dpi);
// Twips for a distance in pixels at the given DPI.
int pixels_to_twips(int pixels, unsigned dpi);
// The DPI of the monitor holding the point (screen pixels), or the system's.
unsigned dpi_at(POINT screen_point);
unsigned dpi_of(HWND hwnd);

}  // namespace tessaly::ui
