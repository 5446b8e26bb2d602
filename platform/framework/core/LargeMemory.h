// Memory for arrays of a slot per entry or row (the store and its path table, a million rows'
// lists and sort keys) and for texts by the slab: on Linux mappings of their own, the pages of
// arrays freed lately first; elsewhere the heap.
#pragma once

#include <cstddef>
#include <new>
#include <utility>
#include <vector>

namespace tessaly::framework {

// nBytes of memory, from the pages of a large array freed lately where one is kept. Throws
// std::bad_alloc.
void* AllocateLarge(size_t nBytes);
// Memory from AllocateLarge, with the size asked for.
void FreeLarge(void* pMemory, size_t nBytes) noexcept;

// A vector's allocator that takes its memory from AllocateLarge.
template <typename T> struct LargeAllocator {
    using value_type = T;
    LargeAllocator() = default;
    template <typename U> LargeAllocator(const LargeAllocator<U>&) noexcept {}
    T* allocate(size_t n) { return static_cast<T*>(AllocateLarge(n * sizeof(T))); }
    void deallocate(T* p, size_t n) noexcept { FreeLarge(p, n * sizeof(T)); }
    template <typename U> bool operator==(const LargeAllocator<U>&) const noexcept { return true; }
};

// A vector of a slot per row or per entry: a million of them often take the pages of an array
// freed just before.
template <typename T> using LargeVector = std::vector<T, LargeAllocator<T>>;

// Blocks of memory carved one after the other from slabs, all freed together with the slabs.
class ListSlabs {
public:
    // A block larger than this comes from the heap instead.
    static constexpr size_t kLargestBlock = 64 * 1024;

    ListSlabs() = default;
    ListSlabs(ListSlabs&& other) noexcept { Swap(other); }
    ListSlabs& operator=(ListSlabs&& other) noexcept {
        ListSlabs(std::move(other)).Swap(*this);
        return *this;
    }
    ListSlabs(const ListSlabs&) = delete;
    ListSlabs& operator=(const ListSlabs&) = delete;
    ~ListSlabs() { Release(); }

    // nBytes (kLargestBlock at most) at an even address.
    char* Allocate(size_t nBytes);
    void Release() noexcept;
    size_t SlabCount() const { return m_vecSlabs.size(); }
    void Swap(ListSlabs& other) noexcept {
        m_vecSlabs.swap(other.m_vecSlabs);
        std::swap(m_pcFree, other.m_pcFree);
        std::swap(m_nLeft, other.m_nLeft);
    }

private:
    std::vector<char*> m_vecSlabs;
    char* m_pcFree = nullptr;
    size_t m_nLeft = 0;
};

} // namespace tessaly::framework
