#include <cstdlib>
#include <filesystem>
#include <map>

#include "tests/app/window/MainWindowFixture.h"

namespace {

using namespace tessaly::test;

constexpr const char* kUndoItem = "直前の実行を元に戻す(&U)...";
constexpr WPARAM kUndoCommand = 48;

// Sets an environment variable for one scope (unset for an empty value) and puts it back.
class ScopedVariable {
public:
    ScopedVariable(const char* pcName, const std::string& strValue) : m_strName(pcName) {
        if (const char* pcOld = std::getenv(pcName)) {
            m_strOld = pcOld;
            m_bHadOld = true;
        }
        Set(strValue);
    }
    ~ScopedVariable() { Set(m_bHadOld ? m_strOld : std::string()); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    void Set(const std::string& strValue) {
#ifdef _WIN32
        _putenv_s(m_strName.c_str(), strValue.c_str());
#else
        if (strValue.empty()) {
            unsetenv(m_strName.c_str());
        } else {
            setenv(m_strName.c_str(), strValue.c_str(), 1);
        }
#endif
    }
    std::string m_strName;
    std::string m_strOld;
    bool m_bHadOld = false;
};

class UndoTest : public MainWindowTest {
protected:
    // The journals go to this test's drive, or nowhere when "state" cannot be a folder: every
    // state folder the program tries is below it.
    ScopedVariable m_localAppData{"LOCALAPPDATA", m_drive.WinPath("state")};
    ScopedVariable m_stateHome{"XDG_STATE_HOME", m_drive.PosixPath("state")};
    ScopedVariable m_home{"HOME", m_drive.PosixPath("state")};

    void AddTemplateAndExecute() {
        AddEverythingIn("tpl");
        m_dialog.m_strTargetFolder = m_drive.WinPath("flat").c_str();
        Click(1009);
        ASSERT_TRUE(WaitIdle());
    }
    bool UndoItemEnabled() { return SystemMenuItemEnabled(kUndoItem); }
    std::map<std::string, std::string> Flat() const {
        std::map<std::string, std::string> files;
        for (const auto& entry :
             std::filesystem::recursive_directory_iterator(m_drive.Native("flat"))) {
            const std::string strRel = entry.path().lexically_relative(m_drive.Native()).string();
            files[strRel] = entry.is_directory() ? "<folder>" : m_drive.ReadBytes(strRel);
        }
        return files;
    }
    void MakeTree() {
        for (const char* pszName : {"a/one", "a/b/two", "three"}) {
            m_drive.WriteBytes(std::string("tpl/") + pszName + ".wav", "");
        }
        for (const char* pszName : {"one", "two", "three"}) {
            m_drive.WriteBytes(std::string("flat/") + pszName + ".mp3", pszName);
        }
    }
};

} // namespace

TEST_F(UndoTest, UndoTakesTheLastExecuteBackAfterAskingAndSaysHowManyWentBack) {
    MakeTree();
    const auto before = Flat();
    Run([&] {
        EXPECT_FALSE(UndoItemEnabled()) << "nothing to undo yet";
        AddTemplateAndExecute();
        EXPECT_NE(Flat(), before);
        EXPECT_TRUE(UndoItemEnabled());
        g_bWorkerIdle = FALSE;
        EXPECT_FALSE(UndoItemEnabled()) << "offered while a worker runs";
        g_bWorkerIdle = TRUE;
        m_dialog.SendMessage(WM_SYSCOMMAND, kUndoCommand, 0);
        ASSERT_TRUE(WaitIdle());
        EXPECT_FALSE(UndoItemEnabled()) << "offered again once undone";
    });
    EXPECT_EQ(Flat(), before);
    EXPECT_EQ(Message(0), "3 個中 2 個のファイルを移動しました。\n");
    EXPECT_EQ(Message(1), "2 個のファイルを元の場所に戻します。よろしいですか？");
    EXPECT_EQ(Message(2), "2 個中 2 個のファイルを元に戻しました。");
    EXPECT_EQ(m_boxes.Types().at(1), static_cast<UINT>(MB_OKCANCEL | MB_ICONQUESTION));
}

TEST_F(UndoTest, WithoutAJournalExecuteAsksAndOnlyOkMoves) {
    MakeTree();
    // A file where the state folder would be: no journal can be written.
    m_drive.WriteBytes("state", "");
    const auto before = Flat();
    for (const int nAnswer : {IDCANCEL, IDOK}) {
        SCOPED_TRACE(nAnswer);
        MessageBoxRecorder answers(nAnswer);
        Run([&] {
            AddTemplateAndExecute();
            EXPECT_FALSE(UndoItemEnabled());
        });
        ASSERT_FALSE(answers.Texts().empty());
        EXPECT_EQ(tessaly::win32::AnsiToUtf8(answers.Texts()[0]),
                  "移動の記録を書けません。元に戻すことはできませんが、実行しますか？");
        EXPECT_EQ(Flat() == before, nAnswer == IDCANCEL);
    }
}
