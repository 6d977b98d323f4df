#pragma once

#include "platform/Registry.h"

#include <map>

namespace qv {

// A registry held in memory: keys under HKEY_LOCAL_MACHINE with typed values of any bytes.
// Names compare without regard to ASCII case, as the registry's do.
class MemoryRegistry : public Registry {
public:
    struct Value {
        std::uint32_t type;
        QByteArray data;
    };

    void setValue(const QByteArray& keyPath, const QByteArray& name, std::uint32_t type,
                  const QByteArray& data);
    // Keys opened and not yet closed.
    std::size_t openKeys() const { return m_open.size(); }

    std::int32_t RegOpenKeyExA(Key root, const QByteArray& subKey, std::uint32_t options,
                               std::uint32_t access, Key& result) override;
    std::int32_t RegQueryValueExA(Key key, const QByteArray& valueName, std::uint32_t reserved,
                                  std::uint32_t& type, char* buffer, std::uint32_t& size) override;
    std::int32_t RegCloseKey(Key key) override;

private:
    std::map<QByteArray, std::map<QByteArray, Value>> m_keys; // lower-case names
    std::map<Key, QByteArray> m_open;
    Key m_next = 0x100;
};

} // namespace qv
