#include <string>
#include <unordered_map>
#include <vector>

#include "engine/FileList.h"
#include "support/MyWString.h"

namespace {

constexpr DWORD kNoGroup = 0xFFFFFFFF;

// The title as the comparison sees it: the UTF-16 text up to its first 0, ASCII letters folded.
// False when the title compares equal to nothing (a string whose allocation failed).
bool FoldedTitle(const CString& strName, std::u16string& strKey) {
    CMyWString strTitle(strName.GetString());
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

} // namespace

DWORD CFileList::FindDuplicates(CFileList& listDup) const {
    const DWORD dwCount = m_aEntries.GetCount();
    listDup.Reset();
    if (dwCount < 2) {
        return 0;
    }
    if (listDup.GetCapacity() < dwCount) {
        listDup.SetCapacity(dwCount, TRUE);
    }

    // Titles are computed once and grouped by their folded form. Comparing each entry with every
    // later one gives each group once, members in store order, groups in the order of their first
    // members: the grouping below yields that same list.
    std::vector<DWORD> vecGroupOf(dwCount, kNoGroup);
    std::vector<DWORD> vecGroupSize;
    {
        std::unordered_map<std::u16string, DWORD> mapGroups;
        mapGroups.reserve(dwCount);
        std::u16string strKey;
        for (DWORD i = 0; i < dwCount; ++i) {
            if (!FoldedTitle(m_aEntries[i].m_strName, strKey)) {
                continue;
            }
            const auto [it, bNew] =
                mapGroups.try_emplace(strKey, static_cast<DWORD>(vecGroupSize.size()));
            if (bNew) {
                vecGroupSize.push_back(0);
            }
            vecGroupOf[i] = it->second;
            ++vecGroupSize[it->second];
        }
    }

    // Members of each group, contiguous, in store order.
    std::vector<DWORD> vecStart(vecGroupSize.size() + 1, 0);
    for (std::size_t g = 0; g < vecGroupSize.size(); ++g) {
        vecStart[g + 1] = vecStart[g] + vecGroupSize[g];
    }
    std::vector<DWORD> vecMembers(vecStart.back());
    {
        std::vector<DWORD> vecFill(vecStart.begin(), vecStart.end() - 1);
        for (DWORD i = 0; i < dwCount; ++i) {
            if (vecGroupOf[i] != kNoGroup) {
                vecMembers[vecFill[vecGroupOf[i]]++] = i;
            }
        }
    }

    DWORD dwFound = 0;
    for (DWORD i = 0; i < dwCount; ++i) {
        const DWORD dwGroup = vecGroupOf[i];
        if (dwGroup == kNoGroup || vecGroupSize[dwGroup] < 2 ||
            vecMembers[vecStart[dwGroup]] != i) {
            continue;
        }
        for (DWORD m = vecStart[dwGroup]; m < vecStart[dwGroup + 1]; ++m) {
            // A failed append leaves the entry out of the list; it still counts.
            listDup.Append(m_aEntries[vecMembers[m]]);
            ++dwFound;
        }
    }
    return dwFound;
}
