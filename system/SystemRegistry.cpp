#include "SystemRegistry.h"

#include "runtime/AnsiCodePage.h"
#include "ProgramSearch.h"

#include <cstring>

namespace qv {

namespace {
// Registry names compare without regard to ASCII case.
bool sameName(const QByteArray& a, const QByteArray& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}
} // namespace

std::int32_t SystemRegistry::RegOpenKeyExA(Key root, const QByteArray& subKey, std::uint32_t,
                                           std::uint32_t, Key& result) {
    if (root != HKEY_LOCAL_MACHINE)
        return ERROR_INVALID_HANDLE;
    if (!sameName(subKey, m_toolKey))
        return ERROR_FILE_NOT_FOUND;
    // Searched when asked for, not at start: a program installed meanwhile is found too.
    const QString program = findSystemInformationProgram();
    if (program.isEmpty())
        return ERROR_FILE_NOT_FOUND;
    m_programPath = toAnsi(program) + '\0';
    result = m_next++;
    m_open.insert(result);
    return ERROR_SUCCESS;
}

std::int32_t SystemRegistry::RegQueryValueExA(Key key, const QByteArray& valueName, std::uint32_t,
                                              std::uint32_t& type, char* buffer,
                                              std::uint32_t& size) {
    if (!m_open.count(key))
        return ERROR_INVALID_HANDLE;
    if (!sameName(valueName, m_toolValue))
        return ERROR_FILE_NOT_FOUND;
    const auto length = std::uint32_t(m_programPath.size());
    if (length > size) {
        size = length;
        return ERROR_MORE_DATA;
    }
    std::memcpy(buffer, m_programPath.constData(), length);
    size = length;
    type = REG_SZ;
    return ERROR_SUCCESS;
}

std::int32_t SystemRegistry::RegCloseKey(Key key) {
    return m_open.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

} // namespace qv
