#include "Picture.h"

#include "RuntimeError.h"

namespace qv {

Picture::Picture(QImage image, QList<QRgb> palette, std::function<void()> onRelease)
    : m_object(std::make_shared<const Object>(std::move(image), std::move(palette),
                                              std::move(onRelease))) {}

Picture::Object::~Object() {
    if (onRelease)
        onRelease();
}

const QImage& Picture::image() const {
    if (!m_object)
        throw RuntimeError(ErrorNumber::InvalidPicture);
    return m_object->image;
}

const QList<QRgb>& Picture::palette() const {
    if (!m_object)
        throw RuntimeError(ErrorNumber::InvalidPicture);
    return m_object->palette;
}

} // namespace qv
