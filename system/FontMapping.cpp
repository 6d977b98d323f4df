#include "FontMapping.h"

#include <QFont>
#include <QStringList>

namespace qv {

void installFontMapping() {
    // Kai faces are the nearest installed look to the clerical script of 隶书. Each list ends
    // with the faces that cover the rare characters of the extension blocks, where a character
    // that the faces before it lack is looked for first.
    const QStringList rare = {QStringLiteral("HanaMinA"), QStringLiteral("HanaMinB")};
    const QStringList kai =
        QStringList{QStringLiteral("AR PL UKai CN"), QStringLiteral("AR PL KaitiM GB"),
                    QStringLiteral("AR PL UKai TW"), QStringLiteral("AR PL UMing CN"),
                    QStringLiteral("WenQuanYi Zen Hei")} +
        rare;
    const QStringList song =
        QStringList{QStringLiteral("AR PL UMing CN"), QStringLiteral("AR PL SungtiL GB"),
                    QStringLiteral("Noto Serif CJK SC"), QStringLiteral("AR PL UKai CN"),
                    QStringLiteral("WenQuanYi Zen Hei")} +
        rare;
    const QStringList hei =
        QStringList{QStringLiteral("WenQuanYi Zen Hei"), QStringLiteral("Noto Sans CJK SC"),
                    QStringLiteral("AR PL UMing CN")} +
        rare;
    for (const char* face : {"隶书", "楷体", "楷体_GB2312", "华文楷体", "华文隶书"})
        QFont::insertSubstitutions(QString::fromUtf8(face), kai);
    for (const char* face : {"宋体", "新宋体", "仿宋", "仿宋_GB2312", "华文宋体", "华文仿宋"})
        QFont::insertSubstitutions(QString::fromUtf8(face), song);
    for (const char* face : {"黑体", "微软雅黑", "幼圆", "华文细黑"})
        QFont::insertSubstitutions(QString::fromUtf8(face), hei);
}

} // namespace qv
