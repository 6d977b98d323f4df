#pragma once

#include <QImage>
#include <QList>

#include <functional>
#include <memory>

namespace qv {

// A reference-counted picture: an image and, optionally, the palette it came with. Copies
// share one object; when the last reference goes, the object's release action runs (a
// captured picture uses it to free the bitmap and palette it owns). A default-constructed
// Picture is the empty reference.
class Picture {
public:
    Picture() = default;
    explicit Picture(QImage image, QList<QRgb> palette = {}, std::function<void()> onRelease = {});

    bool isNull() const noexcept { return !m_object; }
    // Throws the invalid-picture error on the empty reference.
    const QImage& image() const;
    const QList<QRgb>& palette() const;
    // Drops this reference; the last one to go frees the picture.
    void release() noexcept { m_object.reset(); }

private:
    struct Object {
        Object(QImage i, QList<QRgb> p, std::function<void()> r)
            : image(std::move(i)), palette(std::move(p)), onRelease(std::move(r)) {}
        Object(const Object&) = delete;
        Object& operator=(const Object&) = delete;
        QImage image;
        QList<QRgb> palette;
        std::function<void()> onRelease;
        ~Object();
    };
    std::shared_ptr<const Object> m_object;
};

} // namespace qv
