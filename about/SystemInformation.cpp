#include "SystemInformation.h"

#include "runtime/AnsiCodePage.h"
#include "runtime/Dialogs.h"
#include "runtime/RuntimeError.h"
#include "runtime/Shell.h"

#include <array>

namespace qv::about {

namespace {
// The character's code in the ANSI code page: its bytes read as one big-endian number.
std::uint32_t ansiCode(QStringView character) {
    const QByteArray bytes = toAnsi(character.toString());
    std::uint32_t code = 0;
    for (char byte : bytes.left(4))
        code = (code << 8) | std::uint8_t(byte);
    return code;
}
} // namespace

bool GetKeyValue(Registry& registry, Registry::Key keyRoot, const QString& keyName,
                 const QString& subKeyRef, QString& keyVal) {
    Registry::Key key = 0;
    bool found = false;
    try {
        if (registry.RegOpenKeyExA(keyRoot, toAnsi(keyName), 0, KeyAccess, key) == 0) {
            std::array<char, ValueBufferSize> buffer{};
            std::uint32_t size = ValueBufferSize;
            std::uint32_t type = 0;
            if (registry.RegQueryValueExA(key, toAnsi(subKeyRef), 0, type, buffer.data(), size) ==
                0) {
                QString text = fromAnsi(QByteArray(buffer.data(), ValueBufferSize));
                // The byte count serves as a character position: a text's terminating zero
                // is dropped, and so is the zero of a small number's top byte.
                const qsizetype n = qsizetype(std::min<std::uint32_t>(size, ValueBufferSize));
                if (n < 1 || n > text.size())
                    throw RuntimeError(ErrorNumber::InvalidProcedureCall);
                text = text.left(text.at(n - 1).unicode() == 0 ? n - 1 : n);
                if (type == Registry::REG_SZ) {
                    keyVal = text;
                } else if (type == Registry::REG_DWORD) {
                    for (qsizetype i = text.size(); i >= 1; --i)
                        keyVal += QString::number(ansiCode(QStringView(text).mid(i - 1, 1)), 16)
                                      .toUpper();
                    keyVal = QStringLiteral("&h") + keyVal;
                }
                found = true;
            }
        }
        if (!found)
            keyVal.clear();
    } catch (...) {
        // The key is closed on the way out all the same, so no handle is left open.
        registry.RegCloseKey(key);
        throw;
    }
    registry.RegCloseKey(key);
    return found;
}

void StartSysInfo(Registry& registry, Shell& shell, Dialogs& dialogs) noexcept {
    try {
        QString toolPath;
        if (GetKeyValue(registry, Registry::HKEY_LOCAL_MACHINE, QString::fromLatin1(ToolPathKey),
                        QString::fromLatin1(ToolPathValue), toolPath)) {
            shell.StartProgram(toolPath);
            return;
        }
        if (GetKeyValue(registry, Registry::HKEY_LOCAL_MACHINE, QString::fromLatin1(ToolFolderKey),
                        QString::fromLatin1(ToolFolderValue), toolPath) &&
            !shell.Dir(toolPath + QString::fromLatin1(ToolFileName)).isEmpty()) {
            shell.StartProgram(toolPath + QString::fromLatin1(ToolFileName));
            return;
        }
    } catch (...) {
        // Every failure on the way ends in the same message.
    }
    try {
        dialogs.MsgBox(QStringLiteral("此时系统信息不可用"));
    } catch (...) {
    }
}

} // namespace qv::about
