#pragma once

#include "runtime/Registry.h"

#include <set>
#include <utility>

namespace qv {

// The store this system offers in place of a registry: one key under HKEY_LOCAL_MACHINE, the
// caller's system-information location, whose one value names the desktop's system-information
// program when one is installed. Looked up each time the key is opened.
class SystemRegistry : public Registry {
public:
    SystemRegistry(QByteArray toolKey, QByteArray toolValue)
        : m_toolKey(std::move(toolKey)), m_toolValue(std::move(toolValue)) {}

    std::int32_t RegOpenKeyExA(Key root, const QByteArray& subKey, std::uint32_t options,
                               std::uint32_t access, Key& result) override;
    std::int32_t RegQueryValueExA(Key key, const QByteArray& valueName, std::uint32_t reserved,
                                  std::uint32_t& type, char* buffer, std::uint32_t& size) override;
    std::int32_t RegCloseKey(Key key) override;

private:
    QByteArray m_toolKey, m_toolValue;
    QByteArray m_programPath; // as last found: ANSI text with its terminating zero
    std::set<Key> m_open;
    Key m_next = 0x100;
};

} // namespace qv
