#include "Module1.h"

namespace qv::Module1 {

Picture CaptureWindowArea(Gdi& gdi, Gdi::Handle window, std::int32_t clientArea, std::int32_t left,
                          std::int32_t top, std::int32_t width, std::int32_t height) {
    const bool client = (clientArea & 0xFFFF) != 0;
    const Gdi::Handle source = client ? gdi.GetDC(window) : gdi.GetWindowDC(window);
    const Gdi::Handle memory = gdi.CreateCompatibleDC(source);
    // Compatible with the window's context: a memory context starts as a 1 x 1 monochrome
    // surface, and a bitmap made from it would lose the colours.
    const Gdi::Handle bitmap = gdi.CreateCompatibleBitmap(source, width, height);
    const Gdi::Handle previousBitmap = gdi.SelectObject(memory, bitmap);

    const std::int32_t hasPalette = gdi.GetDeviceCaps(source, Gdi::RASTERCAPS) & Gdi::RC_PALETTE;
    const std::int32_t paletteSize = gdi.GetDeviceCaps(source, Gdi::SIZEPALETTE);
    const bool paletteBranch = hasPalette != 0 && paletteSize == 256;
    Gdi::Handle previousPalette = 0;
    if (paletteBranch) {
        Gdi::LogPalette logical;
        logical.version = 0x300;
        logical.numberOfEntries = 256;
        gdi.GetSystemPaletteEntries(source, 0, 256, logical.entries.data());
        const Gdi::Handle palette = gdi.CreatePalette(logical);
        previousPalette = gdi.SelectPalette(memory, palette, false);
        gdi.RealizePalette(memory);
    }

    gdi.BitBlt(memory, 0, 0, width, height, source, left, top, Gdi::SRCCOPY);
    const Gdi::Handle captured = gdi.SelectObject(memory, previousBitmap);
    Gdi::Handle capturedPalette = 0;
    if (paletteBranch)
        capturedPalette = gdi.SelectPalette(memory, previousPalette, false);

    gdi.DeleteDC(memory);
    gdi.ReleaseDC(window, source);
    return MakePictureFromBitmap(gdi, captured, capturedPalette);
}

Picture MakePictureFromBitmap(Gdi& gdi, Gdi::Handle bitmap, Gdi::Handle palette) {
    Gdi::PictDesc description;
    description.size = 20;
    description.type = Gdi::PICTYPE_BITMAP;
    description.bitmap = bitmap;
    description.palette = palette;
    description.reserved = 0;
    // Asked for through its general automation interface; what comes back is the picture
    // object itself.
    return gdi.OleCreatePictureIndirect(description, InterfaceId::IDispatch, true);
}

} // namespace qv::Module1
