#pragma once

#include "runtime/Gdi.h"

namespace qv::test {

// A capture that copies nothing: every call is a no-op that succeeds, and the picture made is
// one blank pixel. The windows' tests need a picture to hand the printer; the window's pixels
// in it are the real capture's business, tested with system/.
class NullGdi : public Gdi {
public:
    Handle GetDC(Handle window) override { return window; }
    Handle GetWindowDC(Handle window) override { return window; }
    Handle CreateCompatibleDC(Handle) override { return 1; }
    Handle CreateCompatibleBitmap(Handle, std::int32_t, std::int32_t) override { return 1; }
    Handle SelectObject(Handle, Handle) override { return 1; }
    std::int32_t GetDeviceCaps(Handle, std::int32_t) override { return 0; }
    std::uint32_t GetSystemPaletteEntries(Handle, std::uint32_t, std::uint32_t,
                                          PaletteEntry*) override {
        return 0;
    }
    Handle CreatePalette(const LogPalette&) override { return 0; }
    Handle SelectPalette(Handle, Handle, bool) override { return 0; }
    std::uint32_t RealizePalette(Handle) override { return 0; }
    bool BitBlt(Handle, std::int32_t, std::int32_t, std::int32_t, std::int32_t, Handle,
                std::int32_t, std::int32_t, std::uint32_t) override {
        return true;
    }
    bool DeleteDC(Handle) override { return true; }
    std::int32_t ReleaseDC(Handle, Handle) override { return 1; }
    Picture OleCreatePictureIndirect(const PictDesc&, const QUuid&, bool) override {
        return Picture(QImage(1, 1, QImage::Format_RGB32));
    }
};

} // namespace qv::test
