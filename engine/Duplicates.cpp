#include <algorithm>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/FileList.h"
#include "support/MyWString.h"

namespace {

constexpr DWORD kNone = 0xFFFFFFFF;

// The title as the comparison sees it: the UTF-16 text up to its first 0, ASCII letters folded.
// False when the title compares equal to nothing (a string whose allocation failed).
bool FoldedTitle(LPCSTR pcName, std::u16string& strKey) {
    CMyWString strTitle(pcName);
    strTitle.LeaveFileTitle(4);
    const WCHAR* pwcTitle = strTitle.GetBuff();
    if (strTitle.GetError() || pwcTitle == nullptr) {
        return false;
    }
    strKey.clear();
    for (const WCHAR* pwc = pwcTitle; *pwc != 0; ++pwc) {
        strKey.push_back(CMyWString::FoldAscii(*pwc));
    }
    return true;
}

// A title's 32-bit hash above the entry's position: sorting these orders the entries by hash,
// then by store order.
std::uint64_t SortKey(const std::u16string& strKey, DWORD dwPos) {
    const std::size_t uHash = std::hash<std::u16string_view>()(strKey);
    const std::uint64_t ullHash32 = static_cast<std::uint32_t>(uHash ^ (uHash >> 32));
    return (ullHash32 << 32) | dwPos;
}

DWORD HashOf(std::uint64_t ullKey) {
    return static_cast<DWORD>(ullKey >> 32);
}

DWORD PositionOf(std::uint64_t ullKey) {
    return static_cast<DWORD>(ullKey);
}

} // namespace

DWORD CFileList::FindDuplicates(CFileList& listDup) const {
    const DWORD dwCount = m_aEntries.GetCount();
    listDup.Reset();
    if (dwCount < 2) {
        return 0;
    }

    // Comparing each entry with every later one gives each group once, members in store order,
    // groups in the order of their first members. The same list comes from sorting the entries
    // by a hash of their titles: a million titles then cost 8 bytes each for a moment, not a
    // table of strings. Equal hashes are checked on the titles themselves.
    std::vector<DWORD> vecNext(dwCount, kNone); // the next member of the entry's group
    std::vector<bool> vecFirst(dwCount, false); // the first member of a group of two or more
    DWORD dwTotal = 0;
    {
        std::vector<std::uint64_t> vecKeys;
        vecKeys.reserve(dwCount);
        std::u16string strKey;
        for (DWORD i = 0; i < dwCount; ++i) {
            if (FoldedTitle(m_aEntries[i].m_strName.GetString(), strKey)) {
                vecKeys.push_back(SortKey(strKey, i));
            }
        }
        std::sort(vecKeys.begin(), vecKeys.end());

        struct Group {
            std::u16string strTitle;
            DWORD dwFirst;
            DWORD dwLast;
            DWORD dwSize;
        };
        std::vector<Group> vecGroups;
        for (std::size_t uRun = 0; uRun < vecKeys.size();) {
            std::size_t uEnd = uRun + 1;
            while (uEnd < vecKeys.size() && HashOf(vecKeys[uEnd]) == HashOf(vecKeys[uRun])) {
                ++uEnd;
            }
            if (uEnd - uRun >= 2) {
                // One title nearly always; titles whose hashes collide make more groups.
                vecGroups.clear();
                for (std::size_t k = uRun; k < uEnd; ++k) {
                    const DWORD dwPos = PositionOf(vecKeys[k]);
                    if (!FoldedTitle(m_aEntries[dwPos].m_strName.GetString(), strKey)) {
                        continue;
                    }
                    auto it = std::find_if(vecGroups.begin(), vecGroups.end(),
                                           [&](const Group& g) { return g.strTitle == strKey; });
                    if (it == vecGroups.end()) {
                        vecGroups.push_back(Group{strKey, dwPos, dwPos, 1});
                        continue;
                    }
                    vecNext[it->dwLast] = dwPos;
                    it->dwLast = dwPos;
                    ++it->dwSize;
                }
                for (const Group& group : vecGroups) {
                    if (group.dwSize >= 2) {
                        vecFirst[group.dwFirst] = true;
                        dwTotal += group.dwSize;
                    }
                }
            }
            uRun = uEnd;
        }
    }
    if (dwTotal == 0) {
        return 0;
    }
    // Room for what was found, so a million entries without duplicates reserve nothing.
    if (listDup.GetCapacity() < dwTotal) {
        listDup.SetCapacity(dwTotal, TRUE);
    }

    DWORD dwFound = 0;
    for (DWORD i = 0; i < dwCount; ++i) {
        if (!vecFirst[i]) {
            continue;
        }
        for (DWORD m = i; m != kNone; m = vecNext[m]) {
            // A failed append leaves the entry out of the list; it still counts.
            listDup.Append(m_aEntries[m]);
            ++dwFound;
        }
    }
    return dwFound;
}
