// A dialog template of the program's resources as the DLGTEMPLATEEX that Windows' dialog manager
// reads, made in memory from the same data the other window system builds its dialogs from.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/framework/ui/Resources.h"

namespace tessaly::framework::detail {

// The template's bytes, DWORD-aligned, in a buffer of DWORDs so the whole is aligned too.
std::vector<std::uint32_t> BuildDialogTemplate(const DialogTemplate& dialogTemplate);

} // namespace tessaly::framework::detail
