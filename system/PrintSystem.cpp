#include "PrintSystem.h"

#include "runtime/App.h"

#include <cups/cups.h>

namespace qv::printsystem {

namespace {
const QString NotPrinted = QStringLiteral("这张桌签没有打印：");

QString unreachable() {
    return NotPrinted + QStringLiteral("连接不上打印服务。\n\n"
                                       "请检查打印服务（CUPS）是否在运行，然后再打印一次。");
}
} // namespace

Session::Session() {
    // The server's address is read afresh for each document, on a connection of its own: a
    // change of settings is followed, and a connection to a server since restarted is not
    // reused.
    cupsSetServer(nullptr);
    m_http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                          30000, nullptr);
    if (!m_http) {
        m_failure = unreachable();
        return;
    }
    cups_dest_t* found = cupsGetNamedDest(m_http, nullptr, nullptr);
    if (!found) {
        m_failure = cupsLastError() == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE
                        ? unreachable()
                        : NotPrinted + QStringLiteral("还没有设置默认打印机。\n\n"
                                                      "请在系统设置的“打印机”里添加一台打印机，"
                                                      "并把它设为默认打印机，然后再打印一次。");
        return;
    }
    m_printer = QString::fromUtf8(found->name);
    m_uri = cupsGetOption("printer-uri-supported", found->num_options, found->options);
    cupsFreeDests(1, found);
}

QString Session::stateMessage() {
    if (m_uri.isEmpty())
        return {};
    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                 m_uri.constData());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
                 "printer-state-message");
    ipp_t* response = cupsDoRequest(m_http, request, "/");
    const QString text = QString::fromUtf8(
        ippGetString(ippFindAttribute(response, "printer-state-message", IPP_TAG_TEXT), 0,
                     nullptr));
    ippDelete(response);
    return text.trimmed();
}

Session::~Session() {
    if (m_http)
        httpClose(m_http);
}

QString Session::submit(const QString& pdfFile, const QString& paper) {
    cups_option_t* options = nullptr;
    int count = 0;
    if (!paper.isEmpty())
        count = cupsAddOption("media", paper.toUtf8().constData(), count, &options);
    const int job = cupsPrintFile2(m_http, m_printer.toUtf8().constData(),
                                   pdfFile.toLocal8Bit().constData(),
                                   App::Title().toUtf8().constData(), count, options);
    cupsFreeOptions(count, options);
    if (job > 0)
        return {};
    if (cupsLastError() == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE)
        return unreachable();
    QString message =
        NotPrinted + QStringLiteral("打印机“%1”拒绝了这份打印任务。").arg(m_printer);
    QString reason = QString::fromUtf8(cupsLastErrorString()).trimmed();
    // What whoever stopped the printer wrote down says more than the protocol's words.
    if (const QString why = stateMessage(); !why.isEmpty())
        reason = why;
    if (!reason.isEmpty())
        message += QStringLiteral("\n\n打印系统给出的原因：%1").arg(reason);
    return message;
}

} // namespace qv::printsystem
