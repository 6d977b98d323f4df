#include "TextLine.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QSet>
#include <QTextLayout>

namespace qv {

namespace {
// Walks the text a code point at a time; a lone surrogate is a code point of its own.
template <typename Visit> void forEachCodePoint(const QString& text, Visit visit) {
    for (qsizetype i = 0; i < text.size();) {
        const bool pair =
            text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        const char32_t character =
            pair ? QChar::surrogateToUcs4(text[i], text[i + 1]) : char32_t(text[i].unicode());
        visit(character, i, pair ? 2 : 1);
        i += pair ? 2 : 1;
    }
}

// Some CJK faces hold an empty glyph for characters they do not really have; Qt would take it
// for the character.
bool blankIn(const QRawFont& face, char32_t character) {
    if (!face.isValid() || !face.supportsCharacter(uint(character)))
        return false;
    const QList<quint32> glyphs = face.glyphIndexesForString(QString::fromUcs4(&character, 1));
    // A face of bitmaps has no outlines, but its glyphs have a size.
    return glyphs.size() == 1 && glyphs.first() != 0 &&
           face.boundingRect(glyphs.first()).isEmpty() &&
           face.pathForGlyph(glyphs.first()).isEmpty();
}

// The faces a stretch of text is drawn in, by its script. Han characters go to the font's face
// and then its substitutes, less those whose glyph for the character is empty; every other
// script to the font's face and then the faces Qt picks for that script, so a face that covers
// some letters of a script (as the faces of the rare Han characters do for Thai) never tears a
// syllable apart.
class FacesByScript {
public:
    explicit FacesByScript(const QFont& font) {
        const QString face = QFontInfo(font).family();
        m_han = QStringList{face} + QFont::substitutes(font.family());
        m_han.removeDuplicates();
        for (const QString& family : std::as_const(m_han)) {
            QFont one(font);
            one.setFamily(family);
            one.setStyleStrategy(QFont::NoFontMerging);
            m_hanFaces.append(QRawFont::fromFont(one));
        }
        m_other.setFontFamilies(QStringList{face});
    }

    QList<QTextLayout::FormatRange> ranges(const QString& text) {
        QList<QTextLayout::FormatRange> ranges;
        forEachCodePoint(text, [&](char32_t character, qsizetype at, int length) {
            const QChar::Script script = QChar::script(character);
            // Blanks, digits, punctuation and marks go with the run they stand in.
            if (script <= QChar::Script_Common && !ranges.isEmpty()) {
                ranges.last().length += length;
                return;
            }
            const QTextCharFormat& format =
                script == QChar::Script_Han ? hanFormat(character) : m_other;
            if (!ranges.isEmpty() && ranges.last().format == format)
                ranges.last().length += length;
            else
                ranges.append({int(at), length, format});
        });
        return ranges;
    }

    // The font a character is looked for in.
    QFont fontFor(const QFont& font, char32_t character) {
        QFont face(font);
        face.setFamilies(
            (QChar::script(character) == QChar::Script_Han ? hanFormat(character) : m_other)
                .fontFamilies()
                .toStringList());
        return face;
    }

private:
    const QTextCharFormat& hanFormat(char32_t character) {
        auto known = m_hanFormats.constFind(character);
        if (known == m_hanFormats.cend()) {
            QStringList families;
            for (qsizetype i = 0; i < m_han.size(); ++i)
                if (!blankIn(m_hanFaces[i], character))
                    families.append(m_han[i]);
            QTextCharFormat format;
            format.setFontFamilies(families.isEmpty() ? m_han : families);
            known = m_hanFormats.insert(character, format);
        }
        return *known;
    }

    QStringList m_han;
    QList<QRawFont> m_hanFaces;
    QTextCharFormat m_other;
    QHash<char32_t, QTextCharFormat> m_hanFormats;
};

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
    layout.setFormats(FacesByScript(font).ranges(line));
    layout.beginLayout();
    const QTextLine row = layout.createLine();
    layout.endLayout();
    // Every face on the font's baseline, whichever of them reaches highest.
    QPointF origin(baseline.x(), baseline.y() - row.ascent());
    const QList<QGlyphRun> runs = layout.glyphRuns();
    // Dots below an Arabic letter or marks stacked above a Thai one may reach past the surface,
    // where the font's own letters do not: the line then moves as far as it must to show them,
    // and is centred where it is taller than the surface.
    QRectF ink;
    for (const QGlyphRun& run : runs) {
        const QRawFont face = run.rawFont();
        const QList<quint32> glyphs = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        for (qsizetype i = 0; i < glyphs.size(); ++i)
            ink |= face.boundingRect(glyphs[i]).translated(positions[i]);
    }
    const qreal scale = painter.transform().m22(), height = painter.device()->height();
    if (ink.isValid() && painter.transform().isAffine() && scale > 0) {
        const qreal top = painter.transform().map(origin + ink.topLeft()).y(),
                    bottom = painter.transform().map(origin + ink.bottomLeft()).y();
        const qreal shift = bottom - top > height ? (height - bottom - top) / 2
                            : top < 0             ? -top
                            : bottom > height     ? height - bottom
                                                  : 0;
        origin.ry() += shift / scale;
    }
    // Only the glyphs that can reach the surface are drawn, so a text thousands of characters
    // long costs what one as wide as the surface does. A glyph's ink may lie up to about an em
    // either side of its origin.
    const QRect device(0, 0, painter.device()->width(), painter.device()->height());
    const QRectF shown = painter.transform().inverted().mapRect(QRectF(device));
    const qreal em = QFontMetricsF(font, painter.device()).height();
    for (const QGlyphRun& run : runs)
        drawGlyphsWithin(painter, origin, run, shown.left() - 2 * em - origin.x(),
                         shown.right() + 2 * em - origin.x(), em);
}

QList<char32_t> undrawableCharacters(const QString& text, const QFont& font) {
    FacesByScript faces(font);
    QList<char32_t> undrawable;
    QSet<char32_t> seen;
    forEachCodePoint(text, [&](char32_t character, qsizetype, int) {
        const QChar::Category category = QChar::category(character);
        if (QChar::isSpace(character) || category == QChar::Other_Control ||
            category == QChar::Other_Format || seen.contains(character))
            return;
        seen.insert(character);
        if (!QFontMetricsF(faces.fontFor(font, character)).inFontUcs4(uint(character)))
            undrawable.append(character);
    });
    return undrawable;
}

} // namespace qv
