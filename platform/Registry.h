#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <map>
#include <set>

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
    // Opening this key fails as a refused access would.
    void refuseOpen(const QByteArray& keyPath);
    // Keys opened and not yet closed.
    std::size_t openKeys() const { return m_open.size(); }
    int closeCalls() const { return m_closeCalls; }

    std::int32_t RegOpenKeyExA(Key root, const QByteArray& subKey, std::uint32_t options,
                               std::uint32_t access, Key& result) override;
    std::int32_t RegQueryValueExA(Key key, const QByteArray& valueName, std::uint32_t reserved,
                                  std::uint32_t& type, char* buffer, std::uint32_t& size) override;
    std::int32_t RegCloseKey(Key key) override;

private:
    std::map<QByteArray, std::map<QByteArray, Value>> m_keys; // lower-case names
    std::set<QByteArray> m_refused;
    std::map<Key, QByteArray> m_open;
    Key m_next = 0x100;
    int m_closeCalls = 0;
};

// The store this system offers in place of a registry: at the system-information location,
// the path of the desktop's system-information program when one is installed.
class SystemRegistry : public MemoryRegistry {
public:
    SystemRegistry();
    // The programs looked for on PATH, in order of preference.
    static const QStringList& SystemInformationPrograms();
    static QString findSystemInformationProgram();
};

// Text to and from the platform's ANSI code page (on Linux, the locale's codeset).
QByteArray toAnsi(const QString& text);
QString fromAnsi(const QByteArray& bytes);

} // namespace qv
