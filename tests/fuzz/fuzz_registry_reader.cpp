// The registry reader and the launcher behind it, fed values of any type and any bytes.
#include "about/SystemInformation.h"
#include "platform/RuntimeError.h"
#include "ScriptedDialogs.h"
#include "MemoryRegistry.h"
#include "platform/Shell.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {
// Starts nothing: the fuzzer only checks what would be started.
class NoShell : public qv::Shell {
public:
    bool OpenUrl(const QString&) override { return true; }
    void StartProgram(const QString&) override { throw qv::RuntimeError(53); }
    QString Dir(const QString&) override { return {}; }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 5)
        return 0;
    std::uint32_t type;
    std::memcpy(&type, data, sizeof type);
    const bool firstLocation = data[4] & 1;
    const QByteArray value(reinterpret_cast<const char*>(data + 5), qsizetype(size - 5));

    qv::MemoryRegistry registry;
    registry.setValue(firstLocation ? qv::about::ToolPathKey : qv::about::ToolFolderKey,
                      firstLocation ? qv::about::ToolPathValue : qv::about::ToolFolderValue, type,
                      value);
    QString keyVal;
    try {
        qv::about::GetKeyValue(
            registry, qv::Registry::HKEY_LOCAL_MACHINE,
            QString::fromLatin1(firstLocation ? qv::about::ToolPathKey : qv::about::ToolFolderKey),
            QString::fromLatin1(firstLocation ? qv::about::ToolPathValue
                                              : qv::about::ToolFolderValue),
            keyVal);
    } catch (const qv::RuntimeError& error) {
        // The only error the reader may raise: a character test past the text's end.
        if (error.number() != qv::ErrorNumber::InvalidProcedureCall)
            std::abort();
    }
    if (keyVal.size() > 2 * qv::about::ValueBufferSize + 2)
        std::abort();

    NoShell shell;
    qv::ScriptedDialogs dialogs;
    qv::about::StartSysInfo(registry, shell, dialogs);
    // Nothing could start, so the user is always told, and no key is left open.
    if (dialogs.messages().size() != 1 || registry.openKeys() != 0)
        std::abort();
    return 0;
}
