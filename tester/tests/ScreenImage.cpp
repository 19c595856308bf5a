#include "ScreenImage.h"

#include <stdint.h>
#include <stdio.h>

namespace {

// Releases a screen DC, a memory DC and a bitmap, and restores the selection, on every path.
struct ScreenDc
{
    HDC dc = GetDC(nullptr);
    ~ScreenDc() { if (dc) ReleaseDC(nullptr, dc); }
};

struct MemoryDc
{
    HDC dc;
    explicit MemoryDc(HDC like) : dc(CreateCompatibleDC(like)) {}
    ~MemoryDc() { if (dc) DeleteDC(dc); }
};

struct Bitmap
{
    HBITMAP bitmap;
    explicit Bitmap(HBITMAP b) : bitmap(b) {}
    ~Bitmap() { if (bitmap) DeleteObject(bitmap); }
};

struct Selection
{
    HDC dc;
    HGDIOBJ old;
    Selection(HDC d, HGDIOBJ object) : dc(d), old(SelectObject(d, object)) {}
    ~Selection() { SelectObject(dc, old); }
};

uint32_t Crc32(const std::vector<unsigned char>& bytes, size_t from)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = from; i < bytes.size(); ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void PutBigEndian(std::vector<unsigned char>& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<unsigned char>(value >> shift));
}

void PutChunk(std::vector<unsigned char>& out, const char* type,
              const std::vector<unsigned char>& data)
{
    PutBigEndian(out, static_cast<uint32_t>(data.size()));
    const size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBigEndian(out, Crc32(out, typeAt));
}

// A zlib stream of stored (uncompressed) deflate blocks.
std::vector<unsigned char> StoredZlib(const std::vector<unsigned char>& raw)
{
    std::vector<unsigned char> out = {0x78, 0x01};
    size_t at = 0;
    do {
        const size_t length = raw.size() - at < 65535 ? raw.size() - at : 65535;
        const bool last = at + length == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back(static_cast<unsigned char>(length));
        out.push_back(static_cast<unsigned char>(length >> 8));
        out.push_back(static_cast<unsigned char>(~length));
        out.push_back(static_cast<unsigned char>(~length >> 8));
        out.insert(out.end(), raw.begin() + at, raw.begin() + at + length);
        at += length;
    } while (at < raw.size());
    uint32_t a = 1, b = 0;
    for (unsigned char byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutBigEndian(out, (b << 16) | a);
    return out;
}

} // namespace

ScreenImage CaptureClientArea(HWND window)
{
    ScreenImage image;
    RECT client;
    if (!GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0)
        return image;
    POINT origin = {0, 0};
    ClientToScreen(window, &origin);

    ScreenDc screen;
    MemoryDc memory(screen.dc);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = client.right;
    info.bmiHeader.biHeight = -client.bottom; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    Bitmap bitmap(CreateDIBSection(screen.dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!screen.dc || !memory.dc || !bitmap.bitmap || !bits)
        return image;
    {
        Selection selected(memory.dc, bitmap.bitmap);
        if (!BitBlt(memory.dc, 0, 0, client.right, client.bottom, screen.dc, origin.x, origin.y,
                    SRCCOPY))
            return image;
    }
    GdiFlush();
    image.Width = client.right;
    image.Height = client.bottom;
    image.Pixels.resize(static_cast<size_t>(image.Width) * image.Height);
    const uint32_t* source = static_cast<const uint32_t*>(bits);
    for (size_t i = 0; i < image.Pixels.size(); ++i) {
        const uint32_t bgr = source[i];
        image.Pixels[i] = RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
    }
    return image;
}

bool SavePng(const ScreenImage& image, const std::string& path)
{
    if (image.Empty())
        return false;
    std::vector<unsigned char> raw;
    raw.reserve(static_cast<size_t>(image.Height) * (1 + 3 * image.Width));
    for (int y = 0; y < image.Height; ++y) {
        raw.push_back(0); // no filter
        for (int x = 0; x < image.Width; ++x) {
            const COLORREF c = image.At(x, y);
            raw.push_back(GetRValue(c));
            raw.push_back(GetGValue(c));
            raw.push_back(GetBValue(c));
        }
    }
    std::vector<unsigned char> header;
    PutBigEndian(header, static_cast<uint32_t>(image.Width));
    PutBigEndian(header, static_cast<uint32_t>(image.Height));
    header.insert(header.end(), {8, 2, 0, 0, 0}); // 8-bit RGB, no interlace

    std::vector<unsigned char> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PutChunk(file, "IHDR", header);
    PutChunk(file, "IDAT", StoredZlib(raw));
    PutChunk(file, "IEND", {});

    FILE* out = fopen(path.c_str(), "wb");
    if (!out)
        return false;
    const bool written = fwrite(file.data(), 1, file.size(), out) == file.size();
    return fclose(out) == 0 && written;
}
