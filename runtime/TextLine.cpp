#include "TextLine.h"

#include <QFontDatabase>
#include <QGlyphRun>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QTextLayout>

#include <utility>

namespace qv {

namespace {
bool hasInk(const QRawFont& face, quint32 glyph) {
    if (glyph == 0) // the box drawn for a missing glyph
        return false;
    // A face of bitmaps has no outlines, but its glyphs have a size.
    return !face.boundingRect(glyph).isEmpty() || !face.pathForGlyph(glyph).isEmpty();
}

bool inks(const QRawFont& face, char32_t character) {
    if (!face.isValid() || !face.supportsCharacter(uint(character)))
        return false;
    const QList<quint32> glyphs = face.glyphIndexesForString(QString::fromUcs4(&character, 1));
    return glyphs.size() == 1 && hasInk(face, glyphs.first());
}

// Whether the font, with the faces Qt itself falls back on for characters missing from it,
// draws the character with ink.
bool fontInks(const QFont& font, const QString& character) {
    QTextLayout layout(character, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    bool ink = false;
    for (const QGlyphRun& run : layout.glyphRuns())
        for (const quint32 glyph : run.glyphIndexes()) {
            if (glyph == 0)
                return false;
            ink = ink || hasInk(run.rawFont(), glyph);
        }
    return ink;
}

using Faces = QList<std::pair<QString, QRawFont>>;

// The faces of the given families that are installed, in that order, at the font's size.
Faces installedFaces(const QFont& font, const QStringList& families) {
    Faces faces;
    for (const QString& family : families) {
        if (!QFontDatabase::hasFamily(family))
            continue;
        QFont face(font);
        face.setFamily(family);
        face.setStyleStrategy(QFont::NoFontMerging);
        faces.append({family, QRawFont::fromFont(face)});
    }
    return faces;
}

// Where the characters a font leaves blank are drawn. In order: the font's own substitutes,
// which the font mapping ends with the faces of the rare characters; the faces Qt itself falls
// back on; and only then any installed face. Set up for one font at a time, as all cards are
// drawn in the font of the moment.
class FallbackFaces {
public:
    // The faces for this font, set up anew when the font differs from the last one.
    static FallbackFaces& forFont(const QFont& font) {
        static FallbackFaces faces;
        if (faces.m_key != font.key())
            faces = FallbackFaces(font);
        return faces;
    }

    // The face to draw a character in instead of the font; empty when the font (or Qt's own
    // fallback) inks it, or no face can.
    QString faceFor(char32_t character) {
        if (const auto known = m_choices.constFind(character); known != m_choices.cend())
            return *known;
        const QString face = inks(m_own, character) ? QString() : search(character);
        // A name has a handful of characters; a text of thousands of different ones must not
        // make the memory grow without end.
        if (m_choices.size() >= MaxRemembered)
            m_choices.clear();
        m_choices.insert(character, face);
        return face;
    }

private:
    static constexpr qsizetype MaxRemembered = 4096;

    FallbackFaces() = default;
    explicit FallbackFaces(const QFont& font)
        : m_key(font.key()), m_font(font), m_own(QRawFont::fromFont(font)),
          m_substitutes(installedFaces(font, QFont::substitutes(font.family()))) {}

    QString search(char32_t character) {
        for (const auto& [family, face] : std::as_const(m_substitutes))
            if (inks(face, character))
                return family;
        if (fontInks(m_font, QString::fromUcs4(&character, 1)))
            return {};
        // The last resort: every installed family, opened once for this font.
        if (!m_everyFaceOpened) {
            m_everyFace = installedFaces(m_font, QFontDatabase::families());
            m_everyFaceOpened = true;
        }
        for (const auto& [family, face] : std::as_const(m_everyFace))
            if (inks(face, character))
                return family;
        return {};
    }

    QString m_key;
    QFont m_font;
    QRawFont m_own;
    Faces m_substitutes;
    Faces m_everyFace;
    bool m_everyFaceOpened = false;
    QHash<char32_t, QString> m_choices;
};

bool isMark(QChar::Category category) {
    return category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining ||
           category == QChar::Mark_Enclosing;
}

// Blanks, controls, format characters, lone surrogates, private and unassigned code points
// are not meant to leave ink.
bool meantToShow(QChar::Category category) {
    switch (category) {
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Other_PrivateUse:
    case QChar::Other_NotAssigned:
        return false;
    default:
        return true;
    }
}

// The stretches of text to draw in another face. A mark stays with the character it sits on,
// so the two are shaped together.
QList<QTextLayout::FormatRange> otherFaces(const QString& text, const QFont& font) {
    QList<QTextLayout::FormatRange> ranges;
    FallbackFaces& faces = FallbackFaces::forFont(font);
    QString lastFace;
    for (qsizetype i = 0, length = 1; i < text.size(); i += length) {
        char32_t character = text[i].unicode();
        length = 1;
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            character = QChar::surrogateToUcs4(text[i], text[i + 1]);
            length = 2;
        }
        const bool adjoins = !ranges.isEmpty() && ranges.last().start + ranges.last().length == i;
        const QChar::Category category = QChar::category(character);
        if (isMark(category)) {
            if (adjoins)
                ranges.last().length += int(length);
            continue;
        }
        const QString face = meantToShow(category) ? faces.faceFor(character) : QString();
        if (face.isEmpty())
            continue;
        if (adjoins && face == lastFace) {
            ranges.last().length += int(length);
            continue;
        }
        QTextLayout::FormatRange range;
        range.start = int(i);
        range.length = int(length);
        range.format.setFontFamilies({face});
        ranges.append(range);
        lastFace = face;
    }
    return ranges;
}

// Draws the glyphs of a run whose origins lie across [left, right], in bands a few ems wide:
// Qt's rasterizer takes time that grows faster than the width of what it fills at once.
void drawGlyphsWithin(QPainter& painter, const QPointF& origin, const QGlyphRun& run, qreal left,
                      qreal right, qreal em) {
    const QList<quint32> glyphs = run.glyphIndexes();
    const QList<QPointF> positions = run.positions();
    QList<quint32> bandGlyphs;
    QList<QPointF> bandPositions;
    const auto drawBand = [&] {
        QGlyphRun band(run);
        band.setGlyphIndexes(bandGlyphs);
        band.setPositions(bandPositions);
        painter.drawGlyphRun(origin, band);
        bandGlyphs.clear();
        bandPositions.clear();
    };
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
        const qreal x = positions[i].x();
        if (x < left || x > right)
            continue;
        if (!bandPositions.isEmpty() && qAbs(x - bandPositions.first().x()) > 4 * em)
            drawBand();
        bandGlyphs.append(glyphs[i]);
        bandPositions.append(positions[i]);
    }
    if (!bandGlyphs.isEmpty())
        drawBand();
}
} // namespace

void drawTextLine(QPainter& painter, const QPointF& baseline, const QString& text,
                  const QFont& font) {
    painter.setFont(font);
    // One line, laid out as the painter lays out text of its own: line breaks do not break it.
    QString line = text;
    for (QChar& character : line)
        if (character == u'\n' || character == u'\r' || character == QChar::LineSeparator ||
            character == QChar::ParagraphSeparator)
            character = u' ';
    QTextLayout layout(line, font, painter.device());
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTextDirection(painter.layoutDirection());
    layout.setTextOption(option);
    layout.setFormats(otherFaces(text, font));
    layout.beginLayout();
    const QTextLine row = layout.createLine();
    layout.endLayout();
    // Every face on the font's baseline, whichever of them reaches highest.
    const QPointF origin(baseline.x(), baseline.y() - row.ascent());
    // Only the glyphs that can reach the surface are drawn, so a text thousands of characters
    // long costs what one as wide as the surface does. A glyph's ink may lie up to about an em
    // either side of its origin.
    const QRect device(0, 0, painter.device()->width(), painter.device()->height());
    const QRectF shown = painter.transform().inverted().mapRect(QRectF(device));
    const qreal em = QFontMetricsF(font, painter.device()).height();
    for (const QGlyphRun& run : layout.glyphRuns())
        drawGlyphsWithin(painter, origin, run, shown.left() - 2 * em - origin.x(),
                         shown.right() + 2 * em - origin.x(), em);
}

} // namespace qv
