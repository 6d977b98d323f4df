#include "FontMapping.h"

#include <QFont>
#include <QStringList>

namespace qv {

void installFontMapping() {
    // Kai faces are the nearest installed look to the clerical script of 隶书.
    const QStringList kai = {QStringLiteral("AR PL UKai CN"), QStringLiteral("AR PL KaitiM GB"),
                             QStringLiteral("AR PL UKai TW"), QStringLiteral("AR PL UMing CN"),
                             QStringLiteral("WenQuanYi Zen Hei")};
    const QStringList song = {QStringLiteral("AR PL UMing CN"), QStringLiteral("AR PL SungtiL GB"),
                              QStringLiteral("Noto Serif CJK SC"), QStringLiteral("AR PL UKai CN"),
                              QStringLiteral("WenQuanYi Zen Hei")};
    const QStringList hei = {QStringLiteral("WenQuanYi Zen Hei"),
                             QStringLiteral("Noto Sans CJK SC"), QStringLiteral("AR PL UMing CN")};
    for (const char* face : {"隶书", "楷体", "楷体_GB2312", "华文楷体", "华文隶书"})
        QFont::insertSubstitutions(QString::fromUtf8(face), kai);
    for (const char* face : {"宋体", "新宋体", "仿宋", "仿宋_GB2312", "华文宋体", "华文仿宋"})
        QFont::insertSubstitutions(QString::fromUtf8(face), song);
    for (const char* face : {"黑体", "微软雅黑", "幼圆", "华文细黑"})
        QFont::insertSubstitutions(QString::fromUtf8(face), hei);
}

} // namespace qv
