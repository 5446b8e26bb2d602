// The resource tables: filled once at start-up by the program, read by the dialogs.
#include "platform/framework/ui/Resources.h"

#include <QIcon>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/framework/ui/Gdi.h"
#include "platform/framework/ui/UiInternal.h"

namespace tessaly::framework {
namespace {

struct Tables {
    std::mutex mutex;
    std::map<UINT, const DialogTemplate*> mapDialogs;
    std::map<UINT, std::vector<std::string>> mapIconPaths;
    std::map<UINT, QIcon*> mapIcons; // made on first use, never destroyed (shared icons)
    std::map<UINT, std::string> mapStrings;
};

Tables& TheTables() {
    static auto* pTables = new Tables;
    return *pTables;
}

} // namespace

void RegisterDialogTemplate(const DialogTemplate& dialogTemplate) {
    std::lock_guard lock(TheTables().mutex);
    TheTables().mapDialogs[dialogTemplate.nId] = &dialogTemplate;
}

void RegisterIconResource(UINT nId, const char* pszImagePath) {
    if (pszImagePath == nullptr) {
        return;
    }
    std::lock_guard lock(TheTables().mutex);
    TheTables().mapIconPaths[nId].emplace_back(pszImagePath);
    if (auto it = TheTables().mapIcons.find(nId); it != TheTables().mapIcons.end()) {
        it->second->addFile(QString::fromUtf8(pszImagePath));
    }
}

void RegisterStringResource(UINT nId, const char* pszUtf8Text) {
    std::lock_guard lock(TheTables().mutex);
    TheTables().mapStrings[nId] = pszUtf8Text != nullptr ? pszUtf8Text : "";
}

const DialogTemplate* FindDialogTemplate(UINT nId) {
    std::lock_guard lock(TheTables().mutex);
    auto it = TheTables().mapDialogs.find(nId);
    return it != TheTables().mapDialogs.end() ? it->second : nullptr;
}

} // namespace tessaly::framework

HICON LoadIconResource(UINT nId) {
    auto& tables = tessaly::framework::TheTables();
    std::lock_guard lock(tables.mutex);
    if (auto it = tables.mapIcons.find(nId); it != tables.mapIcons.end()) {
        return reinterpret_cast<HICON>(it->second);
    }
    auto itPaths = tables.mapIconPaths.find(nId);
    if (itPaths == tables.mapIconPaths.end()) {
        return nullptr;
    }
    auto* pIcon = new QIcon;
    for (const std::string& strPath : itPaths->second) {
        pIcon->addFile(QString::fromUtf8(strPath.c_str()));
    }
    tables.mapIcons[nId] = pIcon;
    return reinterpret_cast<HICON>(pIcon);
}

bool LoadStringResource(UINT nId, CString& strText) {
    std::string strUtf8;
    {
        auto& tables = tessaly::framework::TheTables();
        std::lock_guard lock(tables.mutex);
        auto it = tables.mapStrings.find(nId);
        if (it == tables.mapStrings.end()) {
            return false;
        }
        strUtf8 = it->second;
    }
    strText = tessaly::framework::detail::FromQString(QString::fromUtf8(strUtf8.c_str()));
    return true;
}
