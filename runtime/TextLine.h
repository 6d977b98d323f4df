#pragma once

#include <QString>

class QFont;
class QPainter;
class QPointF;

namespace qv {

// Draws text as one line with its baseline at the given point, in the painter's pen. A
// character that the font leaves blank, having no glyph for it or an empty one, is drawn in
// a face that has ink for it, at the same size, on the same baseline: the font's substitutes
// first (QFont::substitutes), then the faces Qt falls back on, then any installed face.
// Blanks, controls and characters no face has stay as the font draws them. Glyphs that fall
// wholly outside the painter's device are not drawn.
void drawTextLine(QPainter& painter, const QPointF& baseline, const QString& text,
                  const QFont& font);

} // namespace qv
