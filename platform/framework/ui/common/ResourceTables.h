// The resource tables' side that each window system's icons read. Internal to the framework.
#pragma once

#include <string>
#include <vector>

#include "platform/framework/ui/Gdi.h"
#include "platform/framework/ui/Resources.h"

namespace tessaly::framework::detail {

// The image paths registered for an icon id, in registration order; false for an unknown id.
bool IconImagePaths(UINT nId, std::vector<std::string>* pvecPaths);
// Called after each registration, so that an icon already made gains the new size.
void OnIconImageAdded(UINT nId, const char* pszImagePath);

} // namespace tessaly::framework::detail
