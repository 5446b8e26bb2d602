#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <map>

#include "tests/app/window/MainWindowFixture.h"

namespace {

using namespace tessaly::test;

constexpr const char* kPlanItem = "実行の予定を表示(&P)...";
constexpr WPARAM kPlanCommand = 32;

class PlanTest : public MainWindowTest {
protected:
    void AddTemplate() { AddEverythingIn("tpl"); }
    bool PlanItemEnabled() { return SystemMenuItemEnabled(kPlanItem); }
    // Every file below flat: its path there ('/' separating) and its bytes.
    std::map<std::string, std::string> FlatFiles() const {
        std::map<std::string, std::string> files;
        for (const auto& entry :
             std::filesystem::recursive_directory_iterator(m_drive.Native("flat"))) {
            if (entry.is_regular_file()) {
                const std::u8string strRel =
                    entry.path().lexically_relative(m_drive.Native("flat")).generic_u8string();
                const std::string strPath(strRel.begin(), strRel.end());
                files[strPath] = m_drive.ReadBytes("flat/" + strPath);
            }
        }
        return files;
    }
    // A shown path of flat as its path there.
    std::string InFlat(std::string strShown) const {
        strShown.erase(0, m_drive.PosixPath("flat").size() + 1);
        std::replace(strShown.begin(), strShown.end(), '\\', '/');
        return strShown;
    }
};

TEST_F(PlanTest, ThePlanFileSaysWhatExecuteThenDoes) {
    for (const char* pszName : {"sub/moves", "sub/gone", "sub/taken", "x/café", "y/CAFÉ"}) {
        m_drive.WriteBytes(std::string("tpl/") + pszName + ".wav", "");
    }
    m_drive.WriteBytes("flat/moves.mp3", "moves");
    m_drive.WriteBytes("flat/taken.mp3", "taken");
    m_drive.WriteBytes("flat/sub/taken.mp3", "already there");
    m_drive.WriteBytes("flat/café.mp3", "café");
    const auto before = FlatFiles();
    std::map<std::string, std::string> afterPlan;
    std::map<std::string, std::string> expectedLines;
    Run([&] {
        AddTemplate();
        ASSERT_EQ(m_dialog.m_store.GetCount(), 5u);
        m_dialog.m_strTargetFolder = m_drive.WinPath("flat").c_str();
        m_dialog.SendMessage(WM_SYSCOMMAND, kPlanCommand, 0);
        afterPlan = FlatFiles();
        // The earlier of the two names for café.mp3 in the list claims it; the walk decides which.
        const bool bLowerFirst =
            m_dialog.m_store.FindByPath(m_drive.WinPath("tpl/x/café.wav").c_str()) <
            m_dialog.m_store.FindByPath(m_drive.WinPath("tpl/y/CAFÉ.wav").c_str());
        const std::string strFirst = bLowerFirst ? "x/café" : "y/CAFÉ";
        const std::string strSecond = bLowerFirst ? "y/CAFÉ" : "x/café";
        auto flat = [&](const std::string& strRel) { return m_drive.PosixPath("flat/" + strRel); };
        expectedLines = {
            {"moves", "would move " + flat("moves.mp3") + " -> " + flat("sub/moves.mp3")},
            {"gone", "would skip " + flat("gone.mp3") + ": source missing"},
            {"taken", "would skip " + flat("taken.mp3") + ": destination exists"},
            {strFirst,
             "would move " + flat(strFirst.substr(2) + ".mp3") + " -> " + flat(strFirst + ".mp3")},
            {strSecond, "would skip " + flat(strSecond.substr(2) + ".mp3") + ": claimed by " +
                            m_drive.PosixPath("tpl/" + strFirst + ".wav")},
        };
        Click(1009);
        ASSERT_TRUE(WaitIdle());
    });
    EXPECT_EQ(afterPlan, before) << "the plan moved something";
    ASSERT_EQ(m_opens.Files().size(), 1u);
    EXPECT_EQ(m_opens.Files()[0], m_drive.WinPath("MovePlan.txt"));

    // One line per entry in the list's order, in UTF-8 with its mark, since é is not in CP932.
    std::string strExpected(kUtf8Bom);
    for (DWORD i = 0; i < m_dialog.m_store.GetCount(); ++i) {
        std::string strPath = Utf8(CString(m_dialog.m_store.GetAt(i).m_strFullPath));
        std::replace(strPath.begin(), strPath.end(), '\\', '/');
        const auto it =
            std::find_if(expectedLines.begin(), expectedLines.end(), [&](const auto& line) {
                return strPath.find(line.first + ".wav") != std::string::npos;
            });
        ASSERT_NE(it, expectedLines.end()) << strPath;
        strExpected += it->second + "\r\n";
    }
    const std::string strPlan = m_drive.ReadBytes("MovePlan.txt");
    EXPECT_EQ(strPlan, strExpected);

    // Execute moved the files the plan said would move, and nothing else.
    std::map<std::string, std::string> expectedAfter = before;
    size_t uMoves = 0;
    for (size_t uStart = kUtf8Bom.size(); uStart < strPlan.size();) {
        const size_t uEnd = strPlan.find("\r\n", uStart);
        const std::string strLine = strPlan.substr(uStart, uEnd - uStart);
        uStart = uEnd + 2;
        const size_t uArrow = strLine.find(" -> ");
        if (strLine.rfind("would move ", 0) == 0 && uArrow != std::string::npos) {
            const std::string strSrc = InFlat(strLine.substr(11, uArrow - 11));
            const std::string strDst = InFlat(strLine.substr(uArrow + 4));
            auto node = expectedAfter.extract(strSrc);
            ASSERT_FALSE(node.empty()) << strLine;
            node.key() = strDst;
            expectedAfter.insert(std::move(node));
            ++uMoves;
        }
    }
    EXPECT_EQ(FlatFiles(), expectedAfter);
    EXPECT_EQ(Message(0), "5 個中 " + std::to_string(uMoves) + " 個のファイルを移動しました。\n");
}

TEST_F(PlanTest, ThePlanItemIsOfferedWithRowsAndAnOperationFolderWhileNoWorkerRuns) {
    m_drive.WriteBytes("tpl/a.wav", "");
    struct Case {
        bool bRows;
        bool bFolder;
        bool bWorkerRuns;
        bool bEnabled;
    };
    const Case cases[] = {
        {false, false, false, false}, {true, false, false, false}, {false, true, false, false},
        {true, true, false, true},    {true, true, true, false},   {false, true, false, false},
    };
    Run([&] {
        for (size_t i = 0; i < std::size(cases); ++i) {
            const Case& c = cases[i];
            if (c.bRows && ListRowCount(List()) == 0) {
                AddTemplate();
            } else if (!c.bRows) {
                Click(1005);
            }
            m_dialog.m_strTargetFolder = c.bFolder ? m_drive.WinPath("tpl").c_str() : "";
            g_bWorkerIdle = c.bWorkerRuns ? FALSE : TRUE;
            EXPECT_EQ(PlanItemEnabled(), c.bEnabled) << "case " << i;
            // The command itself is refused where the item is greyed.
            m_dialog.SendMessage(WM_SYSCOMMAND, kPlanCommand, 0);
            g_bWorkerIdle = TRUE;
            EXPECT_EQ(m_drive.Exists("MovePlan.txt"), c.bEnabled) << "case " << i;
            std::filesystem::remove(m_drive.Native("MovePlan.txt"));
        }
    });
    EXPECT_TRUE(m_boxes.Texts().empty());
}

TEST_F(PlanTest, RefusalsAndAWriteFailureAreSaidAndAPlanOfCp932NamesIsInCp932) {
    m_drive.WriteBytes("tpl/曲/歌.wav", "");
    m_drive.WriteBytes("flat/歌.mp3", "");
    struct Case {
        const char* pszExt;
        bool bWriteFails;
        std::string strMessage; // empty: the plan is written
    };
    const Case cases[] = {
        {"", false, "振り分けるファイルの拡張子がセットされていません"},
        {"..", false, "操作対象拡張子に使えない文字が含まれています。"},
        {"m/p3", false, "操作対象拡張子に使えない文字が含まれています。"},
        {"mp3", true,
         "MovePlan.txt を書けませんでした。ファイルの場所：\n" + m_drive.ShownPath("MovePlan.txt")},
        {"mp3", false, ""},
    };
    Run([&] {
        AddTemplate();
        m_dialog.m_strTargetFolder = m_drive.WinPath("flat").c_str();
        for (const Case& c : cases) {
            if (c.bWriteFails && !tessaly::win32::CanFailSysCalls()) {
                continue;
            }
            if (c.bWriteFails) {
                tessaly::win32::FailSysCall(tessaly::win32::SysCall::Open, EACCES, -1, 0,
                                            "MovePlan.txt");
            }
            SetEditText(Control(1010), c.pszExt);
            const size_t uBoxes = m_boxes.Texts().size();
            m_dialog.SendMessage(WM_SYSCOMMAND, kPlanCommand, 0);
            tessaly::win32::ClearSysCallFailures();
            EXPECT_EQ(m_drive.Exists("MovePlan.txt"), c.strMessage.empty()) << c.pszExt;
            EXPECT_EQ(Message(uBoxes), c.strMessage.empty() ? "<none>" : c.strMessage) << c.pszExt;
        }
    });
    // Only the plan that was written was opened.
    ASSERT_EQ(m_opens.Files().size(), 1u);
    EXPECT_EQ(m_drive.ReadBytes("MovePlan.txt"),
              std::string(AnsiFromUtf8(("would move " + m_drive.PosixPath("flat/歌.mp3") + " -> " +
                                        m_drive.PosixPath("flat/曲/歌.mp3") + "\r\n")
                                           .c_str())));
}

} // namespace
