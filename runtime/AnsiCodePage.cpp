#include "AnsiCodePage.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <langinfo.h>

namespace qv {

namespace {
QByteArray ansiCodeset() {
    QByteArray name = nl_langinfo(CODESET);
    // Code page 936 and GB2312 data are GBK, of which both are part.
    const QByteArray upper = name.toUpper();
    if (upper == "GB2312" || upper == "CP936" || upper == "EUC-CN")
        return "GBK";
    if (upper.isEmpty() || upper == "ANSI_X3.4-1968")
        return "ISO-8859-1";
    return name;
}
} // namespace

QByteArray toAnsi(const QString& text) {
    QStringEncoder encoder(ansiCodeset().constData());
    if (!encoder.isValid())
        return text.toUtf8();
    return encoder.encode(text);
}

QString fromAnsi(const QByteArray& bytes) {
    QStringDecoder decoder(ansiCodeset().constData());
    if (!decoder.isValid())
        return QString::fromUtf8(bytes);
    return decoder.decode(bytes);
}

} // namespace qv
