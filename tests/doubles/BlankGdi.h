#pragma once

#include "runtime/Gdi.h"

#include <QImage>

#include <map>
#include <utility>

namespace qv::test {

// A capture that keeps the calls' bookkeeping (contexts, the bitmap each one holds) but copies
// no pixels: every bitmap stays white. The windows' tests need a picture to hand the printer;
// the window's pixels in it are the real capture's business, tested with system/.
class BlankGdi : public Gdi {
public:
    Handle GetDC(Handle window) override { return window ? add() : 0; }
    Handle GetWindowDC(Handle window) override { return window ? add() : 0; }
    Handle CreateCompatibleDC(Handle) override {
        const Handle dc = add();
        m_selected[dc] = StockBitmap;
        return dc;
    }
    Handle CreateCompatibleBitmap(Handle, std::int32_t width, std::int32_t height) override {
        if (width <= 0 || height <= 0)
            return 0;
        const Handle bitmap = add();
        m_bitmaps[bitmap] = QImage(width, height, QImage::Format_RGB32);
        m_bitmaps[bitmap].fill(Qt::white);
        return bitmap;
    }
    Handle SelectObject(Handle dc, Handle object) override {
        const auto it = m_selected.find(dc);
        return it == m_selected.end() ? 0 : std::exchange(it->second, object);
    }
    std::int32_t GetDeviceCaps(Handle, std::int32_t) override { return 0; }
    std::uint32_t GetSystemPaletteEntries(Handle, std::uint32_t, std::uint32_t,
                                          PaletteEntry*) override {
        return 0;
    }
    Handle CreatePalette(const LogPalette&) override { return 0; }
    Handle SelectPalette(Handle, Handle, bool) override { return 0; }
    std::uint32_t RealizePalette(Handle) override { return 0; }
    bool BitBlt(Handle target, std::int32_t, std::int32_t, std::int32_t, std::int32_t, Handle,
                std::int32_t, std::int32_t, std::uint32_t) override {
        return m_selected.count(target) != 0;
    }
    bool DeleteDC(Handle dc) override { return m_selected.erase(dc) != 0; }
    std::int32_t ReleaseDC(Handle, Handle) override { return 1; }
    Picture OleCreatePictureIndirect(const PictDesc& description, const QUuid&, bool) override {
        const auto it = m_bitmaps.find(description.bitmap);
        if (it == m_bitmaps.end())
            return {};
        Picture picture(it->second);
        m_bitmaps.erase(it);
        return picture;
    }

private:
    static constexpr Handle StockBitmap = 1;
    Handle add() { return m_next++; }
    std::map<Handle, Handle> m_selected; // memory context -> bitmap it holds
    std::map<Handle, QImage> m_bitmaps;  // not yet handed out as a picture
    Handle m_next = 0x1000;
};

} // namespace qv::test
