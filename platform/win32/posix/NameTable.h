// Inside the layer: the names of one folder by a hash of their folded form, for its case index.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tessaly::win32::detail {

// Those read from disk in one block sorted by hash, and those the layer added since in a short
// list, then a map, so that reading a big folder costs a few allocations, not two a name.
// Removals wait until the table is next used (RemoveLater).
class NameTable {
public:
    // A name read from disk; SealRead once all are in.
    void AddRead(std::uint64_t uHash, std::string_view strName);
    void SealRead();
    // Calls fn with every name whose hash is uHash; removals that wait are not yet applied
    // (Settle first).
    template <typename Fn> void ForEach(std::uint64_t uHash, Fn&& fn) const;
    // Returns the change to the number of names (the removals that waited included).
    int Add(std::uint64_t uHash, std::string_view strName);
    // A removal that waits for the table's next use (Settle): a run of moves out of a big folder
    // then costs one pass in hash order instead of a search of the whole table for each name.
    // True when enough wait that they should be settled now.
    bool RemoveLater(std::uint64_t uHash, std::string_view strName);
    // Applies the removals that wait; returns the change to the number of names.
    int Settle();
    // The names, those waiting to be removed among them.
    std::size_t size() const { return m_nLive; }

private:
    struct Name {
        std::uint64_t uHash;
        std::uint32_t uOffset; // in its block of bytes
        std::uint32_t uLength;
        bool bLive; // read names only: a removed one stays, marked
    };
    struct IdentityHash {
        std::size_t operator()(std::uint64_t u) const noexcept {
            return static_cast<std::size_t>(u);
        }
    };
    // itAt: where uHash's names among those read begin, or would.
    bool RemoveRead(std::vector<Name>::iterator itAt, std::uint64_t uHash,
                    std::string_view strName);
    int RemoveAdded(std::uint64_t uHash, std::string_view strName);
    std::vector<Name>::const_iterator LowerBound(std::uint64_t uHash) const;
    std::vector<Name>::iterator LowerBound(std::vector<Name>::iterator itFrom, std::uint64_t uHash);
    std::string_view ReadNameOf(const Name& name) const;
    std::string_view AddedNameOf(const Name& name) const;
    void CompactAdded(std::size_t uLength);
    bool Contains(std::uint64_t uHash, std::string_view strName) const;

    // The first names added go into one block, searched through: a folder the layer made holds a
    // few, and with two allocations rather than two a name, it is quick to make and to drop.
    static constexpr std::size_t kListedAdded = 16;
    static constexpr std::size_t kAddedArenaBytes = 4096;
    static constexpr std::size_t kMaxPending = 1024;

    std::string m_strArena;
    std::vector<Name> m_aRead;
    std::vector<Name> m_aAdded; // a removed one leaves the list
    std::string m_strAddedArena;
    std::unordered_multimap<std::uint64_t, std::string, IdentityHash> m_mapAdded;
    std::vector<Name> m_aPending; // removals yet to apply
    std::string m_strPendingArena;
    std::size_t m_nLive = 0;
};

template <typename Fn> void NameTable::ForEach(std::uint64_t uHash, Fn&& fn) const {
    for (auto it = LowerBound(uHash); it != m_aRead.end() && it->uHash == uHash; ++it) {
        if (it->bLive) {
            fn(ReadNameOf(*it));
        }
    }
    for (const Name& name : m_aAdded) {
        if (name.uHash == uHash) {
            fn(AddedNameOf(name));
        }
    }
    if (!m_mapAdded.empty()) {
        const auto [itBegin, itEnd] = m_mapAdded.equal_range(uHash);
        for (auto it = itBegin; it != itEnd; ++it) {
            fn(std::string_view(it->second));
        }
    }
}

} // namespace tessaly::win32::detail
