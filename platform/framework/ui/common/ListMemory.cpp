#include "platform/framework/ui/common/ListMemory.h"

#include <cstdint>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace tessaly::framework::detail {

namespace {

// A transparent huge page: one page fault where 4 KiB pages take 512, each of which costs some
// 10 us on a virtual machine; a million rows' arrays and texts took some 25,000 of them.
constexpr size_t kHugePage = 2 * 1024 * 1024;
constexpr size_t kSlabBytes = kHugePage;

size_t RoundUp(size_t n, size_t nUnit) {
    return (n + nUnit - 1) / nUnit * nUnit;
}

} // namespace

void* AllocateLarge(size_t nBytes) {
#ifdef __linux__
    if (nBytes >= kHugePage) {
        const size_t nRounded = RoundUp(nBytes, kHugePage);
        // Mapped one page more than needed, so that an aligned run of them lies inside.
        const size_t nMapped = nRounded + kHugePage;
        void* pMapped =
            mmap(nullptr, nMapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (pMapped == MAP_FAILED) {
            throw std::bad_alloc();
        }
        const auto uStart = reinterpret_cast<std::uintptr_t>(pMapped);
        const std::uintptr_t uAligned = RoundUp(uStart, kHugePage);
        if (uAligned > uStart) {
            munmap(pMapped, uAligned - uStart);
        }
        const std::uintptr_t uTail = uAligned + nRounded;
        if (uStart + nMapped > uTail) {
            munmap(reinterpret_cast<void*>(uTail), uStart + nMapped - uTail);
        }
        auto* pMemory = reinterpret_cast<void*>(uAligned);
        // Only advice: without huge pages the memory still serves, page by page.
        madvise(pMemory, nRounded, MADV_HUGEPAGE);
        return pMemory;
    }
#endif
    return ::operator new(nBytes);
}

void FreeLarge(void* pMemory, size_t nBytes) noexcept {
    if (pMemory == nullptr) {
        return;
    }
#ifdef __linux__
    if (nBytes >= kHugePage) {
        munmap(pMemory, RoundUp(nBytes, kHugePage));
        return;
    }
#endif
    ::operator delete(pMemory, nBytes);
}

char* ListSlabs::Allocate(size_t nBytes) {
    nBytes = RoundUp(nBytes, 2);
    if (nBytes > m_nLeft) {
        // The rest of the current slab is left unused.
        m_vecSlabs.reserve(m_vecSlabs.size() + 1);
        m_pcFree = static_cast<char*>(AllocateLarge(kSlabBytes));
        m_vecSlabs.push_back(m_pcFree);
        m_nLeft = kSlabBytes;
    }
    char* pcBlock = m_pcFree;
    m_pcFree += nBytes;
    m_nLeft -= nBytes;
    return pcBlock;
}

void ListSlabs::Release() noexcept {
    for (char* pcSlab : m_vecSlabs) {
        FreeLarge(pcSlab, kSlabBytes);
    }
    m_vecSlabs.clear();
    m_pcFree = nullptr;
    m_nLeft = 0;
}

} // namespace tessaly::framework::detail
