// The layer's own: the drive table and the two path forms. Letters map to POSIX folders; the table
// is read once from TESSALY_DRIVES ("C=/srv/music;D=/media/usb"), and Z: is "/" unless the table
// maps Z itself, so every file is reachable.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace tessaly::win32 {

// Replaces the table (letters upper-cased; Z defaults to "/" when absent; entries whose folder is
// not absolute are dropped). Drives whose folder changed forget their current directory; when the
// current drive is gone the first drive's root becomes current. For tests and start-up.
void SetDriveTable(const std::map<char, std::string>& mapDrives);
std::map<char, std::string> GetDriveTable();
// Parses the TESSALY_DRIVES form; entries that do not parse are ignored.
std::map<char, std::string> ParseDriveSpec(std::string_view strSpec);

// A Windows path (CP932, absolute or relative to the current directory) to the absolute POSIX
// path (UTF-8, through the name codec) it names, lexically: "." and ".." resolved, no lookup.
// Empty when the drive is not mapped or the path is malformed.
std::optional<std::string> WindowsToPosixPath(std::string_view strAnsiPath);
// A POSIX path (UTF-8; made absolute against the process's working directory) to a Windows path
// through the drive with the longest matching root. Empty when no drive holds it or a name cannot
// be mapped.
std::optional<std::string> PosixToWindowsPath(std::string_view strPosixPath);
// Either form to a full Windows path: a string starting with "/" is taken as POSIX, else as a
// Windows path in UTF-8 (made absolute against the current directory, lexically).
std::optional<std::string> ToWindowsPath(std::string_view strUtf8Path);

} // namespace tessaly::win32
