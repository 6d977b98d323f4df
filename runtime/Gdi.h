#pragma once

#include "Picture.h"

#include <QUuid>

#include <array>
#include <cstdint>

namespace qv {

// The device-context operations a window capture needs, as the classic graphics interface
// offers them. Handles are plain numbers; 0 is the null handle that a failed call yields.
class Gdi {
public:
    using Handle = std::uintptr_t;

    static constexpr std::int32_t RASTERCAPS = 38;
    static constexpr std::int32_t SIZEPALETTE = 104;
    static constexpr std::int32_t RC_PALETTE = 0x100;
    static constexpr std::uint32_t SRCCOPY = 0x00CC0020;
    static constexpr std::int32_t PICTYPE_BITMAP = 1;

    struct PaletteEntry {
        std::uint8_t red, green, blue, flags;
    };
    struct LogPalette {
        std::uint16_t version = 0;
        std::uint16_t numberOfEntries = 0;
        std::array<PaletteEntry, 256> entries{};
    };
    struct PictDesc {
        std::uint32_t size = 0;
        std::uint32_t type = 0;
        Handle bitmap = 0;
        Handle palette = 0;
        std::uint32_t reserved = 0;
    };

    virtual ~Gdi() = default;
    virtual Handle GetDC(Handle window) = 0;
    virtual Handle GetWindowDC(Handle window) = 0;
    virtual Handle CreateCompatibleDC(Handle dc) = 0;
    virtual Handle CreateCompatibleBitmap(Handle dc, std::int32_t width, std::int32_t height) = 0;
    virtual Handle SelectObject(Handle dc, Handle object) = 0;
    virtual std::int32_t GetDeviceCaps(Handle dc, std::int32_t index) = 0;
    virtual std::uint32_t GetSystemPaletteEntries(Handle dc, std::uint32_t start,
                                                  std::uint32_t count, PaletteEntry* entries) = 0;
    virtual Handle CreatePalette(const LogPalette& palette) = 0;
    virtual Handle SelectPalette(Handle dc, Handle palette, bool forceBackground) = 0;
    virtual std::uint32_t RealizePalette(Handle dc) = 0;
    virtual bool BitBlt(Handle target, std::int32_t x, std::int32_t y, std::int32_t width,
                        std::int32_t height, Handle source, std::int32_t sourceX,
                        std::int32_t sourceY, std::uint32_t rop) = 0;
    virtual bool DeleteDC(Handle dc) = 0;
    virtual std::int32_t ReleaseDC(Handle window, Handle dc) = 0;
    // Makes a picture object from the description; with own set, the picture frees the bitmap
    // and palette when its last reference goes. The empty picture when it cannot.
    virtual Picture OleCreatePictureIndirect(const PictDesc& description, const QUuid& interfaceId,
                                             bool own) = 0;
};

namespace InterfaceId {
inline const QUuid IDispatch{0x00020400, 0x0000, 0x0000, 0xC0, 0x00, 0x00,
                             0x00,       0x00,   0x00,   0x00, 0x46};
} // namespace InterfaceId

} // namespace qv
