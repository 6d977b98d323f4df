#include "Startup.h"

#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace qv {

namespace {
QtMessageHandler g_previous = nullptr;

void startupMessages(QtMsgType type, const QMessageLogContext&, const QString&) {
    if (type != QtFatalMsg)
        return;
    const char* display = std::getenv("DISPLAY");
    std::fprintf(stderr, "quorvel: 无法打开图形显示%s%s%s，程序无法启动。\n",
                 display ? " \"" : "", display ? display : "", display ? "\"" : "");
    std::fflush(stderr);
    _exit(1);
}

bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
}
} // namespace

bool displayConfigured() {
    if (isSet("QT_QPA_PLATFORM") || isSet("DISPLAY") || isSet("WAYLAND_DISPLAY"))
        return true;
    std::fprintf(stderr, "quorvel: 没有图形显示（DISPLAY 未设置），程序无法启动。\n");
    return false;
}

void installStartupMessageHandler() {
    g_previous = qInstallMessageHandler(startupMessages);
}

void removeStartupMessageHandler() {
    qInstallMessageHandler(g_previous);
}

} // namespace qv
