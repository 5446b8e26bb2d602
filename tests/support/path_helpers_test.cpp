#include "support/PathHelpers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/framework/core/Shell.h"
#include "platform/win32/Win32.h"
#include "support/AnsiText.h"
#include "support/MyWString.h"
#include "tests/common/Platform.h"
#include "tests/common/ProgramFolders.h"

namespace {

using namespace tessaly::framework;

std::string StoredText(const char* pcUtf8) {
    const CString strAnsi = AnsiFromUtf8(pcUtf8);
    std::string strStored;
    for (const char* pc = strAnsi; *pc != '\0'; ++pc) {
        strStored += *pc == '\n' ? std::string("\r\n") : std::string(1, *pc);
    }
    return strStored;
}

TEST(PathSplitting, NameTitleAndFolder) {
    struct Row {
        const char* pcPath;
        const char* pcName;
        const char* pcTitle;
        const char* pcFolder;
    };
    // 表 ソ 十 能 end in the trail byte 0x5C; it must never count as a separator.
    const Row rows[] = {
        {"C:\\dir\\song.mp3", "song.mp3", "song", "C:\\dir"},
        {"C:\\dir\\song", "song", "C:\\dir\\song", "C:\\dir"},
        {"C:\\dir\\.mp3", ".mp3", ".mp3", "C:\\dir"},
        {"C:\\dir\\", "", "C:\\dir\\", "C:\\dir"},
        {"name.mp3", "name.mp3", "name.mp3", "name.mp3"},
        {"\\song.mp3", "song.mp3", "song", "\\song.mp3"},
        {"C:/dir\\sub/a.b.wav", "a.b.wav", "a.b", "C:/dir\\sub"},
        {"C:\\音楽\\表", "表", "C:\\音楽\\表", "C:\\音楽"},
        {"C:\\ソ\\十能.wav", "十能.wav", "十能", "C:\\ソ"},
        {"D:\\能.d\\表ソ", "表ソ", "D:\\能.d\\表ソ", "D:\\能.d"},
        {"十能", "十能", "十能", "十能"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const CString strPath = AnsiFromUtf8(rows[i].pcPath);
        EXPECT_EQ(AnsiFromUtf8(rows[i].pcName), GetFileNameFromPath(strPath)) << "row " << i;
        EXPECT_EQ(AnsiFromUtf8(rows[i].pcTitle), GetFileTitleFromPath(strPath)) << "row " << i;
        EXPECT_EQ(AnsiFromUtf8(rows[i].pcFolder), GetFolderFromPath(strPath)) << "row " << i;
    }
}

// The title cut on the whole path in UTF-16, which the byte cut must match byte for byte.
CString TitleOfWidePath(const char* pcPath) {
    const CMyWString strPath(pcPath);
    const int iSep = std::max(strPath.ReverseFind(0, u"\\"), strPath.ReverseFind(0, u"/"));
    if (iSep < 0) {
        return CString(pcPath);
    }
    const DWORD dwNameStart = static_cast<DWORD>(iSep) + 1;
    const int iDot = strPath.ReverseFind(dwNameStart, u".");
    if (iDot < 0) {
        return CString(pcPath);
    }
    return strPath.GetSectorData(dwNameStart, static_cast<DWORD>(iDot) - dwNameStart);
}

// The folder cut on the whole path in UTF-16, likewise.
CString FolderOfWidePath(const char* pcPath) {
    CMyWString strPath(pcPath);
    const int iSep = std::max(strPath.ReverseFind(0, u"\\"), strPath.ReverseFind(0, u"/"));
    if (iSep <= 0) {
        return CString(pcPath);
    }
    strPath.KeepSector(0, static_cast<DWORD>(iSep) - 1);
    return strPath.GetString();
}

TEST(PathSplitting, CutsOnBytesMatchTheCutsOnWideText) {
    TESSALY_NOT_UNDER_WINE("a CP932 lead byte takes any following byte with it");
    // Lead bytes before separators, dots and the end; 0x5C and 0x2E as trail bytes; bytes that
    // lead only for the conversion (0xF6-0xFC); IBM-extension codes rewritten on the way back;
    // bytes with no character.
    const char* const apcFixed[] = {
        "C:\\a\\\x81.wav",
        "C:\\a\\\x81",
        "C:\\a\\\x95\x5C.wav",
        "C:\\a\\b.\x95\x5C",
        "C:\\\x95\x5C\\x.y",
        "C:\\a\\\xFA\x5C.wav",
        "C:\\a\\\xFA\x40.b.wav",
        "C:\\a\\\xED\x40z.wav",
        "C:\\a\\.\x81",
        "C:\\a\\.hidden",
        "C:\\a\\x\x80\xA0\xFD.w",
        "C:\\a\\\x81\x2E.b",
        "\\\x82\xA0\x82\xA2.mp3",
        "C:\\a\\b\\",
        "\x81\\x.y",
    };
    for (const char* pcPath : apcFixed) {
        EXPECT_EQ(TitleOfWidePath(pcPath), GetFileTitleFromPath(pcPath)) << pcPath;
        EXPECT_EQ(FolderOfWidePath(pcPath), GetFolderFromPath(pcPath)) << pcPath;
    }
    const unsigned char abAlphabet[] = {'a',  '.',  '\\', '/',  ' ',  0x81, 0x82, 0x95, 0x9F,
                                        0xE0, 0xED, 0xF5, 0xF6, 0xFA, 0xFC, 0x40, 0x5C, 0x7E,
                                        0x7F, 0x80, 0xA0, 0xA6, 0xDF, 0xFD, 0xFF, 0x2E, 0x41};
    std::mt19937 rng(932);
    std::uniform_int_distribution<std::size_t> pickByte(0, std::size(abAlphabet) - 1);
    std::uniform_int_distribution<std::size_t> pickAsciiByte(0, 4); // paths of ASCII alone
    std::uniform_int_distribution<int> pickLength(1, 14);
    for (int iRound = 0; iRound < 20000; ++iRound) {
        std::string strPath;
        for (int i = pickLength(rng); i > 0; --i) {
            strPath +=
                static_cast<char>(abAlphabet[iRound % 2 == 0 ? pickByte(rng) : pickAsciiByte(rng)]);
        }
        ASSERT_EQ(TitleOfWidePath(strPath.c_str()), GetFileTitleFromPath(strPath.c_str()))
            << "round " << iRound;
        ASSERT_EQ(FolderOfWidePath(strPath.c_str()), GetFolderFromPath(strPath.c_str()))
            << "round " << iRound;
    }
    // Every double-byte character the byte cut takes whole, and every single high byte, twice in
    // one title and in one folder (the second time from what the first taught).
    for (int iLead = 0x80; iLead <= 0xFF; ++iLead) {
        for (int iTrail = 0x3F; iTrail <= 0xFD; ++iTrail) {
            const std::string strChar = {static_cast<char>(iLead), static_cast<char>(iTrail)};
            const std::string strPath = "C:\\a\\" + strChar + "x" + strChar + ".wav";
            ASSERT_EQ(TitleOfWidePath(strPath.c_str()), GetFileTitleFromPath(strPath.c_str()))
                << std::hex << iLead << " " << iTrail;
            const std::string strInFolder = "C:\\" + strChar + "x" + strChar + "\\b.wav";
            ASSERT_EQ(FolderOfWidePath(strInFolder.c_str()), GetFolderFromPath(strInFolder.c_str()))
                << std::hex << iLead << " " << iTrail;
        }
    }
}

TEST(ThousandsSeparators, GroupsTheIntegerPartWithinTheBuffer) {
    struct Row {
        const char* pcText;
        DWORD dwBuffSize;
        const char* pcExpected;
    };
    const Row rows[] = {
        {"1234567", 0, "1,234,567"},
        {"1234567", 64, "1,234,567"},
        {"1234567", 10, "1,234,567"},
        {"1234567", 9, "1234,567"},
        {"1234567", 8, "1234567"},
        {"1234.5678", 0, "1,234.5678"},
        {"123.4567", 0, "123.4567"},
        {"999", 0, "999"},
        {"1000", 0, "1,000"},
        {"18446744073709551615", 64, "18,446,744,073,709,551,615"},
        {"", 0, ""},
        {"12.3.4567", 0, "12.3.4567"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        char acBuff[64] = {};
        std::strcpy(acBuff, rows[i].pcText);
        const DWORD dwLen = InsertThousandsSeparators(acBuff, rows[i].dwBuffSize);
        EXPECT_STREQ(rows[i].pcExpected, acBuff) << "row " << i;
        EXPECT_EQ(std::strlen(rows[i].pcExpected), dwLen) << "row " << i;
    }
}

TEST(ThousandsSeparators, NeverWritesPastTheGivenSize) {
    // Exactly the 10 bytes "1,234,567" needs; a guard byte behind them.
    std::vector<char> vecBuff(11, '#');
    std::memcpy(vecBuff.data(), "1234567", 8);
    EXPECT_EQ(9u, InsertThousandsSeparators(vecBuff.data(), 10));
    EXPECT_STREQ("1,234,567", vecBuff.data());
    EXPECT_EQ('#', vecBuff[10]);
}

TEST(MakeUInt64, JoinsTheHalves) {
    EXPECT_EQ(0x0000000100000002ull, MakeUInt64(2, 1));
    EXPECT_EQ(0xFFFFFFFFFFFFFFFFull, MakeUInt64(0xFFFFFFFF, 0xFFFFFFFF));
}

class PathHelpers : public ::testing::Test {
protected:
    tessaly::test::ProgramFolders m_folders;
};

TEST_F(PathHelpers, ModuleFolderIsCutAtTheLastRealSeparator) {
    TESSALY_STAND_IN_ONLY("the executable on a drive of its own");
    CString strFolder;
    EXPECT_EQ(0, GetModuleFolder(&strFolder));
    EXPECT_STREQ("T:", strFolder); // at a drive root: no separator left
    EXPECT_EQ(-1, GetModuleFolder(nullptr));

    std::filesystem::create_directories(m_folders.PosixPath("音楽/表"));
    tessaly::win32::SetModuleFileNameForTests(m_folders.PosixPath("音楽/表/tessaly"));
    EXPECT_EQ(0, GetModuleFolder(&strFolder));
    EXPECT_EQ(AnsiFromUtf8("T:\\音楽\\表"), strFolder);
}

TEST_F(PathHelpers, CurrentDirectoryIsReadWhole) {
    TESSALY_STAND_IN_ONLY("a drive of its own");
    char acSaved[5000] = {};
    GetCurrentDirectoryA(sizeof(acSaved), acSaved);
    std::filesystem::create_directories(m_folders.PosixPath("ソ"));
    const std::string strDir = m_folders.WinPath("ソ");
    ASSERT_TRUE(SetCurrentDirectoryA(strDir.c_str()));
    CString strCurrent("stale text");
    EXPECT_TRUE(GetCurrentDir(&strCurrent));
    EXPECT_EQ(strDir, std::string(strCurrent));
    EXPECT_FALSE(GetCurrentDir(nullptr));
    SetCurrentDirectoryA(acSaved);
}

TEST_F(PathHelpers, ExistenceAsksForTheRightKind) {
    m_folders.WriteBytes("表/song.mp3", "data");
    const std::string strFile = m_folders.WinPath("表/song.mp3");
    const std::string strFolder = m_folders.WinPath("表");
    const std::string strMissing = m_folders.WinPath("表/none.mp3");
    struct Row {
        const std::string& strPath;
        BOOL bFolder;
        BOOL bExpected;
    };
    const Row rows[] = {{strFile, FALSE, TRUE},     {strFile, TRUE, FALSE},
                        {strFolder, TRUE, TRUE},    {strFolder, FALSE, FALSE},
                        {strMissing, FALSE, FALSE}, {strMissing, TRUE, FALSE}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(rows[i].bExpected, IsExistFile(rows[i].strPath.c_str(), rows[i].bFolder, FALSE))
            << "row " << i;
    }
    EXPECT_EQ("", m_folders.TraceBytes());

    WIN32_FIND_DATAA findData{};
    EXPECT_TRUE(GetFileFindData(&findData, strFile.c_str()));
    EXPECT_EQ(4u, findData.nFileSizeLow);
    EXPECT_STREQ("song.mp3", findData.cFileName);
    EXPECT_FALSE(GetFileFindData(&findData, strMissing.c_str()));
}

TEST_F(PathHelpers, FailedExistenceCheckLogsPathAndSystemText) {
    m_folders.WriteBytes("song.mp3", "data");
    const std::string strFile = m_folders.WinPath("song.mp3");
    EXPECT_FALSE(IsExistFile(strFile.c_str(), TRUE, TRUE));
    const std::string strLog = m_folders.TraceBytes();
    // The raw part keeps its LF; the system text follows the ":" and ends in CR LF.
    const std::string strHead =
        std::string(AnsiFromUtf8("※　パスの存在チェック失敗。IsExistFile()\n\t")) + strFile + "\n:";
    ASSERT_GT(strLog.size(), strHead.size() + 2);
    EXPECT_EQ(strHead, strLog.substr(0, strHead.size()));
    EXPECT_EQ("\r\n", strLog.substr(strLog.size() - 2));

    IsExistFile(nullptr, FALSE, FALSE);
    EXPECT_EQ(StoredText("※引数が無効。IxExistFile()\n"),
              m_folders.TraceBytes().substr(strLog.size()));
}

// A folder chooser that records what it was asked and answers as told; the item list goes
// through a counting allocator.
struct ChooserRecord {
    int iCalls = 0;
    BROWSEINFOA info{};
    std::string strTitle;
    std::vector<UINT> vecSentMessages;
    std::vector<std::string> vecSentPaths;
    int iFrees = 0;
    int iReleases = 0;
};

class CountingMalloc final : public IMalloc {
public:
    explicit CountingMalloc(ChooserRecord* pRecord) : m_pRecord(pRecord) {}
    void* Alloc(std::size_t cb) override { return DefaultShellMalloc()->Alloc(cb); }
    void* Realloc(void* pv, std::size_t cb) override {
        return DefaultShellMalloc()->Realloc(pv, cb);
    }
    void Free(void* pv) override {
        ++m_pRecord->iFrees;
        DefaultShellMalloc()->Free(pv);
    }
    ULONG AddRef() override { return 1; }
    ULONG Release() override {
        ++m_pRecord->iReleases;
        return 1;
    }

private:
    ChooserRecord* m_pRecord;
};

class BrowseFolderTest : public PathHelpers {
protected:
    void Install(const char* pcChoice) {
        m_strChoice = pcChoice != nullptr ? pcChoice : "";
        m_bChoose = pcChoice != nullptr;
        m_previousBrowse = SetBrowseForFolderProvider([this](LPBROWSEINFOA lpbi) -> LPITEMIDLIST {
            ++m_record.iCalls;
            m_record.info = *lpbi;
            m_record.strTitle = lpbi->lpszTitle;
            HWND hwndDialog = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x5150));
            EXPECT_EQ(0, lpbi->lpfn(hwndDialog, BFFM_INITIALIZED, 0, lpbi->lParam));
            return m_bChoose ? CreateItemIdList(m_strChoice.c_str()) : nullptr;
        });
        m_previousSend = SetSendMessageProvider(
            [this](HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) -> LRESULT {
                EXPECT_EQ(reinterpret_cast<HWND>(static_cast<INT_PTR>(0x5150)), hWnd);
                EXPECT_EQ(static_cast<WPARAM>(TRUE), wParam);
                m_record.vecSentMessages.push_back(uMsg);
                m_record.vecSentPaths.emplace_back(reinterpret_cast<const char*>(lParam));
                return 0;
            });
        m_previousMalloc = SetShellMallocProvider([this](LPMALLOC* ppMalloc) {
            *ppMalloc = &m_malloc;
            return S_OK;
        });
    }
    void TearDown() override {
        SetBrowseForFolderProvider(std::move(m_previousBrowse));
        SetSendMessageProvider(std::move(m_previousSend));
        SetShellMallocProvider(std::move(m_previousMalloc));
    }

    ChooserRecord m_record;
    CountingMalloc m_malloc{&m_record};
    std::string m_strChoice;
    bool m_bChoose = false;
    BrowseForFolderProvider m_previousBrowse;
    SendMessageProvider m_previousSend;
    ShellMallocProvider m_previousMalloc;
};

TEST_F(BrowseFolderTest, ChoiceOpensOnTheInitialFolderAndFreesTheItemList) {
    const CString strChoice = AnsiFromUtf8("T:\\音楽\\表");
    Install(strChoice);
    const std::string strInitial = std::string(AnsiFromUtf8("T:\\ソ"));
    HWND hOwner = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x77));
    CString strResult;
    EXPECT_EQ(1, BrowseFolder(hOwner, strInitial.c_str(), &strResult));
    EXPECT_EQ(strChoice, strResult);

    EXPECT_EQ(1, m_record.iCalls);
    EXPECT_EQ(hOwner, m_record.info.hwndOwner);
    EXPECT_EQ(nullptr, m_record.info.pidlRoot);
    EXPECT_EQ(nullptr, m_record.info.pszDisplayName);
    EXPECT_EQ(0u, m_record.info.ulFlags);
    EXPECT_EQ(AnsiFromUtf8("フォルダを選択してください"), CString(m_record.strTitle.c_str()));
    EXPECT_EQ((std::vector<UINT>{BFFM_SETSELECTIONA}), m_record.vecSentMessages);
    EXPECT_EQ((std::vector<std::string>{strInitial}), m_record.vecSentPaths);
    EXPECT_EQ(1, m_record.iFrees);
    EXPECT_GE(m_record.iReleases, 1);
    EXPECT_EQ("", m_folders.TraceBytes());
}

TEST_F(BrowseFolderTest, EmptyInitialFolderStillOpensTheDialog) {
    Install("T:\\");
    CString strResult;
    EXPECT_EQ(1, BrowseFolder(nullptr, "", &strResult));
    EXPECT_STREQ("T:\\", strResult);
    EXPECT_EQ((std::vector<std::string>{""}), m_record.vecSentPaths);
}

TEST_F(BrowseFolderTest, CancelLeavesTheResultAlone) {
    Install(nullptr);
    CString strResult("unchanged");
    EXPECT_EQ(2, BrowseFolder(nullptr, "T:\\", &strResult));
    EXPECT_STREQ("unchanged", strResult);
    EXPECT_EQ(0, m_record.iFrees);
}

TEST_F(BrowseFolderTest, NullArgumentsAreRefusedWithoutALineFeed) {
    Install("T:\\");
    CString strResult;
    EXPECT_EQ(2, BrowseFolder(nullptr, nullptr, &strResult));
    EXPECT_EQ(2, BrowseFolder(nullptr, "T:\\", nullptr));
    EXPECT_EQ(0, m_record.iCalls);
    EXPECT_EQ(StoredText("※　引数が無効です。※　引数が無効です。"), m_folders.TraceBytes());
}

TEST(BrowseFolderQuiet, WithoutAWindowTheChooserCancels) {
    CString strResult;
    EXPECT_EQ(2, BrowseFolder(nullptr, "C:\\", &strResult));
}

} // namespace
