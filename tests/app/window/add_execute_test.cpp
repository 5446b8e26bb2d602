#include <algorithm>
#include <filesystem>

#include "tests/app/window/MainWindowFixture.h"

namespace {

using namespace tessaly::test;

// Confirms the picker, once it is open, with every entry of its start folder selected.
void ConfirmPickerWithEverything() {
    WhenModal(103, [](WindowHandle hPicker) {
        Click(DialogItem(hPicker, 1020));
        Click(DialogItem(hPicker, 1));
    });
}

void CancelPicker(bool* pbOpened) {
    WhenModal(103, [pbOpened](WindowHandle hPicker) {
        *pbOpened = true;
        Click(DialogItem(hPicker, 2));
    });
}

class AddExecuteTest : public MainWindowTest {
protected:
    void SetFilter(const char* pszUtf8, bool bRegex) {
        SetEditText(Control(1011), pszUtf8);
        SetChecked(Control(1012), bRegex);
    }
    // Add with everything in the drive's root picked; the rows' names afterwards.
    std::vector<std::string> AddEverything() {
        ConfirmPickerWithEverything();
        Click(1001);
        EXPECT_TRUE(WaitIdle());
        std::vector<std::string> names;
        for (int i = 0; i < ListRowCount(List()); ++i) {
            names.push_back(Cell(i, 0));
        }
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(AddExecuteTest, FilterRefusalsShowTheirMessageAndOpenNoPicker) {
    struct Case {
        const char* pszFilter;
        bool bRegex;
        const char* pszMessage;
    };
    const Case cases[] = {
        {".wav", false, "次の文字は使えません。\n　/\\<>|:\"."},
        {"mpeg4", false, "拡張子が長すぎます。"},
        {"音楽名", false, "拡張子が長すぎます。"},
        {"(", true, "※　無効な正規表現です"},
    };
    bool bPickerOpened = false;
    Run([&] {
        CancelPicker(&bPickerOpened);
        for (const Case& c : cases) {
            SetFilter(c.pszFilter, c.bRegex);
            Click(1001);
            EXPECT_TRUE(IsEnabled(Control(1001))) << c.pszFilter;
        }
    });
    EXPECT_FALSE(bPickerOpened);
    ASSERT_EQ(m_boxes.Texts().size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(Message(i), cases[i].pszMessage) << cases[i].pszFilter;
    }
}

TEST_F(AddExecuteTest, ExtensionFilterCollectsAcrossCaseAndEmptyFieldsStandForEverything) {
    m_drive.WriteBytes("tpl/a.wav", "aa");
    m_drive.WriteBytes("tpl/sub/b.Wav", "bbb");
    m_drive.WriteBytes("tpl/c.mp3", "c");
    std::vector<std::string> vecWav, vecStarless, vecAll, vecRegexAll;
    std::string strStarText, strRegexText;
    Run([&] {
        SetFilter("WAV", false);
        vecWav = AddEverything();
        Click(1005);
        SetFilter("w*", false);
        vecStarless = AddEverything();
        SetFilter("", false);
        vecAll = AddEverything();
        strStarText = Text(1011);
        Click(1005);
        SetFilter("", true);
        vecRegexAll = AddEverything();
        strRegexText = Text(1011);
    });
    EXPECT_EQ(vecWav, (std::vector<std::string>{"a.wav", "b.Wav"}));
    EXPECT_TRUE(vecStarless.empty());
    EXPECT_EQ(vecAll, (std::vector<std::string>{"TraceFile.txt", "a.wav", "b.Wav", "c.mp3"}));
    EXPECT_EQ(strStarText, "*");
    EXPECT_EQ(vecRegexAll, vecAll);
    EXPECT_EQ(strRegexText, ".+");
    EXPECT_TRUE(m_boxes.Texts().empty());
}

TEST_F(AddExecuteTest, CancelLeavesEverythingAsItWas) {
    m_drive.WriteBytes("tpl/a.wav", "a");
    bool bOpened = false;
    Run([&] {
        CancelPicker(&bOpened);
        Click(1001);
        EXPECT_TRUE(IsEnabled(Control(1001)));
        EXPECT_EQ(ListRowCount(List()), 0);
    });
    EXPECT_TRUE(bOpened);
    EXPECT_EQ(m_dialog.m_store.GetCount(), 0u);
    EXPECT_EQ(Utf8(m_dialog.m_strPickerFolder), tessaly::win32::AnsiToUtf8(m_drive.Drive()));
}

TEST_F(AddExecuteTest, DuplicatesAcrossAddsAreReportedRemovedAndTheirIdsReused) {
    m_drive.WriteBytes("x/song.wav", "1");
    m_drive.WriteBytes("x/other.wav", "22");
    std::vector<std::string> vecFirst, vecSecond, vecThird;
    DWORD nSongId = 0;
    DWORD nNewId = 1;
    Run([&] {
        vecFirst = AddEverything();
        nSongId = m_dialog.m_store
                      .GetAt(static_cast<DWORD>(
                          m_dialog.m_store.FindByPath(m_drive.WinPath("x/song.wav").c_str())))
                      .m_nId;
        m_drive.WriteBytes("y/song.wav", "333");
        vecSecond = AddEverything();
        m_drive.WriteBytes("z/new.wav", "4444");
        vecThird = AddEverything();
        nNewId = m_dialog.m_store
                     .GetAt(static_cast<DWORD>(
                         m_dialog.m_store.FindByPath(m_drive.WinPath("z/new.wav").c_str())))
                     .m_nId;
    });
    EXPECT_EQ(vecFirst, (std::vector<std::string>{"other.wav", "song.wav"}));
    EXPECT_EQ(vecSecond, (std::vector<std::string>{"other.wav"}));
    EXPECT_EQ(vecThird, (std::vector<std::string>{"new.wav", "other.wav"}));
    EXPECT_EQ(nNewId, nSongId) << "the excluded duplicate's identifier was not reused";
    ASSERT_FALSE(m_boxes.Texts().empty());
    EXPECT_EQ(Message(0), "※　2 個のファイルが重複しています。");
    EXPECT_EQ(m_drive.ReadBytes("ConflictFile.txt"),
              std::string(AnsiFromUtf8("=====  重複したファイルのリスト  =====\r\n")) +
                  m_drive.WinPath("x/song.wav") + "\r\n" + m_drive.WinPath("y/song.wav") +
                  "\r\n\r\n");
    // The third Add picks x/song.wav again, so its conflict is reported again.
    ASSERT_EQ(m_opens.Files().size(), 2u);
    EXPECT_EQ(m_opens.Files()[0], m_drive.WinPath("ConflictFile.txt"));
}

TEST_F(AddExecuteTest, ExecuteMovesTheFlatFilesIntoTheTemplateLayout) {
    m_drive.WriteBytes("tpl/a.wav", "a");
    m_drive.WriteBytes("tpl/sub/b.wav", "b");
    m_drive.WriteBytes("tpl/sub/deeper/c.wav", "c");
    m_drive.WriteBytes("flat/a.mp3", "A");
    m_drive.WriteBytes("flat/b.mp3", "B");
    m_drive.WriteBytes("flat/c.mp3", "C");
    int iProgress = 0;
    Run([&] {
        // The picker opens inside tpl, as after an Add confirmed there: tpl is the root and
        // a.wav lies at it.
        m_dialog.SetNextPickerFolder(m_drive.WinPath("tpl").c_str());
        ConfirmPickerWithEverything();
        Click(1001);
        ASSERT_TRUE(WaitIdle());
        ASSERT_EQ(m_dialog.m_store.GetCount(), 3u);
        Click(1009);
        EXPECT_EQ(Message(0), "振り分け元フォルダがセットされていません");
        m_dialog.m_strTargetFolder = m_drive.WinPath("flat").c_str();
        SetEditText(Control(1010), "");
        Click(1009);
        EXPECT_EQ(Message(1), "振り分けるファイルの拡張子がセットされていません");
        SetEditText(Control(1010), "mp3");
        Click(1009);
        ASSERT_TRUE(WaitIdle());
        iProgress = Progress(Control(1006)).iPos;
        Click(1009);
        ASSERT_TRUE(WaitIdle());
    });
    EXPECT_EQ(Message(2), "3 個中 2 個のファイルを移動しました。\n");
    EXPECT_EQ(Message(3), "3 個中 0 個のファイルを移動しました。\n");
    EXPECT_EQ(iProgress, 1024);
    EXPECT_EQ(m_drive.ReadBytes("flat/sub/b.mp3"), "B");
    EXPECT_EQ(m_drive.ReadBytes("flat/sub/deeper/c.mp3"), "C");
    EXPECT_EQ(m_drive.ReadBytes("flat/a.mp3"), "A");
    EXPECT_FALSE(m_drive.Exists("flat/b.mp3"));
}

TEST_F(AddExecuteTest, ClosingDuringACollectionWaitsForItsWorker) {
    // Enough files that the walk is still running when the window closes.
    for (int i = 0; i < 3000; ++i) {
        m_drive.WriteBytes("big/d" + std::to_string(i % 30) + "/f" + std::to_string(i) + ".wav",
                           "");
    }
    bool bWasBusy = false;
    const INT_PTR nResult = RunModalWith(m_dialog, [&] {
        ConfirmPickerWithEverything();
        RunLater(20, [&] {
            bWasBusy = !g_bWorkerIdle;
            ClickCloseBox(m_dialog.m_hWnd);
        });
        Click(1001);
    });
    EXPECT_EQ(nResult, IDCANCEL);
    EXPECT_TRUE(g_bWorkerIdle) << "the window closed before its worker ended";
    if (bWasBusy) {
        EXPECT_TRUE(g_bClosing);
    }
}

} // namespace
