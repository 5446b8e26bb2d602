// The lookups that keep the store's finds from being linear: full path to entry and identifier to
// entry, each giving the first entry in store order that has the key, as a linear scan would.
//
// Every entry gets a sequence number when it is appended. Removals keep the store's order, so the
// numbers of the entries stay increasing along the array, and an entry's position is found from
// its number by a search down from the highest position the number allows. The tables hold
// numbers, not positions, and so survive the shift of a removal untouched. Keys that occur more
// than once (the store does not forbid it) are counted; when the first holder of such a key goes,
// the next one is looked up in the array.
//
// The tables are open-addressed arrays of 16-byte slots that keep no copy of a key: a path is
// compared with the entry its slot points at. The identifier table is built on the first find by
// identifier and kept in step from then on, so a store nobody looks up by identifier (the batch
// tool's, the duplicate list) never pays for it.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/DynArray.h"
#include "engine/FileEntry.h"
#include "platform/framework/core/LargeMemory.h"

class CFileListIndex {
public:
    explicit CFileListIndex(const CDynArray<CFileEntry>& aEntries) : m_aEntries(aEntries) {}

    void Clear();
    // The entry just appended at the end of the entries.
    void OnAppend(const CFileEntry& entry);
    // The entry at dwPos has been given nId, having had none.
    void OnIdAssigned(DWORD dwPos, DWORD nId);
    // Takes the entry at dwPos out of both tables. pbGone marks entries already taken out by the
    // same batch, which are passed over when the next holder of a key is sought.
    void Unlink(DWORD dwPos, const std::vector<bool>* pbGone);
    // Drops the sequence number of a removed position (after Unlink).
    void ErasePosition(DWORD dwPos);
    // Drops the numbers of every position marked in pbGone (after Unlink of each).
    void ErasePositions(const std::vector<bool>& pbGone);
    // Rebuilds from the entries, for changes that are not worth following step by step.
    void Rebuild();

    // The first position holding the key, or -1.
    long long FindPath(std::string_view strPath) const;
    long long FindId(DWORD nId) const;
    // Starts fetching the slot where FindPath(strPath) begins: a walk asks for it some files
    // ahead, as a million paths' table lies far outside the caches.
    void PrefetchPath(std::string_view strPath) const;

    std::size_t GetSize() const { return m_vecSeqs.size(); }

    // Linear probing with backward-shift removal: no tombstones, so removals never slow finds.
    class CHolderTable {
    public:
        struct Slot {
            std::uint64_t ullSeq; // the first holder in store order
            DWORD dwCount;        // how many entries hold the key; 0 for a free slot
            DWORD dwKey;          // the identifier, or the path's hash
        };

        // The slot of dwKey that same() accepts, or null.
        template <typename Same> Slot* Find(DWORD dwKey, Same same) const;
        void Prefetch(DWORD dwKey) const;
        // Find, or a new slot with count 0 for the caller to fill.
        template <typename Same> Slot& FindOrAdd(DWORD dwKey, Same same);
        // Frees pSlot; other slot pointers are then stale.
        void Erase(Slot* pSlot);
        void Clear();
        // Frees every slot, keeping the table's size and memory.
        void Empty();
        // A number that orders keys as their home slots in a table of any size: keys added in
        // its order walk the table once instead of landing anywhere in it.
        static std::uint32_t HomeOrder(DWORD dwKey) {
            return static_cast<std::uint32_t>(dwKey * 2654435769u);
        }
        void Reserve(std::size_t uKeys);
        std::size_t GetSlotCount() const { return m_vecSlots.size(); }

    private:
        std::size_t Home(DWORD dwKey) const;
        std::size_t Next(std::size_t i) const;
        void Resize(std::size_t uSlots);

        // A million paths' table is large memory, as the entries' array is.
        using SlotArray = tessaly::framework::LargeVector<Slot>;
        SlotArray m_vecSlots; // empty until the first key
        std::size_t m_uUsed = 0;
    };

private:
    using Slot = CHolderTable::Slot;

    long long PositionOf(std::uint64_t ullSeq) const;
    const CFileEntry& HolderOf(const Slot& slot) const;
    static void AddHolder(Slot& slot, std::uint64_t ullSeq);
    void AddId(DWORD nId, std::uint64_t ullSeq) const;
    // The path of the entry at dwPos (whose sequence number is set): dwKey its hash, ullSeq
    // its number.
    void AddPath(DWORD dwPos);
    void AddPath(DWORD dwPos, DWORD dwKey, std::uint64_t ullSeq);
    // The next holder of the key after dwPos (passing over pbGone), for a slot whose first holder
    // at dwPos goes; the slot is freed when none is left.
    template <typename Same>
    void DropHolder(CHolderTable& table, Slot* pSlot, DWORD dwPos, const std::vector<bool>* pbGone,
                    Same same);
    void BuildIds() const;

    const CDynArray<CFileEntry>& m_aEntries;
    std::vector<std::uint64_t> m_vecSeqs; // per position, increasing
    std::uint64_t m_ullNextSeq = 0;
    CHolderTable m_paths;
    mutable CHolderTable m_ids;
    mutable bool m_bIdsLive = false;
};
