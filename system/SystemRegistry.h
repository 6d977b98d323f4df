#pragma once

#include "runtime/Registry.h"

#include <set>

namespace qv {

// The store this system offers in place of a registry: one key, the system-information
// location, whose PATH value names the desktop's system-information program when one is
// installed. Looked up each time the key is opened.
class SystemRegistry : public Registry {
public:
    std::int32_t RegOpenKeyExA(Key root, const QByteArray& subKey, std::uint32_t options,
                               std::uint32_t access, Key& result) override;
    std::int32_t RegQueryValueExA(Key key, const QByteArray& valueName, std::uint32_t reserved,
                                  std::uint32_t& type, char* buffer, std::uint32_t& size) override;
    std::int32_t RegCloseKey(Key key) override;

private:
    QByteArray m_programPath; // as last found: ANSI text with its terminating zero
    std::set<Key> m_open;
    Key m_next = 0x100;
};

} // namespace qv
