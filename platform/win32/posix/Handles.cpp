// The handle table: handles are numbers handed out once, never pointers, so a stale or forged
// handle is found missing instead of being dereferenced.
#include "platform/win32/posix/Handles.h"

#include <algorithm>
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/win32/Win32Errors.h"

namespace tessaly::win32::detail {
namespace {

// Open addressing on the handle's number, with no node allocated per handle: handles are handed
// out in sequence, so the live ones mostly sit in consecutive slots and a lookup finds its slot at
// once. The value 0 marks a free slot (no handle has it).
struct HandleTable {
    struct Slot {
        std::uintptr_t uValue = 0;
        std::shared_ptr<HandleObject> pObject;
    };
    std::mutex mutex;
    std::vector<Slot> aSlots; // a power of two in size, at most half full
    std::size_t cLive = 0;
    std::uintptr_t uNext = 0;

    std::size_t Home(std::uintptr_t uValue) const { return (uValue >> 2) & (aSlots.size() - 1); }
    std::size_t Next(std::size_t i) const { return (i + 1) & (aSlots.size() - 1); }

    // The slot that holds uValue, or npos.
    std::size_t Find(std::uintptr_t uValue) const {
        if (aSlots.empty() || uValue == 0) {
            return npos;
        }
        for (std::size_t i = Home(uValue); aSlots[i].uValue != 0; i = Next(i)) {
            if (aSlots[i].uValue == uValue) {
                return i;
            }
        }
        return npos;
    }

    void Insert(std::uintptr_t uValue, std::shared_ptr<HandleObject> pObject) {
        if ((cLive + 1) * 2 > aSlots.size()) {
            std::vector<Slot> aOld = std::move(aSlots);
            aSlots = std::vector<Slot>(std::max<std::size_t>(16, aOld.size() * 2));
            for (Slot& slot : aOld) {
                if (slot.uValue != 0) {
                    Place(slot.uValue, std::move(slot.pObject));
                }
            }
        }
        Place(uValue, std::move(pObject));
        ++cLive;
    }

    // Empties slot i and moves later entries of its run back, so that no lookup stops short.
    std::shared_ptr<HandleObject> Take(std::size_t i) {
        std::shared_ptr<HandleObject> pObject = std::move(aSlots[i].pObject);
        for (std::size_t j = Next(i); aSlots[j].uValue != 0; j = Next(j)) {
            const std::size_t k = Home(aSlots[j].uValue);
            // The entry at j stays when its home lies cyclically in (i, j].
            const bool bStays = i <= j ? (i < k && k <= j) : (i < k || k <= j);
            if (!bStays) {
                aSlots[i] = std::move(aSlots[j]);
                i = j;
            }
        }
        aSlots[i].uValue = 0;
        aSlots[i].pObject.reset();
        --cLive;
        return pObject;
    }

    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

private:
    void Place(std::uintptr_t uValue, std::shared_ptr<HandleObject> pObject) {
        std::size_t i = Home(uValue);
        while (aSlots[i].uValue != 0) {
            i = Next(i);
        }
        aSlots[i].uValue = uValue;
        aSlots[i].pObject = std::move(pObject);
    }
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
    table.Insert(uValue, std::move(pObject));
    return reinterpret_cast<HANDLE>(uValue);
}

std::shared_ptr<HandleObject> LookupHandle(HANDLE h, HandleKind kind) {
    HandleTable& table = Table();
    {
        std::lock_guard lock(table.mutex);
        const std::size_t i = table.Find(reinterpret_cast<std::uintptr_t>(h));
        if (i != HandleTable::npos && table.aSlots[i].pObject->Kind() == kind) {
            return table.aSlots[i].pObject;
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
        const std::size_t i = table.Find(reinterpret_cast<std::uintptr_t>(h));
        if (i != HandleTable::npos && table.aSlots[i].pObject->Kind() == kind) {
            pObject = table.Take(i);
        }
    }
    if (pObject == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return pObject->Close() ? TRUE : FALSE;
}

} // namespace tessaly::win32::detail
