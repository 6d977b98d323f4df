#pragma once

#include "runtime/Registry.h"
#include "SystemInformationKeys.h"

#include <QString>

namespace qv {
class Dialogs;
class Shell;
} // namespace qv

namespace qv::about {

using sysinfo::ToolFileName;
using sysinfo::ToolFolderKey;
using sysinfo::ToolFolderValue;
using sysinfo::ToolPathKey;
using sysinfo::ToolPathValue;
inline constexpr std::uint32_t KeyAccess = 0x2003F;
inline constexpr int ValueBufferSize = 1024;

// Reads one registry value as text into keyVal: text values as they are (less a terminating
// zero), 32-bit numbers as hexadecimal digits, other types leave keyVal unchanged. True when
// a value was read; false, with keyVal empty, when the key or value is missing, cannot be
// opened, or does not fit in 1024 bytes. A value of 0 bytes raises the invalid-call error.
bool GetKeyValue(Registry& registry, Registry::Key keyRoot, const QString& keyName,
                 const QString& subKeyRef, QString& keyVal);

// Starts the system-information tool found in the registry, or says that system information
// is unavailable. Never raises.
void StartSysInfo(Registry& registry, Shell& shell, Dialogs& dialogs) noexcept;

} // namespace qv::about
