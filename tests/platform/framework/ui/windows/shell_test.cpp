// The framework's shell pieces on Windows, checked through Windows' own API: drop handles that
// DragQueryFileW reads, the icons and manifest the resource script puts in the executable, and the
// folder chooser's ANSI messages arriving as the wide ones it understands.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/framework/core/Shell.h"
#include "platform/framework/ui/Gdi.h"
#include "platform/framework/ui/WinApp.h"
#include "platform/framework/ui/WinUser.h"
#include "platform/win32/NameCodec.h"
#include "tests/platform/framework/ui/windows/NativeProbe.h"

namespace {

std::string Ansi(const char* pszUtf8) {
    std::string strAnsi;
    tessaly::win32::Utf8ToAnsi(pszUtf8, strAnsi);
    return strAnsi;
}

struct DropCase {
    const char* pszUtf8;
    const wchar_t* pszWide; // what DragQueryFileW must read
};

// Plain ASCII, CP932 with a trail byte 0x5C (表, ソ), and characters outside CP932 (é, 한).
const DropCase kDropCases[] = {
    {"C:\\Music\\a.wav", L"C:\\Music\\a.wav"},
    {"D:\\\xE8\xA1\xA8\\\xE3\x82\xBD.mp3", L"D:\\\u8868\\\u30BD.mp3"},
    {"E:\\caf\xC3\xA9\\\xED\x95\x9C", L"E:\\caf\u00E9\\\uD55C"},
};

TEST(WindowsDrop, PathsCrossToTheShellAndBackUnchanged) {
    std::vector<std::string> vecAnsi;
    std::vector<const char*> vecPaths;
    for (const DropCase& dropCase : kDropCases) {
        vecAnsi.push_back(Ansi(dropCase.pszUtf8));
    }
    for (const std::string& strAnsi : vecAnsi) {
        vecPaths.push_back(strAnsi.c_str());
    }
    const HDROP hDrop = MakeDropHandle(vecPaths.data(), static_cast<UINT>(vecPaths.size()));
    ASSERT_NE(hDrop, nullptr);
    EXPECT_EQ(probe::WideDropCount(hDrop), std::size(kDropCases));
    EXPECT_EQ(DragQueryFileA(hDrop, 0xFFFFFFFFu, nullptr, 0), std::size(kDropCases));
    for (UINT i = 0; i < std::size(kDropCases); ++i) {
        SCOPED_TRACE(kDropCases[i].pszUtf8);
        EXPECT_EQ(probe::WideDropPath(hDrop, i), kDropCases[i].pszWide);
        const std::string& strAnsi = vecAnsi[i];
        const auto cbPath = static_cast<UINT>(strAnsi.size());
        EXPECT_EQ(DragQueryFileA(hDrop, i, nullptr, 0), cbPath);
        char acPath[MAX_PATH];
        EXPECT_EQ(DragQueryFileA(hDrop, i, acPath, MAX_PATH), cbPath);
        EXPECT_EQ(std::string(acPath), strAnsi);
        // A short buffer takes cch - 1 bytes and the terminator, never more.
        for (UINT cch : {cbPath, 4u, 1u}) {
            std::memset(acPath, 'X', sizeof(acPath));
            EXPECT_EQ(DragQueryFileA(hDrop, i, acPath, cch), cch - 1);
            EXPECT_EQ(std::string(acPath), strAnsi.substr(0, cch - 1));
            EXPECT_EQ(acPath[cch], 'X');
        }
    }
    char acUntouched[4] = "abc";
    EXPECT_EQ(DragQueryFileA(hDrop, std::size(kDropCases), acUntouched, 4), 0u);
    EXPECT_EQ(DragQueryFileA(hDrop, 0, acUntouched, 0), 0u);
    EXPECT_STREQ(acUntouched, "abc");
    DragFinish(hDrop);
    EXPECT_EQ(DragQueryFileA(nullptr, 0xFFFFFFFFu, nullptr, 0), 0u);
}

TEST(WindowsResources, IconsHoldEverySizeOfTheirImages) {
    struct IconCase {
        UINT nId;
        int cxy;
    };
    for (const IconCase& iconCase :
         {IconCase{128, 16}, IconCase{128, 24}, IconCase{128, 48}, IconCase{128, 256},
          IconCase{130, 16}, IconCase{130, 32}, IconCase{131, 16}, IconCase{131, 32}}) {
        SCOPED_TRACE(testing::Message() << iconCase.nId << " at " << iconCase.cxy);
        EXPECT_EQ(probe::IconWidth(probe::LoadIconAtSize(iconCase.nId, iconCase.cxy)),
                  iconCase.cxy);
    }
    for (UINT nId : {128u, 130u, 131u}) {
        EXPECT_EQ(probe::IconWidth(LoadIconResource(nId)), probe::SystemIconSize()) << nId;
    }
    // 0x10080 would be read as the address of a resource's name, were it not refused.
    for (UINT nId : {0u, 129u, 132u, 0x10080u}) {
        EXPECT_EQ(LoadIconResource(nId), nullptr) << nId;
    }
}

TEST(WindowsResources, ManifestBindsCommonControlsSix) {
    // Version 6 lives in its side-by-side assembly's folder; without the manifest, system32's
    // version 5 loads (Wine's version 6 reports 5.81 through DllGetVersion, so the path decides).
    const std::wstring strPath = probe::CommonControlsPath();
    EXPECT_NE(strPath.find(L"\\winsxs\\"), std::wstring::npos) << strPath;
    EXPECT_NE(strPath.find(L"microsoft.windows.common-controls_6595b64144ccf1df_6.0."),
              std::wstring::npos);
}

// The chooser's wide messages, BFFM_SETSELECTIONW and BFFM_SETSTATUSTEXTW.
constexpr unsigned kSetSelectionW = WM_USER + 103;
constexpr unsigned kSetStatusTextW = WM_USER + 104;

TEST(WindowsProviders, ChooserMessagesArriveWide) {
    tessaly::framework::RegisterWindowProviders();
    void* hwnd = probe::CreateRecordingWindow();
    ASSERT_NE(hwnd, nullptr);
    const std::string strPath = Ansi("C:/\xE8\xA1\xA8/caf\xC3\xA9");
    const std::string strStatus = Ansi("\xE7\x8A\xB6\xE6\x85\x8B \xED\x95\x9C");
    LPITEMIDLIST pidl = tessaly::framework::CreateItemIdList(Ansi("D:\\\xE6\x9B\xB2").c_str());
    struct SendCase {
        UINT uMsg;
        WPARAM wParam;
        LPARAM lParam;
        unsigned uWideMsg;
        std::uintptr_t wWideParam;
        const wchar_t* pszText; // null: lParam goes through as it is
    };
    const SendCase cases[] = {
        {BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(strPath.c_str()), kSetSelectionW, TRUE,
         L"C:\\\u8868\\caf\u00E9"},
        {BFFM_SETSELECTIONA, FALSE, reinterpret_cast<LPARAM>(pidl), kSetSelectionW, TRUE,
         L"D:\\\u66F2"},
        {BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(strStatus.c_str()), kSetStatusTextW, 0,
         L"\u72B6\u614B \uD55C"},
        {BFFM_ENABLEOK, 0, 1, BFFM_ENABLEOK, 0, nullptr},
        {WM_USER + 5, 7, -9, WM_USER + 5, 7, nullptr},
    };
    for (const SendCase& sendCase : cases) {
        SCOPED_TRACE(sendCase.uMsg);
        EXPECT_EQ(SendMessageA(hwnd, sendCase.uMsg, sendCase.wParam, sendCase.lParam),
                  static_cast<LRESULT>(sendCase.uWideMsg) + 1000);
        const probe::Sent sent = probe::LastSent();
        EXPECT_EQ(sent.uMsg, sendCase.uWideMsg);
        EXPECT_EQ(sent.wParam, sendCase.wWideParam);
        if (sendCase.pszText != nullptr) {
            EXPECT_EQ(sent.strText, sendCase.pszText);
        } else {
            EXPECT_EQ(sent.lParam, sendCase.lParam);
        }
    }
    LPMALLOC pMalloc = nullptr;
    ASSERT_TRUE(SUCCEEDED(SHGetMalloc(&pMalloc)));
    pMalloc->Free(pidl);
    pMalloc->Release();
    probe::DestroyRecordingWindow(hwnd);
}

// What the program's callback saw of the real chooser.
struct ChooserRun {
    std::string strStart;         // the folder it asks the chooser to open on
    std::vector<UINT> vecNotices; // BFFM_* in order
    std::string strLastSelection; // SHGetPathFromIDListA of the last BFFM_SELCHANGED
};

int CALLBACK OnChooserNotice(HWND hwnd, UINT uMsg, LPARAM lParam, LPARAM lpData) {
    auto* pRun = reinterpret_cast<ChooserRun*>(lpData);
    pRun->vecNotices.push_back(uMsg);
    if (uMsg == BFFM_INITIALIZED) {
        SendMessageA(hwnd, BFFM_SETSELECTIONA, TRUE,
                     reinterpret_cast<LPARAM>(pRun->strStart.c_str()));
        probe::PostOk(hwnd);
    } else if (uMsg == BFFM_SELCHANGED) {
        char acPath[MAX_PATH] = {};
        SHGetPathFromIDListA(reinterpret_cast<LPCITEMIDLIST>(lParam), acPath);
        pRun->strLastSelection = acPath;
    }
    return 0;
}

TEST(WindowsProviders, ChooserOpensOnTheProgramsFolderAndReturnsIt) {
    if (!probe::CanShowWindows()) {
        GTEST_SKIP() << "no display for the chooser's window";
    }
    tessaly::framework::RegisterWindowProviders();
    // A folder named outside CP932: its name crosses the codec both ways.
    const wchar_t* const pszFolder = L"tessaly-chooser-caf\u00E9-\uD55C";
    const std::string strUtf8 = probe::MakeTempFolder(pszFolder);
    ASSERT_FALSE(strUtf8.empty());
    ChooserRun run;
    run.strStart = Ansi(strUtf8.c_str());
    const std::string strTitle = Ansi("\xE3\x83\x95\xE3\x82\xA9\xE3\x83\xAB\xE3\x83\x80");
    BROWSEINFOA browseInfo = {};
    browseInfo.lpszTitle = strTitle.c_str();
    browseInfo.ulFlags = BIF_RETURNONLYFSDIRS;
    browseInfo.lpfn = OnChooserNotice;
    browseInfo.lParam = reinterpret_cast<LPARAM>(&run);
    LPITEMIDLIST pidl = SHBrowseForFolderA(&browseInfo);
    probe::RemoveTempFolder(pszFolder);
    ASSERT_NE(pidl, nullptr);
    char acPath[MAX_PATH] = {};
    EXPECT_TRUE(SHGetPathFromIDListA(pidl, acPath));
    EXPECT_EQ(std::string(acPath), run.strStart);
    EXPECT_EQ(run.strLastSelection, run.strStart);
    ASSERT_FALSE(run.vecNotices.empty());
    EXPECT_EQ(run.vecNotices.front(), static_cast<UINT>(BFFM_INITIALIZED));
    LPMALLOC pMalloc = nullptr;
    ASSERT_TRUE(SUCCEEDED(SHGetMalloc(&pMalloc)));
    pMalloc->Free(pidl);
    pMalloc->Release();
}

} // namespace
