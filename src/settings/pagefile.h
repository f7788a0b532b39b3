#pragma once
// Switching the system to one system-managed page file on the Windows drive.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/os.h"

namespace settings {

inline constexpr const char* kMemoryManagementKey =
    "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management";
inline constexpr const char* kPagingFilesValue = "PagingFiles";
inline constexpr const char* kPageFileQuestion =
    "Do you wish to let system automatically manage the size of virtual memory?";
inline constexpr const char* kPageFileDone =
    "Virtual memory configure successfully. Please restart your PC to enable the changed "
    "configuration.";

// The Windows directory, always ending in a backslash; empty when the
// system does not say.
std::string GetWindowsDir(platform::Os& os);

// The REG_MULTI_SZ data naming one page file of system-managed size on the
// drive of `windowsDir`: the string, its NUL and the NUL that ends the list.
// Empty when the directory does not begin with a drive letter and colon.
std::vector<std::uint8_t> PagingFilesValue(const std::string& windowsDir);

// Writes the one system-managed page file as the machine's page-file list.
// False, with nothing written, when the key cannot be opened or the Windows
// directory names no drive; false too when the write is refused.
bool SetSystemManagedPageFile(platform::Os& os);

}  // namespace settings
