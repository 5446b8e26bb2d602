// The resource tables: filled once at start-up by the program, read by the dialogs. Icons are
// made by each window system from the image paths kept here.
#include "platform/framework/ui/common/ResourceTables.h"

#include <map>
#include <mutex>

#include "platform/win32/NameCodec.h"

namespace tessaly::framework {
namespace {

struct Tables {
    std::mutex mutex;
    std::map<UINT, const DialogTemplate*> mapDialogs;
    std::map<UINT, std::vector<std::string>> mapIconPaths;
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
    {
        std::lock_guard lock(TheTables().mutex);
        TheTables().mapIconPaths[nId].emplace_back(pszImagePath);
    }
    detail::OnIconImageAdded(nId, pszImagePath);
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

namespace detail {

bool IconImagePaths(UINT nId, std::vector<std::string>* pvecPaths) {
    std::lock_guard lock(TheTables().mutex);
    auto it = TheTables().mapIconPaths.find(nId);
    if (it == TheTables().mapIconPaths.end()) {
        return false;
    }
    *pvecPaths = it->second;
    return true;
}

} // namespace detail
} // namespace tessaly::framework

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
    // Free text always has a CP932 form.
    std::string strAnsi;
    tessaly::win32::Utf8ToAnsi(strUtf8, strAnsi, tessaly::win32::TextKind::Text);
    strText = CString(strAnsi.data(), static_cast<int>(strAnsi.size()));
    return true;
}
