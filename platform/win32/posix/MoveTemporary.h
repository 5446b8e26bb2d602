// Inside the layer: the temporary files a move across file systems grows its copy under, named
// ".tessaly-move-PID-N.tmp" beside the target, and the clean-up of those a killed process left.
#pragma once

#include <string>
#include <string_view>

namespace tessaly::win32::detail {

// A fresh, exclusively created file in strFolder: its descriptor (write only) and strTemp its
// path, or -1 with errno.
int CreateMoveTemporary(const std::string& strFolder, std::string& strTemp);

// Removes the temporaries in strFolder whose process is gone, once per folder in this process:
// a copy under such a name was never the only one (the source is removed after the copy is in
// place), so nothing is lost. Failures are ignored.
void RemoveStaleMoveTemporaries(const std::string& strFolder);
// strFolder needs no sweep in this process (the layer made it, or read it whole and found no
// temporary's name in it).
void NoteFolderSwept(const std::string& strFolder);
// Whether strName may be a temporary's (the sweep then looks closer).
bool MayBeMoveTemporary(std::string_view strName);

} // namespace tessaly::win32::detail
