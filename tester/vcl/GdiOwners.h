// Small owners for GDI resources, so that every pen, brush, font, bitmap and DC is given back on
// every path, exceptions included. Copies are deleted; moves hand the resource on.
#pragma once

#include <windows.h>

// Owns one GDI object (pen, brush, font, bitmap) and deletes it. The object must not be
// selected into a DC when the owner lets it go: use ScopedSelect around its use.
class ScopedGdiObject {
public:
    ScopedGdiObject() = default;
    explicit ScopedGdiObject(HGDIOBJ object) : Object_(object) {}
    ~ScopedGdiObject() { Reset(); }
    ScopedGdiObject(const ScopedGdiObject&) = delete;
    ScopedGdiObject& operator=(const ScopedGdiObject&) = delete;
    ScopedGdiObject(ScopedGdiObject&& other) noexcept : Object_(other.Release()) {}
    ScopedGdiObject& operator=(ScopedGdiObject&& other) noexcept
    {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }

    HGDIOBJ Get() const { return Object_; }
    explicit operator bool() const { return Object_ != nullptr; }
    void Reset(HGDIOBJ object = nullptr)
    {
        if (Object_)
            DeleteObject(Object_);
        Object_ = object;
    }
    HGDIOBJ Release()
    {
        HGDIOBJ object = Object_;
        Object_ = nullptr;
        return object;
    }

private:
    HGDIOBJ Object_ = nullptr;
};

// Selects an object into a DC and puts the previous one back when it goes.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object) : Dc_(dc), Previous_(SelectObject(dc, object)) {}
    ~ScopedSelect()
    {
        if (Previous_ && Previous_ != HGDI_ERROR)
            SelectObject(Dc_, Previous_);
    }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC Dc_;
    HGDIOBJ Previous_;
};

// Saves a DC's state (origins, clipping, mode, selections) and restores it when it goes.
class ScopedSaveDC {
public:
    explicit ScopedSaveDC(HDC dc) : Dc_(dc), Saved_(SaveDC(dc)) {}
    ~ScopedSaveDC()
    {
        if (Saved_)
            RestoreDC(Dc_, Saved_);
    }
    ScopedSaveDC(const ScopedSaveDC&) = delete;
    ScopedSaveDC& operator=(const ScopedSaveDC&) = delete;

private:
    HDC Dc_;
    int Saved_;
};

// A window's DC from GetDC (nullptr: the screen), released when it goes.
class ScopedWindowDC {
public:
    explicit ScopedWindowDC(HWND window) : Window_(window), Dc_(GetDC(window)) {}
    ~ScopedWindowDC()
    {
        if (Dc_)
            ReleaseDC(Window_, Dc_);
    }
    ScopedWindowDC(const ScopedWindowDC&) = delete;
    ScopedWindowDC& operator=(const ScopedWindowDC&) = delete;

    HDC Get() const { return Dc_; }

private:
    HWND Window_;
    HDC Dc_;
};

// BeginPaint / EndPaint.
class ScopedPaint {
public:
    explicit ScopedPaint(HWND window) : Window_(window) { Dc_ = BeginPaint(window, &Paint_); }
    ~ScopedPaint() { EndPaint(Window_, &Paint_); }
    ScopedPaint(const ScopedPaint&) = delete;
    ScopedPaint& operator=(const ScopedPaint&) = delete;

    HDC Dc() const { return Dc_; }
    const RECT& Area() const { return Paint_.rcPaint; }

private:
    HWND Window_;
    HDC Dc_;
    PAINTSTRUCT Paint_{};
};

// A memory DC with a bitmap of the given size selected into it, compatible with `reference`
// (nullptr: the screen). Everything is given back, the bitmap unselected first.
class MemoryBitmap {
public:
    MemoryBitmap(HDC reference, int width, int height)
        : Dc_(CreateCompatibleDC(reference)),
          Bitmap_(CreateBitmapForDc(reference, width, height)),
          Selection_(Dc_.Get(), Bitmap_.Get())
    {
    }
    ~MemoryBitmap() = default;
    MemoryBitmap(const MemoryBitmap&) = delete;
    MemoryBitmap& operator=(const MemoryBitmap&) = delete;

    HDC Dc() const { return Dc_.Get(); }
    HBITMAP Bitmap() const { return static_cast<HBITMAP>(Bitmap_.Get()); }
    bool Valid() const { return Dc_.Get() && Bitmap_.Get(); }

private:
    // A memory DC of its own, deleted last.
    class OwnedDC {
    public:
        explicit OwnedDC(HDC dc) : Dc_(dc) {}
        ~OwnedDC()
        {
            if (Dc_)
                DeleteDC(Dc_);
        }
        OwnedDC(const OwnedDC&) = delete;
        OwnedDC& operator=(const OwnedDC&) = delete;
        HDC Get() const { return Dc_; }

    private:
        HDC Dc_;
    };

    static HGDIOBJ CreateBitmapForDc(HDC reference, int width, int height)
    {
        width = width > 0 ? width : 1;
        height = height > 0 ? height : 1;
        if (reference)
            return CreateCompatibleBitmap(reference, width, height);
        ScopedWindowDC screen(nullptr);
        return CreateCompatibleBitmap(screen.Get(), width, height);
    }

    // Member order matters: the selection is undone before the bitmap and the DC are deleted.
    OwnedDC Dc_;
    ScopedGdiObject Bitmap_;
    ScopedSelect Selection_;
};
