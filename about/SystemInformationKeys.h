#pragma once

#include <cstdint>

namespace qv::sysinfo {

// Where the system-information tool is registered under HKEY_LOCAL_MACHINE, tried in this
// order: the tool's full path, then the folder that holds MSINFO32.EXE. The About dialog reads
// them; main() hands the first to the system's registry stand-in, which answers it.
inline constexpr char ToolPathKey[] = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
inline constexpr char ToolPathValue[] = "PATH";
inline constexpr char ToolFolderKey[] = "SOFTWARE\\Microsoft\\Shared Tools Location";
inline constexpr char ToolFolderValue[] = "MSINFO";
inline constexpr char ToolFileName[] = "\\MSINFO32.EXE";

} // namespace qv::sysinfo
