// Provider slots for the shell functions and the quiet defaults used without a window.
#include "platform/framework/core/Shell.h"

#include <cstdlib>
#include <cstring>
#include <mutex>

namespace tessaly::framework {
namespace {

// One replaceable function; the caller gets a copy and calls it unlocked, so a modal provider
// never holds the lock.
template <typename Fn> class ProviderSlot {
public:
    Fn Set(Fn fn) {
        std::lock_guard lock(m_mutex);
        Fn previous = std::move(m_fn);
        m_fn = std::move(fn);
        return previous;
    }
    Fn Get() {
        std::lock_guard lock(m_mutex);
        return m_fn;
    }

private:
    std::mutex m_mutex;
    Fn m_fn;
};

// Slots live for the whole process: detached workers may call them during exit.
template <typename Fn> ProviderSlot<Fn>& Slot() {
    static auto* pSlot = new ProviderSlot<Fn>;
    return *pSlot;
}

class HeapMalloc final : public IMalloc {
public:
    void* Alloc(std::size_t cb) override { return std::malloc(cb != 0 ? cb : 1); }
    void* Realloc(void* pv, std::size_t cb) override { return std::realloc(pv, cb != 0 ? cb : 1); }
    void Free(void* pv) override { std::free(pv); }
    ULONG AddRef() override { return 1; } // a process-wide object that is never destroyed
    ULONG Release() override { return 1; }
};

// Marks the item lists this layer made, so a foreign list is refused instead of misread.
constexpr BYTE kabMagic[4] = {'T', 'S', 'L', 'Y'};
constexpr std::size_t kcbHeader = sizeof(WORD) + sizeof(kabMagic);

BOOL DefaultPathFromIdList(LPCITEMIDLIST pidl, LPSTR pszPath) {
    if (pszPath == nullptr) {
        return FALSE;
    }
    pszPath[0] = '\0';
    if (pidl == nullptr) {
        return FALSE;
    }
    const auto* pbyList = reinterpret_cast<const BYTE*>(pidl);
    WORD cb = 0;
    std::memcpy(&cb, pbyList, sizeof(cb));
    if (cb <= kcbHeader || std::memcmp(pbyList + sizeof(WORD), kabMagic, sizeof(kabMagic)) != 0) {
        return FALSE;
    }
    const char* pcText = reinterpret_cast<const char*>(pbyList + kcbHeader);
    const std::size_t cbText = strnlen(pcText, cb - kcbHeader);
    if (cbText >= MAX_PATH) {
        return FALSE;
    }
    std::memcpy(pszPath, pcText, cbText);
    pszPath[cbText] = '\0';
    return TRUE;
}

} // namespace

IMalloc* DefaultShellMalloc() {
    static auto* pMalloc = new HeapMalloc;
    return pMalloc;
}

BrowseForFolderProvider SetBrowseForFolderProvider(BrowseForFolderProvider provider) {
    return Slot<BrowseForFolderProvider>().Set(std::move(provider));
}
PathFromIdListProvider SetPathFromIdListProvider(PathFromIdListProvider provider) {
    return Slot<PathFromIdListProvider>().Set(std::move(provider));
}
ShellMallocProvider SetShellMallocProvider(ShellMallocProvider provider) {
    return Slot<ShellMallocProvider>().Set(std::move(provider));
}
ShellExecuteProvider SetShellExecuteProvider(ShellExecuteProvider provider) {
    return Slot<ShellExecuteProvider>().Set(std::move(provider));
}
SendMessageProvider SetSendMessageProvider(SendMessageProvider provider) {
    return Slot<SendMessageProvider>().Set(std::move(provider));
}

LPITEMIDLIST CreateItemIdList(LPCSTR pszPath) {
    if (pszPath == nullptr) {
        return nullptr;
    }
    const std::size_t cbText = std::strlen(pszPath) + 1;
    const std::size_t cbItem = kcbHeader + cbText;
    if (cbItem > 0xFFFF) {
        return nullptr;
    }
    LPMALLOC pMalloc = nullptr;
    if (FAILED(SHGetMalloc(&pMalloc)) || pMalloc == nullptr) {
        return nullptr;
    }
    auto* pbyList = static_cast<BYTE*>(pMalloc->Alloc(cbItem + sizeof(WORD)));
    pMalloc->Release();
    if (pbyList == nullptr) {
        return nullptr;
    }
    const WORD cb = static_cast<WORD>(cbItem);
    const WORD cbEnd = 0;
    std::memcpy(pbyList, &cb, sizeof(cb));
    std::memcpy(pbyList + sizeof(WORD), kabMagic, sizeof(kabMagic));
    std::memcpy(pbyList + kcbHeader, pszPath, cbText);
    std::memcpy(pbyList + cbItem, &cbEnd, sizeof(cbEnd));
    return reinterpret_cast<LPITEMIDLIST>(pbyList);
}

} // namespace tessaly::framework

using namespace tessaly::framework;

LPITEMIDLIST WINAPI SHBrowseForFolderA(LPBROWSEINFOA lpbi) {
    const BrowseForFolderProvider provider = Slot<BrowseForFolderProvider>().Get();
    if (!provider || lpbi == nullptr) {
        return nullptr; // without a window the chooser is cancelled
    }
    return provider(lpbi);
}

BOOL WINAPI SHGetPathFromIDListA(LPCITEMIDLIST pidl, LPSTR pszPath) {
    const PathFromIdListProvider provider = Slot<PathFromIdListProvider>().Get();
    return provider ? provider(pidl, pszPath) : DefaultPathFromIdList(pidl, pszPath);
}

HRESULT WINAPI SHGetMalloc(LPMALLOC* ppMalloc) {
    if (ppMalloc == nullptr) {
        return E_INVALIDARG;
    }
    const ShellMallocProvider provider = Slot<ShellMallocProvider>().Get();
    if (provider) {
        return provider(ppMalloc);
    }
    *ppMalloc = DefaultShellMalloc();
    (*ppMalloc)->AddRef();
    return S_OK;
}

HINSTANCE WINAPI ShellExecuteA(HWND hwnd, LPCSTR lpOperation, LPCSTR lpFile, LPCSTR lpParameters,
                               LPCSTR lpDirectory, INT nShowCmd) {
    const ShellExecuteProvider provider = Slot<ShellExecuteProvider>().Get();
    if (provider) {
        return provider(hwnd, lpOperation, lpFile, lpParameters, lpDirectory, nShowCmd);
    }
    // Nothing to open without a desktop; the caller is told it went well.
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(42));
}

LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    const SendMessageProvider provider = Slot<SendMessageProvider>().Get();
    return provider ? provider(hWnd, Msg, wParam, lParam) : 0;
}
