// Icons on Windows: the executable's own icon resources, which the resource script compiles in from
// the same images the Qt build registers by path.
#include "platform/framework/ui/common/ResourceTables.h"
#include "platform/framework/ui/windows/NativeShell.h"

namespace tessaly::framework::detail {

// Windows takes an icon by id from the executable, with every size it holds; the registered image
// paths have nothing to add to an icon already made.
void OnIconImageAdded(UINT /*nId*/, const char* /*pszImagePath*/) {}

} // namespace tessaly::framework::detail

HICON LoadIconResource(UINT nId) {
    return static_cast<HICON>(tessaly::framework::native::LoadIconResource(nId));
}
