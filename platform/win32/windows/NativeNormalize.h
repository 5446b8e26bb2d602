// Inside the layer on Windows: the system's own Unicode normaliser, under a name of the layer's own
// (see Native.h for why only Native*.cpp see <windows.h>).
#pragma once

#include <string>
#include <string_view>

namespace tessaly::win32::native {

// NormalizeString into NFC (bCompose) or NFD; false when Windows refuses the text (a lone
// surrogate, say).
bool NormalizeForm(std::u16string_view strIn, bool bCompose, std::u16string& strOut);

} // namespace tessaly::win32::native
