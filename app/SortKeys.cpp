#include "app/SortKeys.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

#include "platform/win32/Win32CodePage.h"
#include "support/MyWString.h"

void CSortKeys::Build(const CFileCollector& store, int iColumn) {
    Clear();
    const DWORD dwCount = store.GetCount();
    for (DWORD i = 0; i < dwCount; ++i) {
        const CFileEntry& entry = store.GetAt(i);
        if (entry.m_nId == CFileEntry::kNoId) {
            continue;
        }
        if (entry.m_nId >= m_vecEntries.size()) {
            m_vecEntries.resize(static_cast<size_t>(entry.m_nId) + 1, nullptr);
        }
        m_vecEntries[entry.m_nId] = &entry;
    }
    if (iColumn == 1) {
        m_vecSizes.resize(m_vecEntries.size(), 0);
        for (size_t nId = 0; nId < m_vecEntries.size(); ++nId) {
            if (m_vecEntries[nId] != nullptr) {
                m_vecSizes[nId] = m_vecEntries[nId]->m_ullSize;
            }
        }
    }
    if (iColumn == 2) {
        BuildFolderRanks();
    }
    if (iColumn == 0) {
        m_vecNames.resize(m_vecEntries.size());
        for (size_t nId = 0; nId < m_vecEntries.size(); ++nId) {
            if (m_vecEntries[nId] == nullptr) {
                continue;
            }
            const CMyWString strName(m_vecEntries[nId]->m_strName.GetString());
            NameKey& key = m_vecNames[nId];
            key.bError = strName.GetError();
            const WCHAR* pwc = strName.GetBuff() != nullptr ? strName.GetBuff() : u"";
            key.strFolded.assign(pwc, strName.GetBuff() != nullptr ? strName.GetLength() : 0);
            for (WCHAR& wc : key.strFolded) {
                wc = CMyWString::FoldAscii(wc);
            }
        }
    }
    m_bBuilt = TRUE;
}

void CSortKeys::BuildFolderRanks() {
    // Each distinct folder once: the sort then orders thousands of texts, not millions.
    std::unordered_map<std::string_view, DWORD> mapFolders;
    std::vector<std::string_view> vecFolders;
    std::vector<DWORD> vecFolderOf(m_vecEntries.size(), 0);
    for (size_t nId = 0; nId < m_vecEntries.size(); ++nId) {
        if (m_vecEntries[nId] == nullptr) {
            continue;
        }
        const CSharedText& strFolder = m_vecEntries[nId]->m_strFolder;
        const std::string_view svFolder(strFolder.GetString(),
                                        static_cast<size_t>(strFolder.GetLength()));
        const auto [it, bNew] = mapFolders.emplace(svFolder, static_cast<DWORD>(vecFolders.size()));
        if (bNew) {
            vecFolders.push_back(svFolder);
        }
        vecFolderOf[nId] = it->second;
    }
    std::vector<DWORD> vecOrder(vecFolders.size());
    for (DWORD i = 0; i < vecOrder.size(); ++i) {
        vecOrder[i] = i;
    }
    const auto Bytes = [](std::string_view sv) {
        return reinterpret_cast<const unsigned char*>(sv.data());
    };
    std::sort(vecOrder.begin(), vecOrder.end(), [&](DWORD a, DWORD b) {
        return _mbscmp(Bytes(vecFolders[a]), Bytes(vecFolders[b])) < 0;
    });
    // Folders that _mbscmp finds equal share a rank.
    std::vector<DWORD> vecRankOf(vecFolders.size(), 0);
    DWORD dwRank = 0;
    for (size_t i = 0; i < vecOrder.size(); ++i) {
        if (i > 0 &&
            _mbscmp(Bytes(vecFolders[vecOrder[i - 1]]), Bytes(vecFolders[vecOrder[i]])) != 0) {
            ++dwRank;
        }
        vecRankOf[vecOrder[i]] = dwRank;
    }
    m_vecFolderRanks.resize(m_vecEntries.size(), 0);
    for (size_t nId = 0; nId < m_vecEntries.size(); ++nId) {
        m_vecFolderRanks[nId] = vecRankOf[vecFolderOf[nId]];
    }
}

void CSortKeys::Clear() {
    m_vecEntries.clear();
    m_vecEntries.shrink_to_fit();
    m_vecNames.clear();
    m_vecNames.shrink_to_fit();
    m_vecSizes.clear();
    m_vecSizes.shrink_to_fit();
    m_vecFolderRanks.clear();
    m_vecFolderRanks.shrink_to_fit();
    m_bBuilt = FALSE;
}

int CSortKeys::CompareNames(DWORD nId1, DWORD nId2) const {
    if (nId1 >= m_vecNames.size() || nId2 >= m_vecNames.size() || m_vecNames[nId1].bError) {
        return -1;
    }
    const int iOrder = m_vecNames[nId1].strFolded.compare(m_vecNames[nId2].strFolded);
    return iOrder < 0 ? -1 : iOrder > 0 ? 1 : 0;
}
