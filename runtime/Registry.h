#pragma once

#include <QByteArray>

#include <cstdint>

namespace qv {

// The system registry's three read operations. Key paths, value names and text data are bytes
// in the platform's ANSI code page. Results: 0 on success, a system error number otherwise.
class Registry {
public:
    using Key = std::uint32_t;
    static constexpr Key HKEY_LOCAL_MACHINE = 0x80000002;
    static constexpr std::uint32_t REG_SZ = 1;
    static constexpr std::uint32_t REG_DWORD = 4;
    static constexpr std::int32_t ERROR_SUCCESS = 0;
    static constexpr std::int32_t ERROR_FILE_NOT_FOUND = 2;
    static constexpr std::int32_t ERROR_ACCESS_DENIED = 5;
    static constexpr std::int32_t ERROR_INVALID_HANDLE = 6;
    static constexpr std::int32_t ERROR_MORE_DATA = 234;

    virtual ~Registry() = default;
    virtual std::int32_t RegOpenKeyExA(Key root, const QByteArray& subKey, std::uint32_t options,
                                       std::uint32_t access, Key& result) = 0;
    // buffer holds size bytes on entry; on success the value's bytes are at its start, size is
    // their number and type the value's type. A value longer than size gives ERROR_MORE_DATA.
    virtual std::int32_t RegQueryValueExA(Key key, const QByteArray& valueName,
                                          std::uint32_t reserved, std::uint32_t& type, char* buffer,
                                          std::uint32_t& size) = 0;
    virtual std::int32_t RegCloseKey(Key key) = 0;
};

} // namespace qv
