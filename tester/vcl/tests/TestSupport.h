// Helpers the form library's tests share: a 32-bit picture to render windows into, message
// pumping with a deadline, and an application object of the test's own that records exceptions.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Forms.h"
#include "GdiOwners.h"
#include "Graphics.h"

// A top-down 32-bit DIB section selected into a memory DC, filled with `fill` at the start.
class TestPicture {
public:
    TestPicture(int width, int height, TColor fill = 0x00FF00)
        : Width_(width), Height_(height), Dc_(CreateCompatibleDC(nullptr))
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        Bitmap_.Reset(CreateDIBSection(Dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        Bits_ = static_cast<uint32_t*>(bits);
        Previous_ = SelectObject(Dc_, Bitmap_.Get());
        Fill(fill);
    }
    ~TestPicture()
    {
        SelectObject(Dc_, Previous_);
        DeleteDC(Dc_);
    }
    TestPicture(const TestPicture&) = delete;
    TestPicture& operator=(const TestPicture&) = delete;

    HDC Dc() const { return Dc_; }
    HBITMAP Bitmap() const { return static_cast<HBITMAP>(Bitmap_.Get()); }

    void Fill(TColor color)
    {
        GdiFlush();
        for (int i = 0; i < Width_ * Height_; ++i)
            Bits_[i] = ToPixel(color);
    }

    // The colour at (x, y), red in the low byte like TColor.
    TColor At(int x, int y) const
    {
        GdiFlush();
        uint32_t v = Bits_[y * Width_ + x];
        return static_cast<TColor>(((v >> 16) & 0xFF) | (v & 0xFF00) | ((v & 0xFF) << 16));
    }

    // How many pixels of the rectangle have this colour.
    int Count(const TRect& r, TColor color) const
    {
        int n = 0;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                n += At(x, y) == color;
        return n;
    }

    // Writes the picture as a BMP file, for looking at a failure.
    void Save(const std::string& path) const;

private:
    static uint32_t ToPixel(TColor c)
    {
        uint32_t v = static_cast<uint32_t>(ColorToRGB(c));
        return ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
    }

    int Width_;
    int Height_;
    HDC Dc_;
    ScopedGdiObject Bitmap_;
    HGDIOBJ Previous_ = nullptr;
    uint32_t* Bits_ = nullptr;
};

inline void TestPicture::Save(const std::string& path) const
{
    GdiFlush();
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = Width_;
    header.biHeight = -Height_;
    header.biPlanes = 1;
    header.biBitCount = 32;
    DWORD size = static_cast<DWORD>(Width_ * Height_ * 4);
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + size;
    HANDLE out = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(out, &file, sizeof(file), &written, nullptr);
    WriteFile(out, &header, sizeof(header), &written, nullptr);
    WriteFile(out, Bits_, size, &written, nullptr);
    CloseHandle(out);
}

// Handles messages (through the application's loop, keyboard handling included) until `done`
// or the deadline; true when `done`.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000)
{
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Application->ProcessMessages();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

// An application object of the test's own, installed as `Application` for its lifetime. It
// records the exceptions it is handed instead of showing a message box.
class TestApplication {
public:
    TestApplication() : Previous_(Application)
    {
        App_ = new TApplication();
        App_->OnException = [this](TObject*, const std::exception& e) {
            Exceptions.push_back(e.what());
        };
        Application = App_;
    }
    ~TestApplication()
    {
        delete App_;
        Application = Previous_;
        // A Close outside Run leaves a quit request behind; it must not end the next test's loop.
        MSG msg;
        while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
    TestApplication(const TestApplication&) = delete;
    TestApplication& operator=(const TestApplication&) = delete;

    TApplication* operator->() const { return App_; }
    TApplication* Get() const { return App_; }

    std::vector<std::string> Exceptions;

private:
    TApplication* Previous_;
    TApplication* App_;
};
