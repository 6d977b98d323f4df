#include "MemoryRegistry.h"

#include <cstring>

namespace qv {

void MemoryRegistry::setValue(const QByteArray& keyPath, const QByteArray& name, std::uint32_t type,
                              const QByteArray& data) {
    m_keys[keyPath.toLower()][name.toLower()] = {type, data};
}

std::int32_t MemoryRegistry::RegOpenKeyExA(Key root, const QByteArray& subKey, std::uint32_t,
                                           std::uint32_t, Key& result) {
    const QByteArray path = subKey.toLower();
    if (root != HKEY_LOCAL_MACHINE)
        return ERROR_INVALID_HANDLE;
    if (!m_keys.count(path))
        return ERROR_FILE_NOT_FOUND;
    result = m_next++;
    m_open[result] = path;
    return ERROR_SUCCESS;
}

std::int32_t MemoryRegistry::RegQueryValueExA(Key key, const QByteArray& valueName, std::uint32_t,
                                              std::uint32_t& type, char* buffer,
                                              std::uint32_t& size) {
    const auto open = m_open.find(key);
    if (open == m_open.end())
        return ERROR_INVALID_HANDLE;
    const auto& values = m_keys[open->second];
    const auto value = values.find(valueName.toLower());
    if (value == values.end())
        return ERROR_FILE_NOT_FOUND;
    const QByteArray& data = value->second.data;
    if (std::uint32_t(data.size()) > size) {
        size = std::uint32_t(data.size());
        return ERROR_MORE_DATA;
    }
    if (!data.isEmpty())
        std::memcpy(buffer, data.constData(), std::size_t(data.size()));
    size = std::uint32_t(data.size());
    type = value->second.type;
    return ERROR_SUCCESS;
}

std::int32_t MemoryRegistry::RegCloseKey(Key key) {
    return m_open.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

} // namespace qv
