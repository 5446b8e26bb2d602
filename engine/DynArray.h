// The growable array under the store, the scans' folder lists, the duplicate scratch lists, the
// free-identifier stack and the file writer's staging buffer.
//
// Every slot up to the capacity is a valid, default-constructed element. Appending to a full array
// grows the capacity by 1000 (by 1 from 0xFFFFFC18 on; at 0xFFFFFFFF the append fails), and the
// capacity reported is exactly that figure. Underneath, storage is allocated in geometric steps so
// that a million appends do not copy the array a thousand times; a slot beyond the reported
// capacity is not even constructed until the capacity reaches it, so the memory allocated ahead
// (up to half the array again) is never touched while unused.
//
// The count is atomic: one thread appends, and another (the window's timer) may read GetCount()
// meanwhile. An element is complete before the count that includes it is published.
#pragma once

#include <atomic>
#include <cstddef>
#include <new>
#include <type_traits>
#include <utility>

#include "platform/framework/core/LargeMemory.h"
#include "platform/win32/Win32Types.h"

template <typename T> class CDynArray {
public:
    static constexpr DWORD kGrowStep = 1000;
    static constexpr DWORD kSlowGrowFrom = 0xFFFFFC18;
    static constexpr DWORD kMaxCapacity = 0xFFFFFFFF;

    CDynArray() = default;
    ~CDynArray() { Release(); }
    CDynArray(const CDynArray&) = delete;
    CDynArray& operator=(const CDynArray&) = delete;

    // The capacity the append rule grows dwCapacity to; 0 when it cannot grow.
    static DWORD NextCapacity(DWORD dwCapacity);

    // n default-constructed slots. bKeep: the first min(n, old capacity) elements are kept and the
    // count is lowered to what was kept; on allocation failure the array is unchanged. Without
    // bKeep the old storage goes first and the array starts empty. n = 0 releases the storage.
    BOOL SetCapacity(DWORD dwNewCapacity, BOOL bKeep);
    // Appends a copy (or the moved value) by the growth rule; FALSE when the growth fails.
    BOOL Add(const T& item);
    BOOL Add(T&& item);
    // Releases the storage: count and capacity 0, no storage owned.
    void Release();

    // Lowers the count (a larger value is cut to the capacity); slots keep their content.
    void SetCount(DWORD dwCount);

    DWORD GetCount() const { return m_dwCount.load(std::memory_order_acquire); }
    DWORD GetCapacity() const { return m_dwCapacity; }
    BOOL OwnsStorage() const { return m_bAllocated ? TRUE : FALSE; }
    T* GetData() { return m_pData; }
    const T* GetData() const { return m_pData; }
    T& operator[](DWORD dwIndex) { return m_pData[dwIndex]; }
    const T& operator[](DWORD dwIndex) const { return m_pData[dwIndex]; }

private:
    template <typename U> BOOL AddItem(U&& item);
    // Makes at least dwCapacity slots exist, allocating ahead when it has to reallocate.
    BOOL Provide(DWORD dwCapacity);
    BOOL Reallocate(DWORD dwSlots, DWORD dwKeep);
    // Default-constructs the slots up to the capacity that are not yet.
    void ConstructToCapacity();
    void DestroyAll();
    static void FreeSlots(T* pData, DWORD dwSlots) {
        tessaly::framework::FreeLarge(pData, sizeof(T) * static_cast<std::size_t>(dwSlots));
    }

    T* m_pData = nullptr;
    DWORD m_dwCapacity = 0;
    std::atomic<DWORD> m_dwCount{0};
    bool m_bAllocated = false;
    DWORD m_dwSlots = 0;       // allocated slots, never fewer than m_dwCapacity
    DWORD m_dwConstructed = 0; // constructed slots: at least m_dwCapacity, at most m_dwSlots
};

template <typename T> DWORD CDynArray<T>::NextCapacity(DWORD dwCapacity) {
    if (dwCapacity == kMaxCapacity) {
        return 0;
    }
    if (dwCapacity >= kSlowGrowFrom) {
        return dwCapacity + 1;
    }
    return dwCapacity + kGrowStep;
}

template <typename T> BOOL CDynArray<T>::SetCapacity(DWORD dwNewCapacity, BOOL bKeep) {
    if (!bKeep) {
        Release();
        if (dwNewCapacity == 0) {
            return TRUE;
        }
        if (!Reallocate(dwNewCapacity, 0)) {
            return FALSE;
        }
        m_dwCapacity = dwNewCapacity;
        ConstructToCapacity();
        return TRUE;
    }
    if (dwNewCapacity == 0) {
        Release();
        return TRUE;
    }
    if (dwNewCapacity < m_dwCapacity) {
        // Shrinking reallocates exactly, so slots above the new capacity come back fresh later.
        if (!Reallocate(dwNewCapacity, dwNewCapacity)) {
            return FALSE;
        }
        m_dwCapacity = dwNewCapacity;
        if (GetCount() > dwNewCapacity) {
            m_dwCount.store(dwNewCapacity, std::memory_order_release);
        }
        return TRUE;
    }
    // Raised step by step, the capacity copies the array O(log n) times, as appending does.
    if (!Provide(dwNewCapacity)) {
        return FALSE;
    }
    m_dwCapacity = dwNewCapacity;
    ConstructToCapacity();
    return TRUE;
}

template <typename T> BOOL CDynArray<T>::Add(const T& item) {
    return AddItem(item);
}

template <typename T> BOOL CDynArray<T>::Add(T&& item) {
    return AddItem(std::move(item));
}

template <typename T> template <typename U> BOOL CDynArray<T>::AddItem(U&& item) {
    const DWORD dwCount = GetCount();
    if (dwCount >= m_dwCapacity) {
        const DWORD dwGrown = NextCapacity(m_dwCapacity);
        if (dwGrown == 0) {
            return FALSE;
        }
        if constexpr (std::is_lvalue_reference_v<U>) {
            if (dwGrown > m_dwSlots) {
                // The item may be one of our own elements, which the reallocation frees.
                T copy(item);
                if (!Provide(dwGrown)) {
                    return FALSE;
                }
                m_dwCapacity = dwGrown;
                ConstructToCapacity();
                m_pData[dwCount] = std::move(copy);
                m_dwCount.store(dwCount + 1, std::memory_order_release);
                return TRUE;
            }
        }
        if (!Provide(dwGrown)) {
            return FALSE;
        }
        m_dwCapacity = dwGrown;
        ConstructToCapacity();
    }
    m_pData[dwCount] = std::forward<U>(item);
    m_dwCount.store(dwCount + 1, std::memory_order_release);
    return TRUE;
}

template <typename T> void CDynArray<T>::Release() {
    DestroyAll();
    FreeSlots(m_pData, m_dwSlots);
    m_pData = nullptr;
    m_dwCapacity = 0;
    m_dwSlots = 0;
    m_dwConstructed = 0;
    m_dwCount.store(0, std::memory_order_release);
    m_bAllocated = false;
}

template <typename T> void CDynArray<T>::SetCount(DWORD dwCount) {
    m_dwCount.store(dwCount < m_dwCapacity ? dwCount : m_dwCapacity, std::memory_order_release);
}

template <typename T> BOOL CDynArray<T>::Provide(DWORD dwCapacity) {
    if (dwCapacity <= m_dwSlots) {
        return TRUE;
    }
    // Half as much again as there is, so n small steps cost O(n) copies; a large step gets what it
    // asks, and so does any step when the larger allocation fails.
    const unsigned long long ullAhead = static_cast<unsigned long long>(m_dwSlots) + m_dwSlots / 2;
    const DWORD dwAhead = ullAhead > kMaxCapacity ? kMaxCapacity : static_cast<DWORD>(ullAhead);
    return (dwAhead > dwCapacity && Reallocate(dwAhead, m_dwCapacity)) ||
           Reallocate(dwCapacity, m_dwCapacity);
}

template <typename T> BOOL CDynArray<T>::Reallocate(DWORD dwSlots, DWORD dwKeep) {
    static_assert(alignof(T) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__);
    // Raw storage: only the kept elements are placed now, the rest as the capacity reaches them.
    // A million entries take 56 MB: AllocateLarge hands out the pages of an array freed before
    // where it kept one, rather than pages new to the process.
    T* pNew = nullptr;
    try {
        pNew = static_cast<T*>(
            tessaly::framework::AllocateLarge(sizeof(T) * static_cast<std::size_t>(dwSlots)));
    } catch (const std::bad_alloc&) {
        return FALSE;
    }
    const DWORD dwCopy = dwKeep < dwSlots ? dwKeep : dwSlots;
    for (DWORD i = 0; i < dwCopy; ++i) {
        if constexpr (std::is_nothrow_move_constructible_v<T>) {
            new (pNew + i) T(std::move(m_pData[i]));
        } else {
            new (pNew + i) T(m_pData[i]);
        }
    }
    DestroyAll();
    FreeSlots(m_pData, m_dwSlots);
    m_pData = pNew;
    m_dwSlots = dwSlots;
    m_dwConstructed = dwCopy;
    m_bAllocated = true;
    return TRUE;
}

template <typename T> void CDynArray<T>::ConstructToCapacity() {
    for (; m_dwConstructed < m_dwCapacity; ++m_dwConstructed) {
        new (m_pData + m_dwConstructed) T();
    }
}

template <typename T> void CDynArray<T>::DestroyAll() {
    for (DWORD i = 0; i < m_dwConstructed; ++i) {
        m_pData[i].~T();
    }
    m_dwConstructed = 0;
}
