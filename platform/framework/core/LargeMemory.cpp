#include "platform/framework/core/LargeMemory.h"

#ifdef __linux__
#include <sys/mman.h>

#include <algorithm>
#include <mutex>
#include <vector>
#endif

namespace tessaly::framework {

namespace {

// A mapping's size is a whole number of these, so that the pieces of a freed one serve later
// requests. The pages are the system's ordinary ones: transparent huge pages, asked for here once,
// came fresh from a virtual machine's host at some 10 ns a byte (a million-file Add took 2.6-3.5 s
// instead of 1.7 s), where ordinary pages take 0.4-0.9 ns.
constexpr size_t kMappingUnit = 2 * 1024 * 1024;
constexpr size_t kSlabBytes = kMappingUnit;

size_t RoundUp(size_t n, size_t nUnit) {
    return (n + nUnit - 1) / nUnit * nUnit;
}

#ifdef __linux__
// Mappings freed lately, kept for the next requests: a sort's arrays reuse the pages of the sort
// before, and the list's rows and texts those of the store's arrays outgrown during the Add,
// instead of faulting in new ones (which the system may have given back to the machine's host
// meanwhile). At most kKeptBytes are kept.
constexpr size_t kKeptBytes = 64 * 1024 * 1024;

struct SKeptMappings {
    std::mutex mutex;
    std::vector<std::pair<char*, size_t>> vecKept;
    size_t nBytes = 0;
};

SKeptMappings& Kept() {
    static SKeptMappings s_kept;
    return s_kept;
}

// The head of the smallest kept mapping of nRounded bytes or more, its tail kept in its place
// (the slabs of a list's texts are then cut from an array freed before); null for none.
void* TakeKept(size_t nRounded) {
    SKeptMappings& kept = Kept();
    std::lock_guard<std::mutex> lock(kept.mutex);
    size_t iBest = kept.vecKept.size();
    for (size_t i = 0; i < kept.vecKept.size(); ++i) {
        const size_t nSize = kept.vecKept[i].second;
        if (nSize >= nRounded &&
            (iBest == kept.vecKept.size() || nSize < kept.vecKept[iBest].second)) {
            iBest = i;
        }
    }
    if (iBest == kept.vecKept.size()) {
        return nullptr;
    }
    auto& [pcKept, nKept] = kept.vecKept[iBest];
    char* pcTaken = pcKept;
    kept.nBytes -= nRounded;
    if (nKept > nRounded) {
        pcKept += nRounded;
        nKept -= nRounded;
    } else {
        kept.vecKept.erase(kept.vecKept.begin() + static_cast<std::ptrdiff_t>(iBest));
    }
    return pcTaken;
}

// Whether the mapping was kept; the oldest go first to make room.
bool Keep(char* pcMapping, size_t nRounded) {
    if (nRounded > kKeptBytes) {
        return false;
    }
    std::vector<std::pair<char*, size_t>> vecDropped;
    {
        SKeptMappings& kept = Kept();
        std::lock_guard<std::mutex> lock(kept.mutex);
        while (kept.nBytes + nRounded > kKeptBytes) {
            vecDropped.push_back(kept.vecKept.front());
            kept.nBytes -= kept.vecKept.front().second;
            kept.vecKept.erase(kept.vecKept.begin());
        }
        kept.nBytes += nRounded;
        // A piece that meets a kept one joins it again, so that pieces cut from one array can
        // serve a request as large as that array once they are all back.
        char* pcStart = pcMapping;
        size_t nSize = nRounded;
        for (size_t i = 0; i < kept.vecKept.size();) {
            const auto [pcKept, nKept] = kept.vecKept[i];
            if (pcKept + nKept != pcStart && pcStart + nSize != pcKept) {
                ++i;
                continue;
            }
            pcStart = std::min(pcStart, pcKept);
            nSize += nKept;
            kept.vecKept.erase(kept.vecKept.begin() + static_cast<std::ptrdiff_t>(i));
        }
        kept.vecKept.emplace_back(pcStart, nSize);
    }
    for (const auto& [pcDropped, nDropped] : vecDropped) {
        munmap(pcDropped, nDropped);
    }
    return true;
}
#endif

} // namespace

void* AllocateLarge(size_t nBytes) {
#ifdef __linux__
    if (nBytes >= kMappingUnit) {
        const size_t nRounded = RoundUp(nBytes, kMappingUnit);
        if (void* pKept = TakeKept(nRounded)) {
            return pKept;
        }
        void* pMapped =
            mmap(nullptr, nRounded, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (pMapped == MAP_FAILED) {
            throw std::bad_alloc();
        }
        return pMapped;
    }
#endif
    return ::operator new(nBytes);
}

void FreeLarge(void* pMemory, size_t nBytes) noexcept {
    if (pMemory == nullptr) {
        return;
    }
#ifdef __linux__
    if (nBytes >= kMappingUnit) {
        const size_t nRounded = RoundUp(nBytes, kMappingUnit);
        if (!Keep(static_cast<char*>(pMemory), nRounded)) {
            munmap(pMemory, nRounded);
        }
        return;
    }
#else
    static_cast<void>(nBytes); // only a mapping needs its size back
#endif
    // Unsized: clang, unlike g++, has no sized delete unless told.
    ::operator delete(pMemory);
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

} // namespace tessaly::framework
