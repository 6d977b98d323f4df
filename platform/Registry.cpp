#include "Registry.h"

#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QStringList>

#include <cstring>
#include <langinfo.h>

namespace qv {

namespace {
QByteArray ansiCodeset() {
    QByteArray name = nl_langinfo(CODESET);
    // Code page 936 and GB2312 data are GBK, of which both are part.
    const QByteArray upper = name.toUpper();
    if (upper == "GB2312" || upper == "CP936" || upper == "EUC-CN")
        return "GBK";
    if (upper.isEmpty() || upper == "ANSI_X3.4-1968")
        return "ISO-8859-1";
    return name;
}
} // namespace

QByteArray toAnsi(const QString& text) {
    QStringEncoder encoder(ansiCodeset().constData());
    if (!encoder.isValid())
        return text.toUtf8();
    return encoder.encode(text);
}

QString fromAnsi(const QByteArray& bytes) {
    QStringDecoder decoder(ansiCodeset().constData());
    if (!decoder.isValid())
        return QString::fromUtf8(bytes);
    return decoder.decode(bytes);
}

void MemoryRegistry::setValue(const QByteArray& keyPath, const QByteArray& name, std::uint32_t type,
                              const QByteArray& data) {
    m_keys[keyPath.toLower()][name.toLower()] = {type, data};
}

void MemoryRegistry::refuseOpen(const QByteArray& keyPath) {
    m_refused.insert(keyPath.toLower());
}

std::int32_t MemoryRegistry::RegOpenKeyExA(Key root, const QByteArray& subKey, std::uint32_t,
                                           std::uint32_t, Key& result) {
    const QByteArray path = subKey.toLower();
    if (root != HKEY_LOCAL_MACHINE)
        return ERROR_INVALID_HANDLE;
    if (m_refused.count(path))
        return ERROR_ACCESS_DENIED;
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
    ++m_closeCalls;
    return m_open.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

const QStringList& SystemRegistry::SystemInformationPrograms() {
    // Desktop programs that show the system's hardware and software and start without
    // arguments.
    static const QStringList programs = {QStringLiteral("hardinfo2"),
                                         QStringLiteral("hardinfo"),
                                         QStringLiteral("kinfocenter"),
                                         QStringLiteral("gnome-system-monitor"),
                                         QStringLiteral("mate-system-monitor"),
                                         QStringLiteral("xfce4-taskmanager"),
                                         QStringLiteral("lxtask")};
    return programs;
}

QString SystemRegistry::findSystemInformationProgram() {
    for (const QString& program : SystemInformationPrograms()) {
        const QString path = QStandardPaths::findExecutable(program);
        if (!path.isEmpty())
            return path;
    }
    return {};
}

SystemRegistry::SystemRegistry() {
    const QString program = findSystemInformationProgram();
    if (!program.isEmpty())
        setValue("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH", REG_SZ,
                 toAnsi(program) + '\0');
}

} // namespace qv
