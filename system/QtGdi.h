#pragma once

#include "runtime/Gdi.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <map>
#include <memory>

namespace qv {

// The capture operations over Qt. A window's drawing context stands for that window's own
// rendering (its widgets paint from their retained images), so a covered or off-screen window
// captures as it looks. There are no palette displays.
class QtGdi : public Gdi {
public:
    // Largest bitmap made, in pixels; larger requests fail as a real display's would.
    static constexpr qint64 MaxBitmapArea = qint64(1) << 26;

    Handle GetDC(Handle window) override;
    Handle GetWindowDC(Handle window) override;
    Handle CreateCompatibleDC(Handle dc) override;
    Handle CreateCompatibleBitmap(Handle dc, std::int32_t width, std::int32_t height) override;
    Handle SelectObject(Handle dc, Handle object) override;
    std::int32_t GetDeviceCaps(Handle dc, std::int32_t index) override;
    std::uint32_t GetSystemPaletteEntries(Handle dc, std::uint32_t start, std::uint32_t count,
                                          PaletteEntry* entries) override;
    Handle CreatePalette(const LogPalette& palette) override;
    Handle SelectPalette(Handle dc, Handle palette, bool forceBackground) override;
    std::uint32_t RealizePalette(Handle dc) override;
    bool BitBlt(Handle target, std::int32_t x, std::int32_t y, std::int32_t width,
                std::int32_t height, Handle source, std::int32_t sourceX, std::int32_t sourceY,
                std::uint32_t rop) override;
    bool DeleteDC(Handle dc) override;
    std::int32_t ReleaseDC(Handle window, Handle dc) override;
    Picture OleCreatePictureIndirect(const PictDesc& description, const QUuid& interfaceId,
                                     bool own) override;
    // Contexts and bitmaps made here and not yet released, deleted or freed with their picture.
    std::size_t liveObjects() const { return m_objects->size(); }

private:
    struct Object {
        enum Kind { WindowDC, MemoryDC, Bitmap } kind;
        explicit Object(Kind k) : kind(k) {}
        QPointer<QWidget> window;  // window DCs
        bool wholeWindow = false;  // window DCs
        Handle selectedBitmap = 0; // memory DCs
        QImage image;              // bitmaps
    };
    using Objects = std::map<Handle, Object>;
    Handle add(Object object);
    Object* find(Handle handle, Object::Kind kind);
    Handle windowDC(Handle window, bool wholeWindow);
    QImage render(const Object& dc, const QRect& area) const;

    // Shared with the release actions of the pictures made here.
    std::shared_ptr<Objects> m_objects = std::make_shared<Objects>();
    Handle m_next = 0x1000;
    // The stock bitmap a fresh memory context starts with.
    static constexpr Handle StockBitmap = 1;
};

} // namespace qv
