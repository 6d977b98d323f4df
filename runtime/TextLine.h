#pragma once

#include <QList>
#include <QString>

class QFont;
class QPainter;
class QPointF;

namespace qv {

// Draws text as one line with its baseline at the given point, in the painter's pen, laid out
// by Qt's text layout: each run is shaped whole, and a character the font lacks comes from
// another face by its script. Han characters look in the font's substitutes first (the font
// mapping ends them with the faces of the rare characters), skipping a face whose glyph for
// the character is empty; other scripts go to the faces Qt picks for them, so marks stay on
// their bases and joined letters stay joined. Glyphs that fall wholly outside the painter's
// device are not drawn.
void drawTextLine(QPainter& painter, const QPointF& baseline, const QString& text,
                  const QFont& font);

// The characters of the text that no installed face draws (drawTextLine draws a box for
// each), each once, in the order they first come. Blanks and invisible controls are not
// meant to show and never count.
QList<char32_t> undrawableCharacters(const QString& text, const QFont& font);

} // namespace qv
