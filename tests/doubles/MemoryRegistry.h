#pragma once

#include "runtime/Registry.h"

#include <cstring>
#include <map>

namespace qv {

// A registry held in memory: keys under HKEY_LOCAL_MACHINE with typed values of any bytes.
// Names compare without regard to ASCII case, as the registry's do.
class MemoryRegistry : public Registry {
public:
    void setValue(const QByteArray& keyPath, const QByteArray& name, std::uint32_t type,
                  const QByteArray& data) {
        m_keys[keyPath.toLower()][name.toLower()] = {type, data};
    }
    // Keys opened and not yet closed.
    std::size_t openKeys() const { return m_open.size(); }

    std::int32_t RegOpenKeyExA(Key root, const QByteArray& subKey, std::uint32_t, std::uint32_t,
                               Key& result) override {
        if (root != HKEY_LOCAL_MACHINE || !m_keys.count(subKey.toLower()))
            return ERROR_FILE_NOT_FOUND;
        m_open[result = m_next++] = subKey.toLower();
        return ERROR_SUCCESS;
    }
    std::int32_t RegQueryValueExA(Key key, const QByteArray& valueName, std::uint32_t,
                                  std::uint32_t& type, char* buffer, std::uint32_t& size) override {
        if (!m_open.count(key))
            return ERROR_INVALID_HANDLE;
        const auto& values = m_keys[m_open[key]];
        const auto value = values.find(valueName.toLower());
        if (value == values.end())
            return ERROR_FILE_NOT_FOUND;
        const auto& [valueType, data] = value->second;
        const bool fits = std::uint32_t(data.size()) <= size;
        size = std::uint32_t(data.size());
        if (!fits)
            return ERROR_MORE_DATA;
        std::memcpy(buffer, data.constData(), size);
        type = valueType;
        return ERROR_SUCCESS;
    }
    std::int32_t RegCloseKey(Key key) override {
        return m_open.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
    }

private:
    std::map<QByteArray, std::map<QByteArray, std::pair<std::uint32_t, QByteArray>>> m_keys;
    std::map<Key, QByteArray> m_open; // handle to lower-case key path
    Key m_next = 0x100;
};

} // namespace qv
