// Pictures of a window as the screen shows it, for the end-to-end tests: pixel checks of the
// graphic controls, and PNG files for people to look at.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct ScreenImage
{
    int Width = 0;
    int Height = 0;
    std::vector<COLORREF> Pixels; // row by row from the top, red in the low byte

    COLORREF At(int x, int y) const { return Pixels[static_cast<size_t>(y) * Width + x]; }
    bool Empty() const { return Pixels.empty(); }
};

// The window's client area, read back from the screen. Empty when it cannot be read.
ScreenImage CaptureClientArea(HWND window);

// Writes the image as a PNG file (uncompressed deflate blocks: small code, plain files).
bool SavePng(const ScreenImage& image, const std::string& path);
