// The lookups that keep the store's finds from being linear: full path to entry and identifier to
// entry, each giving the first entry in store order that has the key, as a linear scan would.
//
// Every entry gets a sequence number when it is appended. Removals keep the store's order, so the
// numbers of the entries stay increasing along the array, and an entry's position is found from
// its number by a search down from the highest position the number allows. The maps hold numbers,
// not positions, and so survive the shift of a removal untouched. Keys that occur more than once
// (the store does not forbid it) are counted; when the first holder of such a key goes, the next
// one is looked up in the array.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/DynArray.h"
#include "engine/FileEntry.h"

class CFileListIndex {
public:
    void Clear();
    // The entry just appended at the end of aEntries.
    void OnAppend(const CFileEntry& entry);
    // The entry at dwPos has been given nId, having had none.
    void OnIdAssigned(DWORD dwPos, DWORD nId);
    // Takes the entry at dwPos out of both maps. pbGone marks entries already taken out by the
    // same batch, which are passed over when the next holder of a key is sought.
    void Unlink(DWORD dwPos, const CDynArray<CFileEntry>& aEntries,
                const std::vector<bool>* pbGone);
    // Drops the sequence number of a removed position (after Unlink).
    void ErasePosition(DWORD dwPos);
    // Drops the numbers of every position marked in pbGone (after Unlink of each).
    void ErasePositions(const std::vector<bool>& pbGone);
    // Rebuilds from the entries, for changes that are not worth following step by step.
    void Rebuild(const CDynArray<CFileEntry>& aEntries);

    // The first position holding the key, or -1.
    long long FindPath(std::string_view strPath) const;
    long long FindId(DWORD nId) const;

    std::size_t GetSize() const { return m_vecSeqs.size(); }

private:
    struct Holder {
        std::uint64_t ullSeq; // the first holder in store order
        DWORD dwCount;        // how many entries hold the key
    };
    struct PathHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view str) const noexcept {
            return std::hash<std::string_view>()(str);
        }
    };
    struct PathEq {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const noexcept { return a == b; }
    };

    long long PositionOf(std::uint64_t ullSeq) const;
    void AddHolder(Holder& holder, std::uint64_t ullSeq, bool bNew);
    template <typename Map, typename Key, typename Same>
    void DropHolder(Map& map, const Key& key, DWORD dwPos, const CDynArray<CFileEntry>& aEntries,
                    const std::vector<bool>* pbGone, Same same);

    std::vector<std::uint64_t> m_vecSeqs; // per position, increasing
    std::uint64_t m_ullNextSeq = 0;
    std::unordered_map<std::string, Holder, PathHash, PathEq> m_mapPaths;
    std::unordered_map<DWORD, Holder> m_mapIds;
};
