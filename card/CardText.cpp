#include "CardText.h"

#include "runtime/Conversions.h"
#include "runtime/PictureBox.h"
#include "runtime/Screen.h"
#include "runtime/TextLine.h"

#include <QFont>
#include <QStringList>

#include <QTextBoundaryFinder>

#include <algorithm>

namespace qv::card {

namespace {
constexpr double FaceWidthTwips = 9615; // three characters of 3205 twips
constexpr std::int16_t CardFontPoints = 160;
constexpr OleColor White = 0xFFFFFF;

// The characters a reader sees (grapheme clusters): a letter with its accents, a character
// beyond U+FFFF, an emoji sequence each count once.
qsizetype readerCharacters(const QString& text) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}
} // namespace

void drawCardText(PictureBox& picture1, PictureBox& picture3, QString& cardText,
                  const QString& cardFontName, float (&scaleFactor)[2]) {
    picture1.Cls();
    picture3.Cls();
    // One leading blank makes a two-character name three cells wide, so it is drawn at its
    // natural width like a three-character name instead of stretched by half.
    qsizetype characters = readerCharacters(cardText);
    if (characters == 2) {
        cardText = QStringLiteral(" ") + cardText;
        characters = 3;
    }
    picture3.setPicture(Picture());

    const double n = double(characters);
    picture3.setWidth(toSingle(divide(FaceWidthTwips, divide(3.0, n))));
    picture3.Cls();
    picture3.setAutoRedraw(true);
    picture3.setBackColor(White);
    picture3.setFontName(cardFontName);
    picture3.setFontSize(CardFontPoints);
    picture3.Print(cardText);
    picture3.setPicture(picture3.Image());

    scaleFactor[0] = 1;
    scaleFactor[1] = 1;
    scaleFactor[0] = toSingle(checked(divide(3.0, n) * scaleFactor[0]));

    const float w = picture3.Width();
    const float h = picture3.Height();
    picture1.Cls();
    const float width1 = toSingle(checked(double(w) * scaleFactor[0]));
    if (width1 < Screen::TwipsPerPixelX())
        return;
    const float height1 = toSingle(checked(double(h) * scaleFactor[1]));
    if (height1 < Screen::TwipsPerPixelY())
        return;
    picture1.PaintPicture(picture3.Picture(), 0, 0, width1, height1, 0, 0, w, h);
    picture3.setVisible(false);
}

QString undrawableNotice(const QString& cardText, const QString& cardFontName) {
    constexpr qsizetype Named = 5;
    const QList<char32_t> missing = undrawableCharacters(cardText, QFont(cardFontName));
    if (missing.isEmpty())
        return {};
    QStringList named;
    for (const char32_t character : missing.first(std::min(missing.size(), Named))) {
        const QString code = QStringLiteral("U+%1").arg(uint(character), 4, 16, QLatin1Char('0'));
        // A lone surrogate has no text of its own to quote.
        named << (QChar::isSurrogate(character)
                      ? code.toUpper()
                      : QStringLiteral("“%1”（%2）")
                            .arg(QString::fromUcs4(&character, 1), code.toUpper()));
    }
    QString list = named.join(QStringLiteral("、"));
    if (missing.size() > Named)
        list += QStringLiteral("等 %1 个字符").arg(missing.size());
    return QStringLiteral("没有已安装的字体含有%1，桌签上%2显示为方框，其余文字照常画出。")
        .arg(list, missing.size() == 1 ? QStringLiteral("它") : QStringLiteral("它们"));
}

} // namespace qv::card
