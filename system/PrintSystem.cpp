#include "PrintSystem.h"

#include "runtime/App.h"

#include <cups/cups.h>
#include <dlfcn.h>

namespace qv::printsystem {

// The print system's library is loaded with the first document, not at start: it brings a dozen
// libraries (encryption, Kerberos, service discovery) that the first window does not need.
// clang-format off
#define QV_CUPS_FUNCTIONS(X)                                                                       \
    X(cupsSetServer) X(cupsServer) X(ippPort) X(cupsEncryption) X(httpConnect2) X(httpClose)       \
    X(cupsGetNamedDest) X(cupsGetOption) X(cupsFreeDests) X(cupsLastError)                         \
    X(cupsLastErrorString) X(cupsAddOption) X(cupsFreeOptions) X(cupsPrintFile2) X(ippNewRequest)  \
    X(ippAddString) X(cupsDoRequest) X(ippFindAttribute) X(ippGetString) X(ippDelete)
// clang-format on

struct Cups {
#define QV_CUPS_MEMBER(name) decltype(&::name) name = nullptr;
    QV_CUPS_FUNCTIONS(QV_CUPS_MEMBER)
#undef QV_CUPS_MEMBER
    bool loaded = false;
};

namespace {
const Cups& cups() {
    static const Cups library = [] {
        Cups found;
        void* handle = dlopen("libcups.so.2", RTLD_NOW | RTLD_LOCAL);
        if (!handle)
            return found;
        found.loaded = true;
#define QV_CUPS_FIND(name)                                                                         \
    found.name = reinterpret_cast<decltype(&::name)>(dlsym(handle, #name));                        \
    found.loaded = found.loaded && found.name;
        QV_CUPS_FUNCTIONS(QV_CUPS_FIND)
#undef QV_CUPS_FIND
        return found;
    }();
    return library;
}

const QString NotPrinted = QStringLiteral("这张桌签没有打印：");

QString unreachable() {
    return NotPrinted + QStringLiteral("连接不上打印服务。\n\n"
                                       "请检查打印服务（CUPS）是否在运行，然后再打印一次。");
}
} // namespace

Session::Session() : m_cups(cups()) {
    if (!m_cups.loaded) {
        m_failure = NotPrinted + QStringLiteral("这台电脑上没有安装打印服务（CUPS）。\n\n"
                                                "请安装 CUPS 并添加一台打印机，然后再打印一次。");
        return;
    }
    // The server's address is read afresh for each document, on a connection of its own: a
    // change of settings is followed, and a connection to a server since restarted is not
    // reused.
    m_cups.cupsSetServer(nullptr);
    m_http = m_cups.httpConnect2(m_cups.cupsServer(), m_cups.ippPort(), nullptr, AF_UNSPEC,
                                 m_cups.cupsEncryption(), 1, 30000, nullptr);
    if (!m_http) {
        m_failure = unreachable();
        return;
    }
    cups_dest_t* found = m_cups.cupsGetNamedDest(m_http, nullptr, nullptr);
    if (!found) {
        m_failure = m_cups.cupsLastError() == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE
                        ? unreachable()
                        : NotPrinted + QStringLiteral("还没有设置默认打印机。\n\n"
                                                      "请在系统设置的“打印机”里添加一台打印机，"
                                                      "并把它设为默认打印机，然后再打印一次。");
        return;
    }
    m_printer = QString::fromUtf8(found->name);
    m_uri = m_cups.cupsGetOption("printer-uri-supported", found->num_options, found->options);
    m_cups.cupsFreeDests(1, found);
}

QString Session::stateMessage() {
    if (m_uri.isEmpty())
        return {};
    ipp_t* request = m_cups.ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    m_cups.ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                        m_uri.constData());
    m_cups.ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                        nullptr, "printer-state-message");
    ipp_t* response = m_cups.cupsDoRequest(m_http, request, "/");
    const QString text = QString::fromUtf8(m_cups.ippGetString(
        m_cups.ippFindAttribute(response, "printer-state-message", IPP_TAG_TEXT), 0, nullptr));
    m_cups.ippDelete(response);
    return text.trimmed();
}

Session::~Session() {
    if (m_http)
        m_cups.httpClose(m_http);
}

QString Session::submit(const QString& pdfFile, const QString& paper) {
    cups_option_t* options = nullptr;
    int count = 0;
    if (!paper.isEmpty())
        count = m_cups.cupsAddOption("media", paper.toUtf8().constData(), count, &options);
    const int job = m_cups.cupsPrintFile2(m_http, m_printer.toUtf8().constData(),
                                          pdfFile.toLocal8Bit().constData(),
                                          App::Title().toUtf8().constData(), count, options);
    m_cups.cupsFreeOptions(count, options);
    if (job > 0)
        return {};
    if (m_cups.cupsLastError() == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE)
        return unreachable();
    QString message = NotPrinted + QStringLiteral("打印机“%1”拒绝了这份打印任务。").arg(m_printer);
    QString reason = QString::fromUtf8(m_cups.cupsLastErrorString()).trimmed();
    // What whoever stopped the printer wrote down says more than the protocol's words.
    if (const QString why = stateMessage(); !why.isEmpty())
        reason = why;
    if (!reason.isEmpty())
        message += QStringLiteral("\n\n打印系统给出的原因：%1").arg(reason);
    return message;
}

} // namespace qv::printsystem
