#include "QtGdi.h"

#include <QPainter>
#include <QPalette>
#include <QPixmap>

namespace qv {

Gdi::Handle QtGdi::add(Object object) {
    const Handle handle = m_next++;
    m_objects->emplace(handle, std::move(object));
    return handle;
}

QtGdi::Object* QtGdi::find(Handle handle, Object::Kind kind) {
    const auto it = m_objects->find(handle);
    return it != m_objects->end() && it->second.kind == kind ? &it->second : nullptr;
}

Gdi::Handle QtGdi::windowDC(Handle window, bool wholeWindow) {
    QWidget* widget = QWidget::find(WId(window));
    if (!widget)
        return 0;
    Object dc(Object::WindowDC);
    dc.window = widget;
    dc.wholeWindow = wholeWindow;
    return add(std::move(dc));
}

Gdi::Handle QtGdi::GetDC(Handle window) {
    return windowDC(window, false);
}

Gdi::Handle QtGdi::GetWindowDC(Handle window) {
    return windowDC(window, true);
}

Gdi::Handle QtGdi::CreateCompatibleDC(Handle dc) {
    if (dc != 0 && !find(dc, Object::WindowDC) && !find(dc, Object::MemoryDC))
        return 0;
    Object memory(Object::MemoryDC);
    memory.selectedBitmap = StockBitmap;
    return add(std::move(memory));
}

Gdi::Handle QtGdi::CreateCompatibleBitmap(Handle dc, std::int32_t width, std::int32_t height) {
    if (!find(dc, Object::WindowDC) && !find(dc, Object::MemoryDC))
        return 0;
    if (width <= 0 || height <= 0 || qint64(width) * height > MaxBitmapArea)
        return 0;
    Object bitmap(Object::Bitmap);
    bitmap.image = QImage(width, height, QImage::Format_RGB32);
    if (bitmap.image.isNull())
        return 0;
    bitmap.image.fill(Qt::black);
    return add(std::move(bitmap));
}

Gdi::Handle QtGdi::SelectObject(Handle dc, Handle object) {
    Object* memory = find(dc, Object::MemoryDC);
    if (!memory || (object != StockBitmap && !find(object, Object::Bitmap)))
        return 0;
    const Handle previous = memory->selectedBitmap;
    memory->selectedBitmap = object;
    return previous;
}

std::int32_t QtGdi::GetDeviceCaps(Handle, std::int32_t) {
    // No palette device: neither RC_PALETTE nor a palette size.
    return 0;
}

// A display without palettes has none to read, make, select or realize.
std::uint32_t QtGdi::GetSystemPaletteEntries(Handle, std::uint32_t, std::uint32_t, PaletteEntry*) {
    return 0;
}

Gdi::Handle QtGdi::CreatePalette(const LogPalette&) {
    return 0;
}

Gdi::Handle QtGdi::SelectPalette(Handle, Handle, bool) {
    return 0;
}

std::uint32_t QtGdi::RealizePalette(Handle) {
    return 0;
}

QImage QtGdi::render(const Object& dc, const QRect& area) const {
    QImage result(area.size(), QImage::Format_RGB32);
    if (result.isNull())
        return result;
    result.fill(Qt::black);
    QWidget* widget = dc.window;
    if (!widget)
        return result;
    // The client area sits inside the frame when the whole window is asked for.
    QPoint clientOrigin;
    if (dc.wholeWindow && widget->isWindow()) {
        clientOrigin = widget->geometry().topLeft() - widget->frameGeometry().topLeft();
        result.fill(widget->palette().color(QPalette::Window));
    }
    const QRect client(clientOrigin, widget->size());
    const QRect visible = area.intersected(client);
    if (visible.isEmpty())
        return result;
    // Rendered straight into logical pixels: on a scaled screen the window's backing store
    // holds more device pixels than the capture's bitmap has.
    widget->render(&result, visible.topLeft() - area.topLeft(),
                   QRegion(visible.translated(-clientOrigin)));
    return result;
}

bool QtGdi::BitBlt(Handle target, std::int32_t x, std::int32_t y, std::int32_t width,
                   std::int32_t height, Handle source, std::int32_t sourceX, std::int32_t sourceY,
                   std::uint32_t rop) {
    Object* memory = find(target, Object::MemoryDC);
    if (!memory || rop != SRCCOPY || width <= 0 || height <= 0)
        return false;
    Object* bitmap = find(memory->selectedBitmap, Object::Bitmap);
    if (!bitmap)
        return false;
    // Only what lands on the bitmap is worth rendering.
    const QRect onBitmap = QRect(x, y, width, height).intersected(bitmap->image.rect());
    if (onBitmap.isEmpty())
        return true;
    const QRect from(sourceX + (onBitmap.x() - x), sourceY + (onBitmap.y() - y), onBitmap.width(),
                     onBitmap.height());
    QImage pixels;
    if (const Object* window = find(source, Object::WindowDC)) {
        pixels = render(*window, from);
    } else if (const Object* other = find(source, Object::MemoryDC)) {
        if (const Object* sourceBitmap = find(other->selectedBitmap, Object::Bitmap))
            pixels = sourceBitmap->image.copy(from);
    }
    if (pixels.isNull())
        return false;
    QPainter painter(&bitmap->image);
    painter.drawImage(onBitmap.topLeft(), pixels);
    return true;
}

bool QtGdi::DeleteDC(Handle dc) {
    return find(dc, Object::MemoryDC) && m_objects->erase(dc);
}

std::int32_t QtGdi::ReleaseDC(Handle, Handle dc) {
    return find(dc, Object::WindowDC) && m_objects->erase(dc) ? 1 : 0;
}

Picture QtGdi::OleCreatePictureIndirect(const PictDesc& description, const QUuid& interfaceId,
                                        bool own) {
    const Object* bitmap = find(description.bitmap, Object::Bitmap);
    // With no palettes here, a description that names one names nothing.
    const bool valid = description.size == sizeof(std::uint32_t) * 5 &&
                       description.type == std::uint32_t(PICTYPE_BITMAP) && bitmap &&
                       description.palette == 0 && interfaceId == InterfaceId::IDispatch;
    if (!valid) {
        // A picture that cannot be made still takes the bitmap it was given, so it does not
        // leak.
        if (own && bitmap)
            m_objects->erase(description.bitmap);
        return {};
    }
    if (!own)
        return Picture(bitmap->image.copy());
    // The picture may outlive this object: its release frees the bitmap only while the table
    // still exists, and only if the handle still names that bitmap.
    auto release = [objects = std::weak_ptr<Objects>(m_objects), handle = description.bitmap] {
        const auto table = objects.lock();
        if (!table)
            return;
        const auto it = table->find(handle);
        if (it != table->end() && it->second.kind == Object::Bitmap)
            table->erase(it);
    };
    return Picture(bitmap->image, {}, std::move(release));
}

} // namespace qv
