#pragma once

#include <QString>

namespace qv {
class PictureBox;
}

namespace qv::card {

// Draws the card text into the upright face: the text is drawn once at 160 points on the
// scratch surface, 3205 twips wide per character, and that drawing is painted into the face
// stretched by 3 / n across, so every text comes out about three characters wide. n counts
// the characters a reader sees, so 𠮷 (two UTF-16 units) or e with a combining accent counts
// once. A two-character text gets a leading blank first, which stays in cardText. scaleFactor
// receives the stretch factors (across, down). Raises the engine's run-time errors; what was
// drawn before an error stays.
void drawCardText(PictureBox& picture1, PictureBox& picture3, QString& cardText,
                  const QString& cardFontName, float (&scaleFactor)[2]);

// What to tell the user when some characters of the card text are in no installed face, so
// that the card shows a box for each: the characters by name, or empty text when every one
// can be drawn.
QString undrawableNotice(const QString& cardText, const QString& cardFontName);

} // namespace qv::card
