// Inside the layer: the name a listing gives the program, or the reason it leaves it out.
#pragma once

#include <string>
#include <string_view>

namespace tessaly::win32::detail {

// The CP932 form of a listed on-disk name (UTF-8, WTF-8 on Windows), or false when it has none
// that fits cFileName: then the thread's listener (SetListingOmissionListener) hears of it, with
// strFolder, and the last error is kept; without a listener it is counted (NoteUnmappableName).
bool ListedName(std::string_view strFolder, std::string_view strDisk, std::string& strAnsi);

} // namespace tessaly::win32::detail
