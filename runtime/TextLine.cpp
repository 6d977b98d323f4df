#include "TextLine.h"

#include <QFontDatabase>
#include <QGlyphRun>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QSet>
#include <QTextLayout>

namespace qv {

namespace {
// Faces chosen are remembered per font and character, within these bounds: a font's list is
// dropped when full, all lists when too many fonts were used.
constexpr qsizetype MaxCharactersPerFont = 4096;
constexpr qsizetype MaxFonts = 16;

bool hasInk(const QRawFont& face, quint32 glyph) {
    if (glyph == 0) // the box drawn for a missing glyph
        return false;
    // A face of bitmaps has no outlines, but its glyphs have a size.
    return !face.pathForGlyph(glyph).isEmpty() || !face.boundingRect(glyph).isEmpty();
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

// The first installed face that has ink for the character: the font's own substitutes first,
// then every family in the font database. Empty when none has.
QString faceWithInk(const QFont& font, char32_t character) {
    const QString text = QString::fromUcs4(&character, 1);
    const QStringList families = QFontDatabase::families();
    const QSet<QString> installed(families.cbegin(), families.cend());
    for (const QString& family : QFont::substitutes(font.family()) + families) {
        if (!installed.contains(family))
            continue;
        QFont face(font);
        face.setFamily(family);
        face.setStyleStrategy(QFont::NoFontMerging);
        const QRawFont raw = QRawFont::fromFont(face);
        if (!raw.isValid() || !raw.supportsCharacter(uint(character)))
            continue;
        const QList<quint32> glyphs = raw.glyphIndexesForString(text);
        if (glyphs.size() == 1 && hasInk(raw, glyphs.first()))
            return family;
    }
    return {};
}

// The face to draw a character in instead of the font; empty when the font inks it itself or
// no face can.
class FaceChoices {
public:
    explicit FaceChoices(const QFont& font) : m_font(font) {
        if (s_fonts.size() >= MaxFonts && !s_fonts.contains(font.key()))
            s_fonts.clear();
        m_choices = &s_fonts[font.key()];
    }
    QString faceFor(char32_t character) {
        if (const auto known = m_choices->constFind(character); known != m_choices->cend())
            return *known;
        QString face;
        if (!fontInks(m_font, QString::fromUcs4(&character, 1)))
            face = faceWithInk(m_font, character);
        if (m_choices->size() >= MaxCharactersPerFont)
            m_choices->clear();
        m_choices->insert(character, face);
        return face;
    }

private:
    static thread_local QHash<QString, QHash<char32_t, QString>> s_fonts;
    const QFont& m_font;
    QHash<char32_t, QString>* m_choices;
};
thread_local QHash<QString, QHash<char32_t, QString>> FaceChoices::s_fonts;

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
    FaceChoices choices(font);
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
        const QString face = meantToShow(category) ? choices.faceFor(character) : QString();
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
} // namespace

void drawTextLine(QPainter& painter, const QPointF& baseline, const QString& text,
                  const QFont& font) {
    painter.setFont(font);
    const QList<QTextLayout::FormatRange> faces = otherFaces(text, font);
    if (faces.isEmpty()) {
        painter.drawText(baseline, text);
        return;
    }
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
    layout.setFormats(faces);
    layout.beginLayout();
    const QTextLine row = layout.createLine();
    layout.endLayout();
    // Every face on the font's baseline, whichever of them reaches highest.
    layout.draw(&painter, QPointF(baseline.x(), baseline.y() - row.ascent()));
}

} // namespace qv
