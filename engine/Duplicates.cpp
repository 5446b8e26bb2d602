#include <algorithm>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/FileList.h"
#include "support/MyWString.h"

namespace {

constexpr DWORD kNone = 0xFFFFFFFF;

// The title as the comparison sees it: the name's UTF-16 text (up to its first 0) cut as
// CMyWString::LeaveFileTitle(4) cuts it, ASCII letters folded. One buffer serves every name: a
// CMyWString would allocate 4 KB per name. False when the name does not convert.
class CTitleFolder {
public:
    bool Fold(LPCSTR pcName, std::u16string_view& strTitle) {
        DWORD dwConv = 0;
        if (!CMyWString::ConvertInto(pcName, m_vecWide, &dwConv)) {
            return false;
        }
        WCHAR* pwc = m_vecWide.data();
        std::size_t uStart = 0;
        std::size_t uEnd = dwConv;
        long long llSep = -1;
        long long llDot = -1;
        for (std::size_t i = 0; i < dwConv; ++i) {
            if (pwc[i] == u'\\' || pwc[i] == u'/') {
                llSep = static_cast<long long>(i);
            } else if (pwc[i] == u'.') {
                llDot = static_cast<long long>(i);
            }
        }
        if (llDot < llSep) {
            llDot = -1; // a dot in a folder name is no extension
        }
        const std::size_t uNameStart = static_cast<std::size_t>(llSep + 1);
        const bool bEndsInSep = llSep != -1 && uNameStart >= dwConv;
        if (!bEndsInSep) {
            if (llDot == -1) {
                uStart = uNameStart;
            } else if (dwConv - static_cast<std::size_t>(llDot) - 1 <= 4 &&
                       static_cast<std::size_t>(llDot) != uNameStart) {
                uStart = uNameStart;
                uEnd = static_cast<std::size_t>(llDot);
            }
        }
        for (std::size_t i = uStart; i < uEnd; ++i) {
            pwc[i] = CMyWString::FoldAscii(pwc[i]);
        }
        strTitle = std::u16string_view(pwc + uStart, uEnd - uStart);
        return true;
    }

private:
    std::vector<WCHAR> m_vecWide;
};

// A title's 32-bit hash above the entry's position: sorting these orders the entries by hash,
// then by store order.
std::uint64_t SortKey(std::u16string_view strKey, DWORD dwPos) {
    const std::size_t uHash = std::hash<std::u16string_view>()(strKey);
    const std::uint64_t ullHash32 = static_cast<std::uint32_t>(uHash ^ (uHash >> 32));
    return (ullHash32 << 32) | dwPos;
}

DWORD HashOf(std::uint64_t ullKey) {
    return static_cast<DWORD>(ullKey >> 32);
}

// Orders keys made in store order by their hashes, store order kept among equal hashes: what
// sorting the whole keys gives. A stable radix sort of the hash's four bytes costs four passes
// over the keys, where a comparison sort's cost per key grows with the count.
void SortByHash(std::vector<std::uint64_t>& vecKeys) {
    std::vector<std::uint64_t> vecOther(vecKeys.size());
    for (int iShift = 32; iShift < 64; iShift += 8) {
        std::size_t auStart[257] = {};
        for (std::uint64_t ullKey : vecKeys) {
            ++auStart[((ullKey >> iShift) & 0xFF) + 1];
        }
        for (int i = 0; i < 256; ++i) {
            auStart[i + 1] += auStart[i];
        }
        for (std::uint64_t ullKey : vecKeys) {
            vecOther[auStart[(ullKey >> iShift) & 0xFF]++] = ullKey;
        }
        vecKeys.swap(vecOther);
    }
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
        CTitleFolder folder;
        std::u16string_view strKey;
        // The names lie where the walk put them: each one's head, then its text, is fetched some
        // entries ahead.
        constexpr DWORD kAhead = 8;
        for (DWORD i = 0; i < dwCount; ++i) {
            if (i + 2 * kAhead < dwCount) {
                m_aEntries[i + 2 * kAhead].m_strName.PrefetchHead();
            }
            if (i + kAhead < dwCount) {
                m_aEntries[i + kAhead].m_strName.PrefetchText();
            }
            if (folder.Fold(m_aEntries[i].m_strName.GetString(), strKey)) {
                vecKeys.push_back(SortKey(strKey, i));
            }
        }
        SortByHash(vecKeys);

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
                    if (!folder.Fold(m_aEntries[dwPos].m_strName.GetString(), strKey)) {
                        continue;
                    }
                    auto it = std::find_if(vecGroups.begin(), vecGroups.end(),
                                           [&](const Group& g) { return g.strTitle == strKey; });
                    if (it == vecGroups.end()) {
                        vecGroups.push_back(Group{std::u16string(strKey), dwPos, dwPos, 1});
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
