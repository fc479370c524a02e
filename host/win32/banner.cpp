// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/win32/banner.h"

#include <memory>
#include <type_traits>

#include "resources/resource.h"

namespace {

struct BitmapDelete {
    void operator()(HBITMAP bitmap) const { DeleteObject(bitmap); }
};
using BitmapPtr = std::unique_ptr<std::remove_pointer_t<HBITMAP>, BitmapDelete>;

// A memory DC with one bitmap selected into it, selected out again before the DC goes.
class BitmapDc {
public:
    explicit BitmapDc(HBITMAP bitmap)
        : m_dc(CreateCompatibleDC(nullptr)), m_old(m_dc ? SelectObject(m_dc, bitmap) : nullptr)
    {
    }
    ~BitmapDc()
    {
        if (m_old)
            SelectObject(m_dc, m_old);
        if (m_dc)
            DeleteDC(m_dc);
    }
    BitmapDc(const BitmapDc &) = delete;
    BitmapDc &operator=(const BitmapDc &) = delete;

    // Null when the DC or the selection failed.
    HDC get() const { return m_old ? m_dc : nullptr; }

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

struct Banner {
    HBITMAP original = nullptr; // the template's, which the picture loaded: not ours to delete
    SIZE size = {};             // its size, the banner's at 96 DPI
    BitmapPtr scaled;           // ours, while the picture shows it
};
Banner banner;

// The template's one picture control.
HWND bannerControl(HWND dialog)
{
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP)
            return child;
    }
    return nullptr;
}

// The twice-size art drawn at width x height with HALFTONE, which averages the pixels it
// leaves out; null when any step fails.
BitmapPtr drawBanner(int width, int height)
{
    BitmapPtr art(
        static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_BANNER_2X),
                                        IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
    BITMAP artInfo;
    if (!art || !GetObjectW(art.get(), sizeof artInfo, &artInfo))
        return nullptr;
    // 24 bits: a static of common controls 6 would copy a 32-bit bitmap it takes for alpha.
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    BitmapPtr drawn(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!drawn)
        return nullptr;
    BitmapDc from(art.get());
    BitmapDc to(drawn.get());
    if (!from.get() || !to.get())
        return nullptr;
    SetStretchBltMode(to.get(), HALFTONE);
    SetBrushOrgEx(to.get(), 0, 0, nullptr);
    if (!StretchBlt(to.get(), 0, 0, width, height, from.get(), 0, 0, artInfo.bmWidth,
                    artInfo.bmHeight, SRCCOPY))
        return nullptr;
    return drawn;
}

} // namespace

void fitBannerToDpi(HWND dialog)
{
    HWND picture = bannerControl(dialog);
    if (!picture)
        return;
    if (!banner.original) {
        auto shown =
            reinterpret_cast<HBITMAP>(SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
        BITMAP info;
        if (!shown || !GetObjectW(shown, sizeof info, &info))
            return;
        banner.original = shown;
        banner.size = {info.bmWidth, info.bmHeight};
    }
    UINT dpi = GetDpiForWindow(dialog);
    if (dpi == 0)
        dpi = USER_DEFAULT_SCREEN_DPI;
    if (dpi == USER_DEFAULT_SCREEN_DPI && !banner.scaled)
        return;
    BitmapPtr scaled;
    if (dpi != USER_DEFAULT_SCREEN_DPI) {
        int dpiValue = static_cast<int>(dpi);
        scaled = drawBanner(MulDiv(banner.size.cx, dpiValue, USER_DEFAULT_SCREEN_DPI),
                            MulDiv(banner.size.cy, dpiValue, USER_DEFAULT_SCREEN_DPI));
        // What is shown stays: a banner of the wrong size beats none.
        if (!scaled)
            return;
    }
    HBITMAP next = scaled ? scaled.get() : banner.original;
    // The picture takes the bitmap's size. It hands back the bitmap it showed, or a copy it had
    // made of one; such a copy is its caller's to delete.
    auto previous = reinterpret_cast<HBITMAP>(
        SendMessageW(picture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(next)));
    if (previous && previous != banner.original && previous != banner.scaled.get())
        DeleteObject(previous);
    banner.scaled = std::move(scaled);
}

void releaseBanner()
{
    banner = Banner();
}
