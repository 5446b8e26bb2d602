// Icons as QIcons made from the registered image paths.
#include <QIcon>
#include <map>
#include <mutex>

#include "platform/framework/ui/common/ResourceTables.h"

namespace tessaly::framework::detail {
namespace {

std::mutex& IconMutex() {
    static auto* pMutex = new std::mutex;
    return *pMutex;
}

// Made on first use, never destroyed (shared icons).
std::map<UINT, QIcon*>& Icons() {
    static auto* pMap = new std::map<UINT, QIcon*>;
    return *pMap;
}

} // namespace

void OnIconImageAdded(UINT nId, const char* pszImagePath) {
    std::lock_guard lock(IconMutex());
    if (auto it = Icons().find(nId); it != Icons().end()) {
        it->second->addFile(QString::fromUtf8(pszImagePath));
    }
}

} // namespace tessaly::framework::detail

HICON LoadIconResource(UINT nId) {
    using namespace tessaly::framework::detail;
    std::lock_guard lock(IconMutex());
    if (auto it = Icons().find(nId); it != Icons().end()) {
        return reinterpret_cast<HICON>(it->second);
    }
    std::vector<std::string> vecPaths;
    if (!IconImagePaths(nId, &vecPaths)) {
        return nullptr;
    }
    auto* pIcon = new QIcon;
    for (const std::string& strPath : vecPaths) {
        pIcon->addFile(QString::fromUtf8(strPath.c_str()));
    }
    Icons()[nId] = pIcon;
    return reinterpret_cast<HICON>(pIcon);
}
