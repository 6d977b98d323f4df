#include "PictureBox.h"

#include "Conversions.h"
#include "RuntimeError.h"
#include "Screen.h"
#include "TextLine.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace qv {

namespace {
int pixelsFromTwips(float twips, float twipsPerPixel) {
    if (std::isnan(twips) || twips < 0)
        throw RuntimeError(ErrorNumber::InvalidPropertyValue);
    return std::min(toPixel(double(twips) / twipsPerPixel), PictureBox::MaxPixels);
}
} // namespace

PictureBox::PictureBox(QWidget* parent) : QWidget(parent), m_fontName(font().family()) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

double PictureBox::unitsPerPixelX() const {
    return m_scaleMode == Pixels ? 1.0 : Screen::TwipsPerPixelX();
}

double PictureBox::unitsPerPixelY() const {
    return m_scaleMode == Pixels ? 1.0 : Screen::TwipsPerPixelY();
}

QImage& PictureBox::surface() const {
    // The image follows the widget's size lazily, keeping what was drawn where it still fits.
    if (m_image.size() != size()) {
        const int w = std::max(width(), 1), h = std::max(height(), 1);
        QImage resized(w, h, QImage::Format_RGB32);
        if (resized.isNull())
            throw RuntimeError(ErrorNumber::OutOfMemory);
        const int dotsPerMeter = qRound(1440.0 / Screen::TwipsPerPixelX() / 0.0254);
        resized.setDotsPerMeterX(dotsPerMeter);
        resized.setDotsPerMeterY(dotsPerMeter);
        resized.fill(toQColor(m_backColor));
        if (!m_image.isNull()) {
            QPainter painter(&resized);
            painter.drawImage(0, 0, m_image);
        }
        m_image = std::move(resized);
    }
    return m_image;
}

void PictureBox::resizeTo(int widthPixels, int heightPixels) {
    if (qint64(std::max(widthPixels, 1)) * std::max(heightPixels, 1) > MaxArea)
        throw RuntimeError(ErrorNumber::InvalidPropertyValue);
    resize(widthPixels, heightPixels);
    surface();
}

void PictureBox::paintBackground() {
    QImage& image = surface();
    image.fill(toQColor(m_backColor));
    if (!m_picture.isNull()) {
        QPainter painter(&image);
        painter.drawImage(0, 0, m_picture.image());
    }
    update();
}

void PictureBox::Cls() {
    paintBackground();
    m_currentX = 0;
    m_currentY = 0;
}

void PictureBox::setBackColor(OleColor color) {
    m_backColor = color;
    paintBackground();
}

void PictureBox::setPicture(const qv::Picture& picture) {
    m_picture = picture;
    paintBackground();
}

void PictureBox::setFontName(const QString& name) {
    if (name.isEmpty())
        throw RuntimeError(ErrorNumber::InvalidPropertyValue);
    m_fontName = name;
}

void PictureBox::setFontSize(float points) {
    if (!(points > 0.0f) || points > 2160.0f)
        throw RuntimeError(ErrorNumber::InvalidPropertyValue);
    m_fontSize = points;
}

void PictureBox::Print(const QString& text) {
    QImage& image = surface();
    QFont font(m_fontName);
    font.setPointSizeF(m_fontSize);
    const QFontMetricsF metrics(font, &image);
    {
        QPainter painter(&image);
        painter.setPen(toQColor(m_foreColor));
        const QPointF baseline(toPixel(m_currentX / unitsPerPixelX()),
                               toPixel(m_currentY / unitsPerPixelY()) + metrics.ascent());
        drawTextLine(painter, baseline, text, font);
    }
    m_currentX = 0;
    m_currentY = float(m_currentY + metrics.height() * unitsPerPixelY());
    update();
}

qv::Picture PictureBox::Image() const {
    return qv::Picture(surface());
}

void PictureBox::PaintPicture(const qv::Picture& picture, float x1, float y1,
                              std::optional<float> width1, std::optional<float> height1, float x2,
                              float y2, std::optional<float> width2, std::optional<float> height2) {
    const QImage& source = picture.image();
    const double ux = unitsPerPixelX(), uy = unitsPerPixelY();
    // Everything in pixels from here on: of this surface for the target, of the picture for
    // the source (a picture's pixel is a screen pixel).
    const double tx = checked(x1 / ux), ty = checked(y1 / uy);
    const double tw = checked(width1 ? *width1 / ux : source.width());
    const double th = checked(height1 ? *height1 / uy : source.height());
    const double sx = checked(x2 / ux), sy = checked(y2 / uy);
    const double sw = checked(width2 ? *width2 / ux : source.width());
    const double sh = checked(height2 ? *height2 / uy : source.height());
    if (tw == 0 || th == 0 || sw == 0 || sh == 0)
        return;
    // A negative size mirrors that axis; normalise to positive sizes and remember the flips.
    const bool flipX = (tw < 0) != (sw < 0), flipY = (th < 0) != (sh < 0);
    const QRectF target = QRectF(tx, ty, tw, th).normalized();
    const QRectF from = QRectF(sx, sy, sw, sh).normalized();
    const double scaleX = target.width() / from.width(), scaleY = target.height() / from.height();

    // Only the part of the source that lies on the picture paints, and only where it lands on
    // this surface: clip on both sides before any scaling, so no huge request allocates.
    QRectF visibleSource = from.intersected(QRectF(source.rect()));
    if (visibleSource.isEmpty())
        return;
    auto toTarget = [&](const QRectF& s) {
        double left = flipX ? from.right() - s.right() : s.left() - from.left();
        double top = flipY ? from.bottom() - s.bottom() : s.top() - from.top();
        return QRectF(target.left() + left * scaleX, target.top() + top * scaleY,
                      s.width() * scaleX, s.height() * scaleY);
    };
    QImage& image = surface();
    const QRectF landing = toTarget(visibleSource).intersected(QRectF(image.rect()));
    if (landing.isEmpty())
        return;
    const QRect pixels(QPoint(toPixel(landing.left()), toPixel(landing.top())),
                       QPoint(toPixel(landing.right()) - 1, toPixel(landing.bottom()) - 1));
    if (pixels.isEmpty())
        return;
    // Map the landing pixels back to the source they come from.
    auto toSource = [&](const QRectF& t) {
        double left = (t.left() - target.left()) / scaleX;
        double top = (t.top() - target.top()) / scaleY;
        double w = t.width() / scaleX, h = t.height() / scaleY;
        if (flipX)
            left = from.width() - left - w;
        if (flipY)
            top = from.height() - top - h;
        return QRectF(from.left() + left, from.top() + top, w, h);
    };
    const QRectF wanted = toSource(QRectF(pixels)).intersected(QRectF(source.rect()));
    const QRect sourcePixels(
        QPoint(int(std::floor(wanted.left())), int(std::floor(wanted.top()))),
        QPoint(int(std::ceil(wanted.right())) - 1, int(std::ceil(wanted.bottom())) - 1));
    if (sourcePixels.isEmpty())
        return;
    // Area-averaged scaling keeps thin strokes of a squeezed name instead of dropping them.
    // The whole picture is shared, not copied: a long name's scratch drawing is tens of MB.
    QImage piece = sourcePixels == source.rect() ? source : source.copy(sourcePixels);
    if (flipX || flipY)
        piece = piece.mirrored(flipX, flipY);
    if (piece.size() != pixels.size())
        piece = piece.scaled(pixels.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (piece.isNull())
        throw RuntimeError(ErrorNumber::OutOfMemory);
    QPainter painter(&image);
    painter.drawImage(pixels.topLeft(), piece);
    painter.end();
    update(pixels);
}

void PictureBox::setScaleMode(std::int16_t mode) {
    // The program's steps use twips and pixels only.
    if (mode != Twips && mode != Pixels)
        throw RuntimeError(ErrorNumber::InvalidPropertyValue);
    m_scaleMode = mode;
}

float PictureBox::ScaleWidth() const {
    return float(width() * unitsPerPixelX());
}

float PictureBox::ScaleHeight() const {
    return float(height() * unitsPerPixelY());
}

float PictureBox::Width() const {
    return float(width()) * Screen::TwipsPerPixelX();
}

float PictureBox::Height() const {
    return float(height()) * Screen::TwipsPerPixelY();
}

void PictureBox::setWidth(float twips) {
    resizeTo(pixelsFromTwips(twips, Screen::TwipsPerPixelX()), height());
}

void PictureBox::setHeight(float twips) {
    resizeTo(width(), pixelsFromTwips(twips, Screen::TwipsPerPixelY()));
}

std::int32_t PictureBox::Point(float x, float y) const {
    const QImage& image = surface();
    const int px = toPixel(x / unitsPerPixelX()), py = toPixel(y / unitsPerPixelY());
    if (px < 0 || py < 0 || px >= width() || py >= height())
        return -1;
    return std::int32_t(fromRgb32(reinterpret_cast<const QRgb*>(image.constScanLine(py))[px]));
}

void PictureBox::PSet(float x, float y, OleColor color) {
    m_currentX = x;
    m_currentY = y;
    QImage& image = surface();
    const int px = toPixel(x / unitsPerPixelX()), py = toPixel(y / unitsPerPixelY());
    if (px < 0 || py < 0 || px >= width() || py >= height())
        return;
    reinterpret_cast<QRgb*>(image.scanLine(py))[px] = toQColor(color).rgb();
    update(px, py, 1, 1);
}

const QImage& PictureBox::retainedImage() const {
    return surface();
}

QImage& PictureBox::retainedImageForWriting() {
    return surface();
}

void PictureBox::pixelsChanged(const QRect& area) {
    update(area);
}

void PictureBox::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect area = event->rect();
    try {
        painter.drawImage(area.topLeft(), surface(), area);
    } catch (...) {
        // No image to paint from (no memory for one): the background shows, and the drawing
        // step that next needs the image raises the error where a handler can take it.
        painter.fillRect(area, toQColor(m_backColor));
    }
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    m_click.press(*event);
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
    if (m_click.release(*this, *event))
        emit Click();
}

} // namespace qv
