#include "platform/framework/core/MessageBox.h"
#include "platform/framework/core/Shell.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/common/RecordingProviders.h"

namespace {

using namespace tessaly::framework;

TEST(MessageBoxProvider, QuietBoxRecordsAndAnswersOk) {
    ClearQuietMessageBoxTexts();
    EXPECT_EQ(IDOK, AfxMessageBox("first"));
    EXPECT_EQ(IDOK, AfxMessageBox("second", MB_YESNO));
    EXPECT_EQ((std::vector<std::string>{"first", "second"}), QuietMessageBoxTexts());
    ClearQuietMessageBoxTexts();
}

TEST(MessageBoxProvider, InstalledProviderAnswersAndIsRestored) {
    ClearQuietMessageBoxTexts();
    {
        tessaly::test::MessageBoxRecorder recorder(IDNO);
        EXPECT_EQ(IDNO, AfxMessageBox("ask", MB_YESNO | MB_ICONQUESTION));
        EXPECT_EQ((std::vector<std::string>{"ask"}), recorder.Texts());
        EXPECT_EQ((std::vector<UINT>{MB_YESNO | MB_ICONQUESTION}), recorder.Types());
    }
    EXPECT_TRUE(QuietMessageBoxTexts().empty());
    EXPECT_EQ(IDOK, AfxMessageBox("quiet again"));
    EXPECT_EQ(1u, QuietMessageBoxTexts().size());
    ClearQuietMessageBoxTexts();
}

TEST(ShellProviders, WithoutWindowTheChooserCancelsAndOpenSucceedsQuietly) {
    BROWSEINFOA bi{};
    EXPECT_EQ(nullptr, SHBrowseForFolderA(&bi));
    const auto iResult = reinterpret_cast<INT_PTR>(
        ShellExecuteA(nullptr, "open", "C:\\ConflictFile.txt", nullptr, nullptr, SW_SHOWNORMAL));
    EXPECT_GT(iResult, 32);
    EXPECT_EQ(0, SendMessageA(nullptr, BFFM_SETSELECTIONA, TRUE, 0));
}

TEST(ShellProviders, ItemListCarriesThePathUpToMaxPath) {
    struct Row {
        std::string strPath;
        BOOL bOk;
    };
    const Row rows[] = {
        {"C:\\music", TRUE},
        {"Z:", TRUE},
        {std::string("C:\\") + std::string(MAX_PATH - 4, 'a'), TRUE}, // MAX_PATH - 1 bytes
        {std::string("C:\\") + std::string(MAX_PATH - 3, 'a'), FALSE},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        LPITEMIDLIST pidl = CreateItemIdList(rows[i].strPath.c_str());
        ASSERT_NE(nullptr, pidl) << "row " << i;
        char acPath[2000] = "stale";
        EXPECT_EQ(rows[i].bOk, SHGetPathFromIDListA(pidl, acPath)) << "row " << i;
        EXPECT_EQ(rows[i].bOk ? rows[i].strPath : std::string(), acPath) << "row " << i;
        LPMALLOC pMalloc = nullptr;
        ASSERT_EQ(S_OK, SHGetMalloc(&pMalloc));
        pMalloc->Free(pidl);
        pMalloc->Release();
    }
}

TEST(ShellProviders, ForeignOrNullItemListGivesNoPath) {
    char acPath[MAX_PATH] = "stale";
    EXPECT_FALSE(SHGetPathFromIDListA(nullptr, acPath));
    EXPECT_STREQ("", acPath);
    // An item list of another shell's making: a 6-byte item, then the end.
    const BYTE abForeign[] = {6, 0, 'a', 'b', 'c', 'd', 0, 0};
    std::strcpy(acPath, "stale");
    EXPECT_FALSE(SHGetPathFromIDListA(reinterpret_cast<LPCITEMIDLIST>(abForeign), acPath));
    EXPECT_STREQ("", acPath);
}

TEST(ShellProviders, BrowseProviderSeesTheRequestAndIsRestored) {
    std::string strSeenTitle;
    BrowseForFolderProvider previous = SetBrowseForFolderProvider([&](LPBROWSEINFOA lpbi) {
        strSeenTitle = lpbi->lpszTitle;
        return CreateItemIdList("D:\\out");
    });
    BROWSEINFOA bi{};
    bi.lpszTitle = "title";
    LPITEMIDLIST pidl = SHBrowseForFolderA(&bi);
    SetBrowseForFolderProvider(std::move(previous));
    ASSERT_NE(nullptr, pidl);
    EXPECT_EQ("title", strSeenTitle);
    char acPath[MAX_PATH] = {};
    EXPECT_TRUE(SHGetPathFromIDListA(pidl, acPath));
    EXPECT_STREQ("D:\\out", acPath);
    DefaultShellMalloc()->Free(pidl);
    EXPECT_EQ(nullptr, SHBrowseForFolderA(&bi));
}

} // namespace
