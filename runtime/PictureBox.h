#pragma once

#include "ClickTracker.h"
#include "OleColor.h"
#include "Picture.h"

#include <QImage>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <optional>

namespace qv {

// The engine's picture box: a drawing surface that counts in twips or pixels. It always
// keeps its drawing in a retained image and paints from it, so what it shows survives being
// covered, minimised or repainted, and what is printed is what was drawn.
class PictureBox : public QWidget {
    Q_OBJECT
public:
    // Widest and tallest surface, in pixels; wider requests are cut to it. 32767 is the
    // largest coordinate the engine's 16-bit drawing arithmetic can address.
    static constexpr int MaxPixels = 32767;
    // No surface holds more than this many pixels (256 MiB of image).
    static constexpr qint64 MaxArea = qint64(1) << 26;

    enum ScaleModes : std::int16_t { Twips = 1, Pixels = 3 };

    explicit PictureBox(QWidget* parent = nullptr);

    // Repaints the whole surface with the background and puts the text position at (0, 0).
    void Cls();
    // Draws text at the text position in the foreground colour, no background behind it.
    // Laid out and shaped by Qt, a face for each script (see TextLine.h).
    void Print(const QString& text);
    // Draws the region (x2, y2, width2, height2) of the picture into the region
    // (x1, y1, width1, height1) of this surface, all in this surface's units. Omitted sizes
    // are the picture's own. Parts of the source beyond the picture paint nothing.
    void PaintPicture(const qv::Picture& picture, float x1, float y1,
                      std::optional<float> width1 = {}, std::optional<float> height1 = {},
                      float x2 = 0, float y2 = 0, std::optional<float> width2 = {},
                      std::optional<float> height2 = {});
    // A copy of the retained image.
    qv::Picture Image() const;
    qv::Picture Picture() const { return m_picture; }
    void setPicture(const qv::Picture& picture);

    bool AutoRedraw() const { return m_autoRedraw; }
    void setAutoRedraw(bool on) { m_autoRedraw = on; }
    OleColor BackColor() const { return m_backColor; }
    void setBackColor(OleColor color);
    OleColor ForeColor() const { return m_foreColor; }
    void setForeColor(OleColor color) { m_foreColor = color; }
    QString FontName() const { return m_fontName; }
    void setFontName(const QString& name);
    float FontSize() const { return m_fontSize; }
    void setFontSize(float points);
    bool Visible() const { return !isHidden(); }

    std::int16_t ScaleMode() const { return m_scaleMode; }
    void setScaleMode(std::int16_t mode);
    float ScaleWidth() const;
    float ScaleHeight() const;

    // Outer size in twips, as the surface really is (a whole number of pixels).
    float Width() const;
    float Height() const;
    void setWidth(float twips);
    void setHeight(float twips);

    // The colour at a position, or -1 outside the surface.
    std::int32_t Point(float x, float y) const;
    // Sets one pixel; a position outside the surface changes nothing.
    void PSet(float x, float y, OleColor color);

    // Bulk pixel work straight on the retained image; call pixelsChanged() afterwards.
    const QImage& retainedImage() const;
    QImage& retainedImageForWriting();
    void pixelsChanged(const QRect& area);

    // Pixels per unit of the current ScaleMode.
    double unitsPerPixelX() const;
    double unitsPerPixelY() const;

signals:
    void Click();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage& surface() const;
    void paintBackground();
    void resizeTo(int widthPixels, int heightPixels);

    mutable QImage m_image;
    qv::Picture m_picture;
    OleColor m_backColor = SystemColor::Window;
    OleColor m_foreColor = SystemColor::WindowText;
    QString m_fontName;
    float m_fontSize = 9.0f;
    std::int16_t m_scaleMode = Twips;
    float m_currentX = 0;
    float m_currentY = 0;
    bool m_autoRedraw = false;
    ClickTracker m_click;
};

} // namespace qv
