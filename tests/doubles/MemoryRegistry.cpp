#include "MemoryRegistry.h"

#include <cstring>

namespace qv {

std::int32_t MemoryRegistry::RegOpenKeyExA(Key root, const QByteArray& subKey, std::uint32_t,
                                           std::uint32_t, Key& result) {
    if (root != HKEY_LOCAL_MACHINE || !m_keys.count(subKey.toLower()))
        return ERROR_FILE_NOT_FOUND;
    result = m_next++;
    m_open[result] = subKey.toLower();
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
    const auto& [valueType, data] = value->second;
    const bool fits = std::uint32_t(data.size()) <= size;
    if (fits && !data.isEmpty())
        std::memcpy(buffer, data.constData(), std::size_t(data.size()));
    size = std::uint32_t(data.size());
    if (fits)
        type = valueType;
    return fits ? ERROR_SUCCESS : ERROR_MORE_DATA;
}

} // namespace qv

