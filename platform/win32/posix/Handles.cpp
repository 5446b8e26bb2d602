// The handle table: handles are numbers handed out once, never pointers, so a stale or forged
// handle is found missing instead of being dereferenced.
#include "platform/win32/posix/Handles.h"

#include <cstdint>
#include <mutex>
#include <unordered_map>

#include "platform/win32/Win32Errors.h"

namespace tessaly::win32::detail {
namespace {

struct HandleTable {
    std::mutex mutex;
    std::unordered_map<std::uintptr_t, std::shared_ptr<HandleObject>> mapObjects;
    std::uintptr_t uNext = 0;
};

HandleTable& Table() {
    static HandleTable* pTable =
        new HandleTable; // never destroyed: detached threads may outlive it
    return *pTable;
}

} // namespace

HANDLE RegisterHandle(std::shared_ptr<HandleObject> pObject) {
    HandleTable& table = Table();
    std::lock_guard lock(table.mutex);
    // Multiples of 4 as on Windows; skipping 0 keeps the values clear of null and of -1.
    table.uNext += 4;
    const std::uintptr_t uValue = table.uNext;
    table.mapObjects.emplace(uValue, std::move(pObject));
    return reinterpret_cast<HANDLE>(uValue);
}

std::shared_ptr<HandleObject> LookupHandle(HANDLE h, HandleKind kind) {
    HandleTable& table = Table();
    {
        std::lock_guard lock(table.mutex);
        auto it = table.mapObjects.find(reinterpret_cast<std::uintptr_t>(h));
        if (it != table.mapObjects.end() && it->second->Kind() == kind) {
            return it->second;
        }
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
}

BOOL ReleaseHandle(HANDLE h, HandleKind kind) {
    std::shared_ptr<HandleObject> pObject;
    HandleTable& table = Table();
    {
        std::lock_guard lock(table.mutex);
        auto it = table.mapObjects.find(reinterpret_cast<std::uintptr_t>(h));
        if (it != table.mapObjects.end() && it->second->Kind() == kind) {
            pObject = std::move(it->second);
            table.mapObjects.erase(it);
        }
    }
    if (pObject == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return pObject->Close() ? TRUE : FALSE;
}

} // namespace tessaly::win32::detail
