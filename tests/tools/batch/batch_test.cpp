#include <gtest/gtest.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Result {
    int iExit = -1;
    std::string strOut;
    std::string strErr;
};

bool Contains(const std::string& strText, const std::string& strPart) {
    return strText.find(strPart) != std::string::npos;
}

std::string ReadAll(int fd) {
    std::string strOut;
    char acBuf[4096];
    for (;;) {
        const ssize_t cb = read(fd, acBuf, sizeof acBuf);
        if (cb > 0) {
            strOut.append(acBuf, static_cast<size_t>(cb));
        } else if (cb == 0 || errno != EINTR) {
            return strOut;
        }
    }
}

int ExitCode(int iStatus) {
    return WIFEXITED(iStatus) ? WEXITSTATUS(iStatus) : -1;
}

// The Windows build's tessaly-batch.exe that the suite drives under Wine instead of the Linux
// tool, through the windows-batch stand-in, or null.
const char* WindowsExe() {
    return std::getenv("TESSALY_BATCH_WINDOWS");
}

// Whether the suite drives the Windows build, where the row that asks cannot mean what it means
// on Linux; says why once, beside the test's own lines.
bool UnderWine(const std::string& strWhy) {
    if (WindowsExe() == nullptr) {
        return false;
    }
    static std::set<std::string> setSaid;
    if (setSaid.insert(strWhy).second) {
        std::printf("under Wine, not run: %s\n", strWhy.c_str());
    }
    return true;
}

// Skips a case that cannot mean under Wine what it means on Linux, saying why.
#define SKIP_UNDER_WINE(pcWhy)                                                                     \
    if (WindowsExe() != nullptr) {                                                                 \
        GTEST_SKIP() << "under Wine: " << (pcWhy);                                                 \
    }

// A temporary tree with its own copy of tessaly-batch, so that the TraceFile.txt and
// ConflictFile.txt beside it belong to this test alone.
class BatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string strTemplate = (fs::temp_directory_path() / "tessaly-batch-XXXXXX").string();
        ASSERT_NE(mkdtemp(strTemplate.data()), nullptr);
        m_root = strTemplate;
        fs::create_directories(m_root / "bin");
        if (WindowsExe() != nullptr) {
            fs::copy_file(WindowsExe(), m_root / "bin" / "tessaly-batch.exe");
            fs::create_symlink(TESSALY_BATCH_WINDOWS_STAND_IN, m_root / "bin" / "tessaly-batch");
        } else {
            fs::copy_file(TESSALY_BATCH_EXE, m_root / "bin" / "tessaly-batch");
        }
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(m_root, ec);
    }

    std::string Path(const std::string& strRelative) const {
        return (m_root / strRelative).string();
    }
    void Write(const std::string& strRelative, const std::string& strBytes = "x") const {
        const fs::path path = m_root / strRelative;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << strBytes;
    }
    std::string Read(const std::string& strRelative) const {
        std::ifstream file(m_root / strRelative, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }
    bool Exists(const std::string& strRelative) const { return fs::exists(m_root / strRelative); }
    // The tool's own view of an ASCII path below the root: drive Z: maps "/".
    std::string WinPath(const std::string& strRelative) const {
        std::string strPath =
            "Z:" + m_root.string() + (strRelative.empty() ? "" : "/" + strRelative);
        for (char& c : strPath) {
            c = c == '/' ? '\\' : c;
        }
        return strPath;
    }

    static std::string Quote(const std::string& strArg) {
        std::string strQuoted = "'";
        for (char c : strArg) {
            strQuoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        }
        return strQuoted + "'";
    }
    std::string Command(const std::vector<std::string>& args, const std::string& strEnv) const {
        std::string strCommand = strEnv + " " + Quote((m_root / "bin" / "tessaly-batch").string());
        for (const std::string& strArg : args) {
            strCommand += " " + Quote(strArg);
        }
        return strCommand;
    }

    // Runs the tool with the arguments and an optional environment (or prefix command). Its
    // journals go to the test's own state folder unless strEnv says otherwise.
    Result Run(const std::vector<std::string>& args, const std::string& strEnv = "") const {
        const fs::path errPath = m_root / "stderr.txt";
        const std::string strCommand = "XDG_STATE_HOME=" + Quote(Path("state")) + " " +
                                       Command(args, strEnv) + " 2>" + Quote(errPath.string());
        Result result;
        FILE* pPipe = popen(strCommand.c_str(), "r");
        if (pPipe == nullptr) {
            return result;
        }
        char acBuf[4096];
        size_t cb;
        while ((cb = fread(acBuf, 1, sizeof acBuf, pPipe)) > 0) {
            result.strOut.append(acBuf, cb);
        }
        result.iExit = ExitCode(pclose(pPipe));
        std::ifstream err(errPath, std::ios::binary);
        result.strErr = {std::istreambuf_iterator<char>(err), std::istreambuf_iterator<char>()};
        return result;
    }

    // Starts the tool with -t ROOT/flat ROOT/tpl, its standard output into a pipe (fdOut) and its
    // journals in the test's state folder.
    pid_t StartJob(int& fdOut) const {
        int afd[2];
        if (pipe(afd) != 0) {
            return -1;
        }
        const std::string strExe = (m_root / "bin" / "tessaly-batch").string();
        const std::string strFlat = Path("flat");
        const std::string strTpl = Path("tpl");
        const std::string strState = Path("state");
        const pid_t pid = fork();
        if (pid == 0) {
            dup2(afd[1], STDOUT_FILENO);
            close(afd[0]);
            close(afd[1]);
            setenv("XDG_STATE_HOME", strState.c_str(), 1);
            execl(strExe.c_str(), strExe.c_str(), "-t", strFlat.c_str(), strTpl.c_str(), nullptr);
            _exit(127);
        }
        close(afd[1]);
        fdOut = afd[0];
        return pid;
    }
    // Reads from fd into strOut until it holds nLines line ends.
    static void ReadLines(int fd, std::string& strOut, long nLines) {
        char acBuf[256];
        while (std::count(strOut.begin(), strOut.end(), '\n') < nLines) {
            const ssize_t cb = read(fd, acBuf, sizeof acBuf);
            ASSERT_GT(cb, 0);
            strOut.append(acBuf, static_cast<size_t>(cb));
        }
    }

    // Every file, folder and link below strRelative: its kind and content or target.
    std::map<std::string, std::string> Snapshot(const std::string& strRelative) const {
        std::map<std::string, std::string> mapTree;
        for (auto it = fs::recursive_directory_iterator(m_root / strRelative);
             it != fs::recursive_directory_iterator(); ++it) {
            const fs::path& path = it->path();
            const std::string strKey = fs::relative(path, m_root).string();
            if (fs::is_symlink(fs::symlink_status(path))) {
                mapTree[strKey] = "link " + fs::read_symlink(path).string();
            } else if (fs::is_directory(path)) {
                mapTree[strKey] = "folder";
            } else {
                mapTree[strKey] = "file " + Read(strKey);
            }
        }
        return mapTree;
    }

    fs::path m_root;
};

// The per-file lines, with the dry run's "would move"/"would skip" said as the run says them.
std::vector<std::string> Outcomes(const std::string& strOut) {
    std::vector<std::string> lines;
    size_t uStart = 0;
    while (uStart < strOut.size()) {
        size_t uEnd = strOut.find('\n', uStart);
        if (uEnd == std::string::npos) {
            uEnd = strOut.size();
        }
        std::string strLine = strOut.substr(uStart, uEnd - uStart);
        uStart = uEnd + 1;
        for (const auto& [strFrom, strTo] :
             {std::pair<std::string, std::string>{"would move ", "moved "},
              {"would skip ", "skipped "}}) {
            if (strLine.rfind(strFrom, 0) == 0) {
                strLine = strTo + strLine.substr(strFrom.size());
            }
        }
        if (strLine.rfind("moved ", 0) == 0 || strLine.rfind("skipped ", 0) == 0) {
            lines.push_back(strLine);
        }
    }
    return lines;
}

} // namespace

namespace {

// Files below flat/ in all, and those still directly in it (not moved yet).
std::pair<int, int> CountFiles(const fs::path& flat) {
    int iFiles = 0;
    int iFlat = 0;
    for (const auto& entry : fs::recursive_directory_iterator(flat)) {
        if (entry.is_regular_file()) {
            ++iFiles;
            iFlat += entry.path().parent_path() == flat;
        }
    }
    return {iFiles, iFlat};
}

} // namespace

TEST_F(BatchTest, GivesTheFlatFolderTheTemplatesLayout) {
    Write("wav/a.wav");
    Write("wav/sub/b.wav");
    Write("wav/sub/deeper/c.wav");
    for (const char* pcName : {"a", "b", "c"}) {
        Write(std::string("X/") + pcName + ".mp3", pcName);
    }
    const Result result = Run({"-t", Path("X"), Path("wav")});
    EXPECT_EQ(result.iExit, 0) << result.strOut;
    EXPECT_NE(result.strOut.find("3 個中 2 個のファイルを移動しました。"), std::string::npos)
        << result.strOut;
    EXPECT_EQ(Read("X/sub/b.mp3"), "b");
    EXPECT_EQ(Read("X/sub/deeper/c.mp3"), "c");
    EXPECT_EQ(Read("X/a.mp3"), "a");
    EXPECT_FALSE(Exists("X/b.mp3"));
    // CP932 for "※　指定ファイルは既に存在します。", then the destination on a line of its own.
    const std::string strExists = "\x81\xa6\x81\x40\x8e\x77\x92\xe8\x83\x74\x83\x40\x83\x43\x83\x8b"
                                  "\x82\xcd\x8a\xf9\x82\xc9\x91\xb6\x8d\xdd\x82\xb5\x82\xdc\x82\xb7"
                                  "\x81\x42";
    EXPECT_EQ(Read("bin/TraceFile.txt"), strExists + "\n:" + WinPath("X") + "\\a.mp3\n");
}

TEST_F(BatchTest, NamesWithSeveralDotsOrNoneAndExtensionsWithADot) {
    Write("wav/s/a.b.wav");
    Write("wav/s/plain", "");
    Write("X/a.b.mp3");
    Write("X/song..mp3");
    Write("wav/t/song.wav");
    Result result = Run({"-t", Path("X"), "-f", "*", Path("wav")});
    EXPECT_EQ(result.iExit, 1) << result.strOut; // "plain" and "song": no source
    EXPECT_TRUE(Exists("X/s/a.b.mp3"));
    EXPECT_TRUE(Exists("X/song..mp3"));
    result = Run({"-t", Path("X"), "-e", ".mp3", Path("wav/t")});
    EXPECT_EQ(result.iExit, 0) << result.strOut; // song.wav at the root: in place
    EXPECT_TRUE(Exists("X/song..mp3"));
}

TEST_F(BatchTest, DuplicatesAcrossTemplatesAreReportedAndLeftAlone) {
    Write("t1/x.wav");
    Write("t2/sub/X.WAV");
    Write("t2/sub/y.wav");
    Write("X/x.mp3", "x");
    Write("X/y.mp3", "y");
    const Result result = Run({"-t", Path("X"), Path("t1"), Path("t2")});
    EXPECT_EQ(result.iExit, 0) << result.strOut;
    EXPECT_NE(result.strOut.find("※　2 個のファイルが重複しています。"), std::string::npos)
        << result.strOut;
    const std::string strWin = WinPath("");
    // The header is CP932 for "=====  重複したファイルのリスト  =====".
    const std::string strHeader = "=====  \x8f\x64\x95\xa1\x82\xb5\x82\xbd\x83\x74\x83\x40\x83\x43"
                                  "\x83\x8b\x82\xcc\x83\x8a\x83\x58\x83\x67  =====\r\n";
    EXPECT_EQ(Read("bin/ConflictFile.txt"),
              strHeader + strWin + "\\t1\\x.wav\r\n" + strWin + "\\t2\\sub\\X.WAV\r\n\r\n");
    EXPECT_EQ(Read("X/x.mp3"), "x");
    EXPECT_EQ(Read("X/sub/y.mp3"), "y");
}

TEST_F(BatchTest, AnInstalledCopyKeepsItsReportsInTheUsersStateFolder) {
    SKIP_UNDER_WINE("Wine gives the tool %LOCALAPPDATA% of its own prefix");
    // A folder where the log would be: the tool's folder takes no log, even for root.
    fs::create_directories(m_root / "bin" / "TraceFile.txt");
    Write("file", "a file where a folder would have to be made");
    Write("t1/x.wav");
    Write("t2/sub/x.wav");
    Write("t1/y.wav");
    Write("X/y.mp3", "y");
    // HOME too: the user's own ~/.local/state is tried after $XDG_STATE_HOME.
    const std::string strState = "env -u LOCALAPPDATA XDG_STATE_HOME=" + Quote(Path("state")) +
                                 " HOME=" + Quote(Path("home"));
    const std::string strReport = Path("state/tessaly/ConflictFile.txt");
    Result result = Run({"-n", "-t", Path("X"), Path("t1"), Path("t2")}, strState);
    EXPECT_TRUE(Contains(result.strOut, "(dry run: " + Path("bin/ConflictFile.txt")))
        << result.strOut;
    EXPECT_FALSE(Exists("state")) << "a dry run makes no folder";

    result = Run({"-t", Path("X"), Path("t1"), Path("t2")}, strState);
    EXPECT_EQ(result.iExit, 0) << result.strOut << result.strErr;
    EXPECT_TRUE(Contains(result.strOut, "※　2 個のファイルが重複しています。\n  " +
                                            Path("t1/x.wav") + "\n  " + Path("t2/sub/x.wav") +
                                            "\n  ConflictFile.txt: " + strReport + "\n"))
        << result.strOut;
    EXPECT_TRUE(Contains(Read("state/tessaly/ConflictFile.txt"), WinPath("t2/sub/x.wav") + "\r\n"));
    // y.mp3 is in place: the trace says so there.
    EXPECT_TRUE(Contains(Read("state/tessaly/TraceFile.txt"), WinPath("X") + "\\y.mp3\n"));
    EXPECT_FALSE(Exists("bin/ConflictFile.txt"));
    // The dry run names the report where the last run left it.
    result = Run({"-n", "-t", Path("X"), Path("t1"), Path("t2")}, strState);
    EXPECT_TRUE(Contains(result.strOut, "(dry run: " + strReport + " left as it was)"))
        << result.strOut;

    // Without a state folder that can be made, the reports stay beside the tool, as designed.
    result = Run({"-t", Path("X"), Path("t1"), Path("t2")},
                 "env -u LOCALAPPDATA XDG_STATE_HOME=" + Quote(Path("file/state")) +
                     " HOME=" + Quote(Path("file")));
    EXPECT_TRUE(Contains(result.strOut, "ConflictFile.txt: " + Path("bin/ConflictFile.txt")))
        << result.strOut;
}

TEST_F(BatchTest, AnExistingDestinationIsNeverReplaced) {
    Write("wav/sub/song.wav");
    Write("X/song.mp3", "new");
    Write("X/sub/song.mp3", "old");
    const Result result = Run({"-t", Path("X"), Path("wav")});
    EXPECT_EQ(result.iExit, 1) << result.strOut;
    EXPECT_EQ(Read("X/sub/song.mp3"), "old");
    EXPECT_EQ(Read("X/song.mp3"), "new");
    EXPECT_NE(result.strOut.find("destination exists"), std::string::npos) << result.strOut;
}

TEST_F(BatchTest, RefusesBadInputWithTheWindowsMessagesAndStatus2) {
    Write("wav/a.wav");
    fs::create_directories(m_root / "X");
    // Unchecked, "-e mp3/../../out" would move this file to X/out for wav/sub/b.wav.
    Write("wav/sub/b.wav");
    Write("out", "stays");
    const struct {
        std::vector<std::string> args;
        std::string strMessage;
    } rows[] = {
        {{"-t", Path("X"), "-f", ".wav", Path("wav")}, "次の文字は使えません。\n　/\\<>|:\"."},
        {{"-t", Path("X"), "-f", "mpeg4", Path("wav")}, "拡張子が長すぎます。"},
        {{"-t", Path("X"), "-r", "(abc", Path("wav")}, "※　無効な正規表現です"},
        {{"-t", Path("X"), "-e", "", Path("wav")},
         "振り分けるファイルの拡張子がセットされていません"},
        // An extension that would take the move out of the operation folder.
        {{"-t", Path("X"), "-e", "mp3/../../out", Path("wav")},
         "操作対象拡張子に使えない文字が含まれています。"},
        {{"-t", Path("X"), "-e", "c:x", Path("wav")},
         "操作対象拡張子に使えない文字が含まれています。"},
        {{"-t", "", Path("wav")}, "振り分け元フォルダがセットされていません"},
        {{"-t", Path("nowhere"), Path("wav")}, ""},
        {{"-t", Path("X"), "-f", "wav", "-r", ".+", Path("wav")}, ""},
        {{Path("wav")}, ""},
        {{"-t", Path("X")}, ""},
    };
    for (const auto& row : rows) {
        const Result result = Run(row.args);
        EXPECT_EQ(result.iExit, 2) << row.args[0] << " " << result.strOut;
        // Refusals are diagnostics: standard error, nothing on standard output.
        EXPECT_TRUE(Contains(result.strErr, row.strMessage)) << result.strErr;
        EXPECT_EQ(result.strOut, "") << row.args[0];
    }
    EXPECT_TRUE(Exists("wav/a.wav"));
    EXPECT_EQ(Read("out"), "stays");
    EXPECT_FALSE(Exists("X/out"));
}

TEST_F(BatchTest, DryRunShowsWhatWouldMoveAndMovesNothing) {
    Write("wav/sub/a.wav");
    Write("wav/sub/b.wav");
    Write("wav/c.wav");
    Write("X/a.mp3");
    Write("X/c.mp3");
    const Result result = Run({"-n", "-t", Path("X"), Path("wav")});
    EXPECT_EQ(result.iExit, 1) << result.strOut; // b.mp3 is missing
    EXPECT_NE(result.strOut.find("would move " + Path("X/a.mp3") + " -> " + Path("X/sub/a.mp3")),
              std::string::npos)
        << result.strOut;
    EXPECT_NE(result.strOut.find(Path("X/b.mp3") + ": source missing"), std::string::npos);
    EXPECT_NE(result.strOut.find(Path("X/c.mp3") + ": already in place"), std::string::npos);
    EXPECT_NE(result.strOut.find("1 of 3 files would move"), std::string::npos);
    EXPECT_TRUE(Exists("X/a.mp3"));
    EXPECT_FALSE(Exists("X/sub"));
}

TEST_F(BatchTest, MovesNamesOfEveryKindIntact) {
    // 表, ソ, 十 and 能 end in the byte 0x5C in CP932; é, the emoji, 〜 and Hangul have no CP932
    // form; 冝 and 纊 are IBM extensions (0xFA81, 0xFA5C); then a byte of invalid UTF-8 and U+E000.
    std::vector<std::string> names = {"表",  "ソ十能", "café",     "🎵 song", "波〜線",      "a:b",
                                      "k冝", "纊k",    "한글노래", "x\xff",  "\xee\x80\x80"};
    if (UnderWine("a name of invalid UTF-8: Wine reads its byte as U+FFFD, a name of its own")) {
        std::erase(names, "x\xff");
    }
    for (const std::string& strName : names) {
        Write("wav/表/" + strName + "/" + strName + ".wav");
        Write("X/" + strName + ".mp3", strName);
    }
    const Result result = Run({"-t", Path("X"), Path("wav")});
    EXPECT_EQ(result.iExit, 0) << result.strOut;
    for (const std::string& strName : names) {
        EXPECT_EQ(Read("X/表/" + strName + "/" + strName + ".mp3"), strName) << strName;
    }
}

TEST_F(BatchTest, TakesDrivePathsAndPickedFiles) {
    SKIP_UNDER_WINE(
        "TESSALY_DRIVES is the Linux layer's drive table; Windows has drives of its own");
    Write("music/wav/sub/one.wav");
    Write("music/wav/sub/two.wav");
    Write("music/X/one.mp3", "1");
    Write("music/X/two.mp3", "2");
    const std::string strEnv = "TESSALY_DRIVES='M=" + Path("music") + "'";
    // A picked file has its parent as the root: one.mp3 stays in place.
    Result result = Run({"-t", "M:\\X", "M:\\wav\\sub\\one.wav"}, strEnv);
    EXPECT_EQ(result.iExit, 0) << result.strOut;
    EXPECT_TRUE(Exists("music/X/one.mp3"));
    result = Run({"-t", "M:\\X", "M:\\wav"}, strEnv);
    EXPECT_EQ(result.iExit, 0) << result.strOut;
    EXPECT_EQ(Read("music/X/sub/two.mp3"), "2");
    EXPECT_EQ(Read("music/X/sub/one.mp3"), "1");
}

namespace {

// How the tests run the tool as an unprivileged user when they are root (CI), so that a folder
// without permissions is really unreadable.
bool IsRoot() {
    return geteuid() == 0;
}

} // namespace

TEST_F(BatchTest, TemplatesFormOneCollectionWhateverTheirOrder) {
    // é has no CP932 form: standard output still shows it.
    const std::vector<std::string> dups = {"t1/x/song.wav", "t1/y/song.wav", "t2/é/song.wav"};
    for (const std::string& strDup : dups) {
        Write(strDup);
    }
    Write("flat/song.mp3", "s");
    for (const auto& order : {std::vector<std::string>{"t2", "t1"}, {"t1", "t2"}}) {
        SCOPED_TRACE(order[0]);
        fs::remove(m_root / "bin" / "ConflictFile.txt");
        const Result result = Run({"-t", Path("flat"), Path(order[0]), Path(order[1])});
        EXPECT_EQ(result.iExit, 1) << result.strOut; // everything was dropped as a duplicate
        EXPECT_TRUE(Contains(result.strOut, "※　3 個のファイルが重複しています。"))
            << result.strOut;
        for (const std::string& strDup : dups) {
            EXPECT_TRUE(Contains(result.strOut, "  " + Path(strDup) + "\n")) << result.strOut;
        }
        const std::string strReport = Read("bin/ConflictFile.txt");
        size_t uLines = 0;
        for (size_t u = strReport.find("\r\n"); u != std::string::npos;
             u = strReport.find("\r\n", u + 2)) {
            ++uLines;
        }
        EXPECT_EQ(uLines, 5u) << strReport; // header, three paths, the empty last line
        EXPECT_TRUE(Contains(strReport, WinPath("t1/x/song.wav") + "\r\n"));
        EXPECT_TRUE(Contains(strReport, WinPath("t1/y/song.wav") + "\r\n"));
        // é is readable there only in UTF-8, which the byte-order mark announces.
        EXPECT_EQ(strReport.substr(0, 3), "\xEF\xBB\xBF");
        EXPECT_TRUE(Contains(strReport, WinPath("t2/é/song.wav") + "\r\n"));
        EXPECT_EQ(Read("flat/song.mp3"), "s");
        EXPECT_EQ(Snapshot("flat").size(), 1u);
    }
}

TEST_F(BatchTest, EveryEntryTheWalkCannotTakeIsNamedAndFails) {
    const std::string strLong = std::string(246, 'a') + "?????.wav"; // CP932 form: 260 bytes
    const struct {
        const char* pcName;
        std::vector<std::string> extraArgs;
        std::string strLeftOut; // below the row's tpl/
        std::string strWhy;
    } rows[] = {
        {"long", {}, strLong, ": the name is too long for the program"},
        // Below the top, the folder is listed ahead on a thread of its own.
        {"longbelow", {}, "sub/" + strLong, ": the name is too long for the program"},
        {"deep", {}, "deep/", ": folder cannot be entered: the name or the path is too long"},
        {"regex",
         {"-r", "(a*)*(a*)*c|.*\\.wav"},
         std::string(60, 'a'),
         ": the regular expression is too complex for this name"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.pcName);
        const std::string strRow = row.pcName;
        Write(strRow + "/tpl/sub/ok.wav");
        Write(strRow + "/flat/ok.mp3", "ok");
        if (strRow == "deep") {
            // 45 levels of 100 bytes, made one level at a time: a path too long for one call.
            const fs::path saved = fs::current_path();
            fs::create_directories(m_root / strRow / "tpl" / "deep");
            fs::current_path(m_root / strRow / "tpl" / "deep");
            for (int i = 0; i < 45; ++i) {
                ASSERT_EQ(::mkdir(std::string(100, 'd').c_str(), 0755), 0);
                ASSERT_EQ(::chdir(std::string(100, 'd').c_str()), 0);
            }
            std::ofstream("deep.wav") << "x";
            fs::current_path(saved);
        } else {
            Write(strRow + "/tpl/" + row.strLeftOut);
        }
        std::vector<std::string> args = {"-t", Path(strRow + "/flat")};
        args.insert(args.end(), row.extraArgs.begin(), row.extraArgs.end());
        args.push_back(Path(strRow + "/tpl"));
        const Result result = Run(args);
        EXPECT_EQ(result.iExit, 1) << result.strOut;
        EXPECT_TRUE(Contains(result.strErr, "left out " + Path(strRow + "/tpl/" + row.strLeftOut)))
            << result.strErr;
        EXPECT_TRUE(Contains(result.strErr, row.strWhy)) << result.strErr;
        EXPECT_TRUE(Contains(result.strOut, "; 0 dropped as duplicates, 1 left out"))
            << result.strOut;
        EXPECT_EQ(Read(strRow + "/flat/sub/ok.mp3"), "ok");
    }
}

TEST_F(BatchTest, UnreadableFoldersAreNamedWithTheSystemsReason) {
    if (IsRoot()) {
        SKIP_UNDER_WINE("as root the tool runs as another user, and Wine runs only as its prefix's "
                        "owner");
    }
    Write("tpl/locked/x.wav");
    Write("tpl/sub/ok.wav");
    Write("flat/ok.mp3", "ok");
    Write("flat/x.mp3", "x");
    fs::create_directories(m_root / "shut");
    fs::permissions(m_root / "tpl" / "locked", fs::perms::none);
    fs::permissions(m_root / "shut", fs::perms::none);
    std::string strAs;
    if (IsRoot()) {
        ASSERT_EQ(std::system(("chown -R 65534:65534 " + Quote(m_root.string())).c_str()), 0);
        strAs = "setpriv --reuid=65534 --regid=65534 --clear-groups";
    }
    Result result = Run({"-t", Path("flat"), Path("tpl")}, strAs);
    EXPECT_EQ(result.iExit, 1) << result.strOut;
    EXPECT_TRUE(Contains(result.strErr, "left out " + Path("tpl/locked") +
                                            ": folder cannot be entered: permission denied"))
        << result.strErr;
    EXPECT_EQ(Read("flat/sub/ok.mp3"), "ok");
    EXPECT_EQ(Read("flat/x.mp3"), "x");
    // An operation folder that cannot be entered is not called missing.
    result = Run({"-t", Path("shut"), Path("tpl")}, strAs);
    EXPECT_EQ(result.iExit, 2);
    EXPECT_TRUE(Contains(result.strErr, "cannot be used: permission denied")) << result.strErr;
    fs::permissions(m_root / "tpl" / "locked", fs::perms::owner_all);
    fs::permissions(m_root / "shut", fs::perms::owner_all);
}

TEST_F(BatchTest, LinksToFoldersAlreadyWalkedAreNotWalkedAgain) {
    Write("tpl/one.wav");
    Write("tpl/b/two.wav");
    Write("flat/one.mp3", "1");
    Write("flat/two.mp3", "2");
    fs::create_directories(m_root / "tpl" / "a");
    fs::create_directory_symlink("..", m_root / "tpl" / "a" / "up");
    fs::create_directory_symlink(".", m_root / "tpl" / "self");
    const Result result = Run({"-t", Path("flat"), Path("tpl")});
    EXPECT_EQ(result.iExit, 0) << result.strOut << result.strErr;
    EXPECT_FALSE(Contains(result.strOut, "重複")) << result.strOut;
    EXPECT_TRUE(Contains(result.strOut, "collected 2 files")) << result.strOut;
    EXPECT_EQ(Read("flat/b/two.mp3"), "2");
    for (const char* pcLink : {"tpl/a/up", "tpl/self"}) {
        EXPECT_TRUE(
            Contains(result.strErr, "not walked again: " + Path(pcLink) + " is the folder already"))
            << result.strErr;
    }
}

TEST_F(BatchTest, ExitStatusSaysWhetherEveryFileIsInPlace) {
    Write("tpl/a/one.wav");
    Write("tpl/b/two.wav");
    Write("flat/one.mp3", "1");
    Write("flat/two.mp3", "2");
    Result result = Run({"-t", Path("flat"), Path("tpl")});
    EXPECT_EQ(result.iExit, 0) << result.strOut;
    // A second run finds every file where the first put it.
    result = Run({"-t", Path("flat"), Path("tpl")});
    EXPECT_EQ(result.iExit, 0) << result.strOut;
    EXPECT_TRUE(Contains(result.strOut, Path("flat/one.mp3") + ": already in place"));
    EXPECT_TRUE(Contains(result.strOut, Path("flat/two.mp3") + ": already in place"));
    EXPECT_FALSE(Contains(result.strOut, "source missing")) << result.strOut;
    fs::remove(m_root / "flat" / "b" / "two.mp3");
    result = Run({"-t", Path("flat"), Path("tpl")});
    EXPECT_EQ(result.iExit, 1) << result.strOut;
    EXPECT_TRUE(Contains(result.strOut, Path("flat/two.mp3") + ": source missing"));
    // Every file in place, but a missing TEMPLATE or a report that cannot be written fails.
    Write("flat/b/two.mp3", "2");
    result = Run({"-t", Path("flat"), Path("tpl"), Path("nowhere")});
    EXPECT_EQ(result.iExit, 1) << result.strOut;
    EXPECT_TRUE(Contains(result.strErr,
                         "left out TEMPLATE " + Path("nowhere") + ": neither a file nor a folder"))
        << result.strErr;
    Write("dup/one.wav");
    Write("dup/b/ONE.wav");
    Write("other/c/three.wav");
    Write("flat/three.mp3", "3");
    fs::create_directories(m_root / "bin" / "ConflictFile.txt");
    result = Run({"-t", Path("flat"), Path("dup"), Path("other")});
    EXPECT_EQ(result.iExit, 1) << result.strOut;
    EXPECT_TRUE(Contains(result.strErr, "could not write " + Path("bin/ConflictFile.txt")));
    EXPECT_EQ(Read("flat/c/three.mp3"), "3");
}

TEST_F(BatchTest, FailuresSayWhatFailedAndWhy) {
    Write("tpl/f/song.wav");
    Write("tpl/p/x.wav");
    Write("flat/song.mp3", "s");
    Write("flat/x.mp3", "x");
    Write("flat/p", "a file where a folder should be");
    fs::create_directories(m_root / "flat" / "f" / "song.mp3");
    const Result result = Run({"-t", Path("flat"), Path("tpl")});
    EXPECT_EQ(result.iExit, 1);
    EXPECT_TRUE(Contains(result.strOut, "skipped " + Path("flat/song.mp3") + ": move failed\n"));
    EXPECT_TRUE(
        Contains(result.strOut, "skipped " + Path("flat/x.mp3") + ": folder not created\n"));
    EXPECT_TRUE(Contains(result.strErr, "could not move " + Path("flat/song.mp3") + " to " +
                                            Path("flat/f/song.mp3") +
                                            ": something of that name already exists"))
        << result.strErr;
    EXPECT_TRUE(Contains(result.strErr, "could not create the folder " + Path("flat/p") + ": "))
        << result.strErr;
    EXPECT_EQ(Read("flat/song.mp3"), "s");
    EXPECT_EQ(Read("flat/p"), "a file where a folder should be");
}

// Trees with every kind of outcome, drawn from fixed seeds: the dry run must say, file by file,
// what the run then does, and touch nothing.
class DryRunTest : public BatchTest {
protected:
    // Writes, unless something already in the tree is in the way.
    void TryWrite(const std::string& strRelative, const std::string& strBytes = "x") {
        std::error_code ec;
        const fs::path path = m_root / strRelative;
        fs::create_directories(path.parent_path(), ec);
        if (!ec && !fs::exists(fs::symlink_status(path))) {
            std::ofstream(path, std::ios::binary) << strBytes;
        }
    }
    bool IsFree(const std::string& strRelative) const {
        return !fs::exists(fs::symlink_status(m_root / strRelative));
    }

    void Generate(unsigned uSeed) {
        std::mt19937 rng(uSeed);
        const char* apcFolders[] = {"", "a", "b", "b/c", "d/e"};
        for (int k = 0; k < 24; ++k) {
            const std::string strTitle = "n" + std::to_string(k);
            const std::string strFolder = apcFolders[rng() % 5];
            const std::string strRel = strFolder.empty() ? "" : strFolder + "/";
            const std::string strTop = strFolder.substr(0, strFolder.find('/'));
            TryWrite("tpl/" + strRel + strTitle + ".wav");
            switch (rng() % 9) {
            case 0: // no source
                break;
            case 1: // the destination is taken
                TryWrite("flat/" + strRel + strTitle + ".mp3", "taken " + strTitle);
                TryWrite("flat/" + strTitle + ".mp3", strTitle);
                break;
            case 2: // a folder where the file should go
                if (!strRel.empty()) {
                    std::error_code ec;
                    fs::create_directories(m_root / "flat" / strRel / (strTitle + ".mp3"), ec);
                }
                TryWrite("flat/" + strTitle + ".mp3", strTitle);
                break;
            case 3: // a file where a folder should be
                if (!strTop.empty() && IsFree("flat/" + strTop)) {
                    TryWrite("flat/" + strTop, "file " + strTop);
                }
                TryWrite("flat/" + strTitle + ".mp3", strTitle);
                break;
            case 4: // a dangling link where a folder should be
                if (!strTop.empty() && IsFree("flat/" + strTop) &&
                    !UnderWine("dangling links: Wine 8 hides them from every lookup but the "
                               "folder's creation, where Windows sees the link")) {
                    fs::create_directories(m_root / "flat");
                    fs::create_symlink("nowhere", m_root / "flat" / strTop);
                }
                TryWrite("flat/" + strTitle + ".mp3", strTitle);
                break;
            case 5: // a duplicate title, dropped
                TryWrite("tpl/x/N" + std::to_string(k) + ".WAV");
                TryWrite("flat/" + strTitle + ".mp3", strTitle);
                break;
            default:
                TryWrite("flat/" + strTitle + ".mp3", strTitle);
                break;
            }
        }
        // Two entries claiming one flat file: titles equal only ignoring non-ASCII case, and (in
        // regex mode) titles the duplicate check and the move cut differently.
        TryWrite("tpl/a/café.wav");
        TryWrite("tpl/b/CAFÉ.wav");
        TryWrite("flat/café.mp3", "café");
        TryWrite("tpl/a/r.flacc");
        TryWrite("tpl/b/r.wav");
        TryWrite("flat/r.mp3", "r");
        // Names decomposed in the template (as a Mac writes them) and composed in the flat
        // folder are one name; so are two entries equal only once composed (in folders that no
        // random case blocks).
        TryWrite("tpl/m/\u30AB\u3099.wav");
        TryWrite("flat/ガ.mp3", "\u30AB\u3099");
        TryWrite("tpl/m/re\u0301.wav");
        TryWrite("tpl/o/ré.wav");
        TryWrite("flat/ré.mp3", "re\u0301");
    }

    // The contents of every file below flat, counted.
    std::multiset<std::string> Contents() const {
        std::multiset<std::string> setContents;
        for (const auto& [strPath, strWhat] : Snapshot("flat")) {
            if (strWhat.rfind("file ", 0) == 0) {
                setContents.insert(strWhat);
            }
        }
        return setContents;
    }
};

TEST_F(DryRunTest, PredictsEveryOutcomeOfTheRun) {
    std::set<std::string> setSeen;
    for (unsigned uSeed = 1; uSeed <= 8; ++uSeed) {
        SCOPED_TRACE("seed " + std::to_string(uSeed));
        fs::remove_all(m_root / "tpl");
        fs::remove_all(m_root / "flat");
        Generate(uSeed);
        std::vector<std::string> args = {"-t", Path("flat"), Path("tpl")};
        if (uSeed % 2 == 0) {
            args.insert(args.begin(), {"-r", ".+\\.(wav|WAV|flacc)"});
        }
        Write("bin/ConflictFile.txt", "an earlier report");
        Write("bin/TraceFile.txt", "an earlier trace");
        const auto before = Snapshot("flat");
        const std::multiset<std::string> contents = Contents();

        std::vector<std::string> dryArgs = args;
        dryArgs.insert(dryArgs.begin(), "--dry-run");
        const Result dry = Run(dryArgs);
        EXPECT_EQ(Snapshot("flat"), before);
        EXPECT_EQ(Read("bin/ConflictFile.txt"), "an earlier report");
        EXPECT_EQ(Read("bin/TraceFile.txt"), "an earlier trace");

        const Result run = Run(args);
        const std::vector<std::string> predicted = Outcomes(dry.strOut);
        const std::vector<std::string> outcomes = Outcomes(run.strOut);
        EXPECT_EQ(predicted, outcomes) << dry.strOut << "\n---\n"
                                       << run.strOut << run.strErr << "exit " << run.iExit;
        EXPECT_EQ(dry.iExit, run.iExit);
        EXPECT_EQ(Contents(), contents); // nothing lost, nothing duplicated
        EXPECT_EQ(Read("flat/m/\u30AB\u3099.mp3"), "\u30AB\u3099");
        EXPECT_EQ(Read("flat/m/re\u0301.mp3"), "re\u0301");
        EXPECT_TRUE(Contains(run.strOut, "skipped " + Path("flat/ré.mp3") + ": claimed by " +
                                             Path("tpl/m/re\u0301.wav")))
            << run.strOut;

        // Each move took the file it names; a second run finds it in place.
        const Result again = Run(args);
        for (const std::string& strLine : outcomes) {
            setSeen.insert(
                strLine
                    .substr(strLine.find(": ") == std::string::npos ? 0 : strLine.find(": ") + 2,
                            std::string::npos)
                    .substr(0, 10));
            const size_t uArrow = strLine.find(" -> ");
            if (uArrow == std::string::npos) {
                continue;
            }
            const std::string strSrc = strLine.substr(6, uArrow - 6);
            const std::string strDst = strLine.substr(uArrow + 4);
            EXPECT_FALSE(fs::exists(strSrc)) << strSrc;
            EXPECT_TRUE(Contains(Read(fs::relative(strDst, m_root).string()),
                                 fs::path(strSrc).stem().string()))
                << strDst;
            EXPECT_TRUE(Contains(again.strOut, "skipped " + strSrc + ": already in place"))
                << again.strOut << again.strErr << "exit " << again.iExit;
        }
    }
    // The trees did produce every kind of outcome ("moved ..." lines keep their first 10 bytes).
    for (const char* pcKind :
         {"source mis", "already in", "destinatio", "folder not", "move faile", "claimed by"}) {
        EXPECT_EQ(setSeen.count(pcKind), 1u) << pcKind;
    }
}

// Two flat files whose names differ only in non-ASCII case, bound for folders that the run takes
// for one: the later finds its name taken by the earlier's move, and the dry run says so too.
TEST_F(BatchTest, TheDryRunSeesADestinationAnEarlierMoveTakes) {
    Write("tpl/E/été.wav");
    Write("tpl/e/ÉTÉ.wav");
    Write("flat/été.mp3", "été");
    Write("flat/ÉTÉ.mp3", "ÉTÉ");
    const Result dry = Run({"--dry-run", "-t", Path("flat"), Path("tpl")});
    const Result run = Run({"-t", Path("flat"), Path("tpl")});
    EXPECT_EQ(Outcomes(dry.strOut), Outcomes(run.strOut)) << dry.strOut << "\n---\n" << run.strOut;
    EXPECT_EQ(dry.iExit, 1);
    EXPECT_EQ(run.iExit, 1);
    EXPECT_TRUE(
        Contains(run.strOut, "moved " + Path("flat/été.mp3") + " -> " + Path("flat/E/été.mp3")))
        << run.strOut;
    EXPECT_TRUE(Contains(run.strOut, "skipped " + Path("flat/ÉTÉ.mp3") + ": destination exists"))
        << run.strOut;
    EXPECT_EQ(Read("flat/ÉTÉ.mp3"), "ÉTÉ");
    EXPECT_EQ(Read("flat/E/été.mp3"), "été");
}

TEST_F(BatchTest, ShortOptionsCombine) {
    Write("tpl/sub/a.wav");
    Write("flat/a.mp3");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"-nt", Path("flat"), Path("tpl")},
          {"-nt" + Path("flat"), Path("tpl")},
          {"-nnt", Path("flat"), Path("tpl")}}) {
        const Result result = Run(args);
        EXPECT_EQ(result.iExit, 0) << args[0] << result.strErr;
        EXPECT_TRUE(Contains(result.strOut, "would move " + Path("flat/a.mp3"))) << result.strOut;
    }
    EXPECT_TRUE(Exists("flat/a.mp3"));
}

// --help and --version answer on standard output with status 0 and move nothing; the version is
// the project's (CMake's), as the packages and the Windows resources give it.
TEST_F(BatchTest, HelpAndVersionAnswerOnStandardOutput) {
    Write("tpl/sub/a.wav");
    Write("flat/a.mp3");
    const struct {
        std::vector<std::string> args;
        std::string strOut;
    } rows[] = {
        {{"--version"}, "tessaly-batch " TESSALY_EXPECTED_VERSION "\n"},
        {{"--version", "-t", Path("flat"), Path("tpl")},
         "tessaly-batch " TESSALY_EXPECTED_VERSION "\n"},
        {{"--help"}, "usage: tessaly-batch [options] TEMPLATE...\n"},
        {{"-h"}, "usage: tessaly-batch [options] TEMPLATE...\n"},
    };
    for (const auto& row : rows) {
        const Result result = Run(row.args);
        EXPECT_EQ(result.iExit, 0) << row.args[0];
        EXPECT_EQ(result.strOut.substr(0, row.strOut.size()), row.strOut) << row.args[0];
        EXPECT_EQ(result.strErr, "") << row.args[0];
    }
    EXPECT_TRUE(Exists("flat/a.mp3"));
}

namespace {

// A tree of n entries in 20 folders, every other one with its flat file.
void WriteManyEntries(const fs::path& root, int n) {
    for (int i = 0; i < n; ++i) {
        const fs::path folder = root / "tpl" / ("d" + std::to_string(i % 20));
        fs::create_directories(folder);
        std::ofstream(folder / ("f" + std::to_string(i) + ".wav")) << "";
        if (i % 2 == 0) {
            fs::create_directories(root / "flat");
            std::ofstream(root / "flat" / ("f" + std::to_string(i) + ".mp3")) << i;
        }
    }
}

} // namespace

TEST_F(BatchTest, CtrlCStopsAfterTheCurrentFileAndExits130AfterTheSummary) {
    WriteManyEntries(m_root, 3000);
    int fdOut = -1;
    const pid_t pid = StartJob(fdOut);
    ASSERT_GT(pid, 0);
    // The per-file lines outgrow the pipe: the tool waits on it until the signal has arrived.
    std::string strOut;
    ReadLines(fdOut, strOut, 1);
    usleep(300 * 1000);
    kill(pid, SIGINT);
    strOut += ReadAll(fdOut);
    close(fdOut);
    int iStatus = 0;
    waitpid(pid, &iStatus, 0);
    EXPECT_EQ(ExitCode(iStatus), 130) << strOut.substr(strOut.size() - 300);
    const size_t uLast = strOut.rfind("interrupted: ");
    ASSERT_NE(uLast, std::string::npos);
    EXPECT_TRUE(Contains(strOut.substr(uLast), "not looked at")) << strOut.substr(uLast);
    // Every file is whole, in one place, and some were never looked at.
    const auto [iFiles, iFlat] = CountFiles(m_root / "flat");
    EXPECT_EQ(iFiles, 1500);
    EXPECT_GT(iFlat, 0);
}

TEST_F(BatchTest, LinesThroughAFileKeepTheirOrderAndNameEveryPath) {
    // Names whose CP932 form holds a trail byte 0x5C (表, ソ) or that are no CP932 at all.
    const std::vector<std::string> names = {"表現", "ソナタ", "café", "한글", "a b"};
    for (int i = 0; i < 400; ++i) {
        const std::string strName = names[i % names.size()] + " " + std::to_string(i);
        Write("tpl/" + names[(i / 7) % names.size()] + "/" + strName + ".wav");
        Write("flat/" + strName + ".mp3", strName);
    }
    Write("tpl/blocked/in.wav");
    Write("flat/in.mp3", "in");
    Write("flat/blocked", "a file where the folder should be");
    const std::string strCommand =
        Command({"-t", Path("flat"), Path("tpl")}, "") + " >" + Quote(Path("both.txt")) + " 2>&1";
    EXPECT_EQ(ExitCode(std::system(strCommand.c_str())), 1);
    const std::string strBoth = Read("both.txt");
    // The error follows the line it explains, though the two streams are buffered apart.
    const std::string strSkipped = "skipped " + Path("flat/in.mp3") + ": folder not created\n";
    const size_t uSkipped = strBoth.find(strSkipped);
    ASSERT_NE(uSkipped, std::string::npos) << strBoth.substr(0, 400);
    const std::string strError = "tessaly-batch: could not create the folder";
    EXPECT_EQ(strBoth.compare(uSkipped + strSkipped.size(), strError.size(), strError), 0)
        << strBoth.substr(uSkipped, 200);
    int iMoved = 0;
    for (size_t u = strBoth.find("moved "); u != std::string::npos;
         u = strBoth.find("moved ", u + 1)) {
        const size_t uArrow = strBoth.find(" -> ", u);
        const size_t uEnd = strBoth.find('\n', u);
        ASSERT_LT(uArrow, uEnd);
        const fs::path src = strBoth.substr(u + 6, uArrow - u - 6);
        const fs::path dst = strBoth.substr(uArrow + 4, uEnd - uArrow - 4);
        EXPECT_FALSE(fs::exists(src)) << src;
        EXPECT_EQ(dst.filename(), src.filename());
        EXPECT_EQ(Read(fs::relative(dst, m_root).string()), src.stem().string()) << dst;
        ++iMoved;
    }
    EXPECT_EQ(iMoved, 400);
    // Every file's line, written apart from the moves, comes before the summary.
    const size_t uSummary = strBoth.find("400 of 401 files moved");
    ASSERT_NE(uSummary, std::string::npos) << strBoth.substr(strBoth.size() - 300);
    EXPECT_LT(std::max(strBoth.rfind("\nmoved "), strBoth.rfind("\nskipped ")), uSummary)
        << strBoth.substr(strBoth.size() - 300);
}

TEST_F(BatchTest, ABrokenPipeStopsTheOutputAfterTheCurrentFile) {
    WriteManyEntries(m_root, 3000);
    {
        std::ofstream script(m_root / "pipe.sh");
        script << Command({"-t", Path("flat"), Path("tpl")}, "")
               << " 2>/dev/null | head -n 1 >/dev/null; exit ${PIPESTATUS[0]}\n";
    }
    const int iExit = ExitCode(std::system(("bash " + Quote(Path("pipe.sh"))).c_str()));
    EXPECT_EQ(iExit, 1);
    const auto [iFiles, iFlat] = CountFiles(m_root / "flat");
    EXPECT_EQ(iFiles, 1500);
    EXPECT_GT(iFlat, 1000); // it stopped early
}

TEST_F(BatchTest, TheProgressBarNeverGluesToALineAndEndsAt100) {
    SKIP_UNDER_WINE("on a terminal Wine's console host repaints its own screen (cursor codes, "
                    "80-column wraps): those bytes are not the tool's");
    WriteManyEntries(m_root, 600);
    const std::string strExe = (m_root / "bin" / "tessaly-batch").string();
    const std::string strFlat = Path("flat");
    const std::string strTpl = Path("tpl");
    int fdMaster = -1;
    const pid_t pid = forkpty(&fdMaster, nullptr, nullptr, nullptr);
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        execl(strExe.c_str(), strExe.c_str(), "-t", strFlat.c_str(), strTpl.c_str(), nullptr);
        _exit(127);
    }
    const std::string strScreen = ReadAll(fdMaster); // ends with EIO once the tool has gone
    close(fdMaster);
    int iStatus = 0;
    waitpid(pid, &iStatus, 0);
    EXPECT_EQ(ExitCode(iStatus), 1); // half the sources are missing
    ASSERT_TRUE(Contains(strScreen, "moving [")) << strScreen.substr(0, 300);
    // Whatever follows a drawn bar is the clearing of its line or the end of the line.
    for (size_t u = strScreen.find(" of 600"); u != std::string::npos;
         u = strScreen.find(" of 600", u + 1)) {
        if (strScreen.compare(u + 7, 6, " files") == 0) {
            continue; // the summary
        }
        const char c = u + 7 < strScreen.size() ? strScreen[u + 7] : '\n';
        EXPECT_TRUE(c == '\r' || c == '\n' || c == '\033') << strScreen.substr(u - 60, 120);
    }
    EXPECT_TRUE(Contains(strScreen, "100%  600 of 600\r\n"))
        << strScreen.substr(strScreen.size() - 300);
}

TEST_F(BatchTest, NothingOfTheProgressBarGoesThroughAPipe) {
    WriteManyEntries(m_root, 600);
    const Result result = Run({"-t", Path("flat"), Path("tpl")});
    EXPECT_EQ(result.iExit, 1);
    EXPECT_FALSE(Contains(result.strOut + result.strErr, "\033"));
    EXPECT_FALSE(Contains(result.strErr, "moving ["));
}

TEST_F(BatchTest, RegexFilterMatchesTheNamesRealCharacters) {
    for (const std::string strName : {"café", "CAFÉ", "cafe", "Straße", "한국"}) {
        Write("wav/" + strName + ".wav");
        Write("X/" + strName + ".mp3", strName);
    }
    Write("wav/sub/unrelated.wav");
    const Result result = Run(
        {"-t", Path("X"), "-r", "(?i)CAFÉ\\.WAV|\\w+ße\\.wav|[[:alpha:]]{2}\\.wav", Path("wav")});
    EXPECT_EQ(result.iExit, 0) << result.strOut;
    EXPECT_NE(result.strOut.find("collected 4 files"), std::string::npos) << result.strOut;
}

TEST_F(BatchTest, AKilledRunIsUndoneCompletelyAndOnlyOnce) {
    SKIP_UNDER_WINE("a SIGKILL reaches the Wine stand-in's script, not the tool");
    WriteManyEntries(m_root, 3000);
    Write("flat/unrelated.txt", "stays");
    const auto before = Snapshot("flat");
    int fdOut = -1;
    const pid_t pid = StartJob(fdOut);
    ASSERT_GT(pid, 0);
    // Killed in the middle of its moves: the lines outgrow the pipe, so it waits there.
    std::string strOut;
    ReadLines(fdOut, strOut, 200);
    kill(pid, SIGKILL);
    close(fdOut);
    int iStatus = 0;
    waitpid(pid, &iStatus, 0);
    ASSERT_NE(Snapshot("flat"), before) << "nothing had moved yet";

    Result result = Run({"--journals"});
    EXPECT_TRUE(Contains(result.strOut, "moves recorded")) << result.strOut;
    EXPECT_TRUE(Contains(result.strOut, "not undone")) << result.strOut;
    result = Run({"--undo", "-n"});
    EXPECT_EQ(result.iExit, 0) << result.strOut << result.strErr;
    EXPECT_TRUE(Contains(result.strOut, "would restore ")) << result.strOut;
    EXPECT_NE(Snapshot("flat"), before);
    result = Run({"--undo"});
    EXPECT_EQ(result.iExit, 0) << result.strOut << result.strErr;
    EXPECT_EQ(Snapshot("flat"), before);
    result = Run({"--undo"});
    EXPECT_EQ(result.iExit, 1);
    EXPECT_TRUE(Contains(result.strOut, "nothing to undo")) << result.strOut;
    EXPECT_TRUE(Contains(Run({"--journals"}).strOut, "  undone  ")) << result.strOut;
}

TEST_F(BatchTest, AKilledCopysTemporaryGoesWithTheNextRunOrUndoThatLooksInItsFolder) {
    SKIP_UNDER_WINE("Windows' own move leaves no temporary of ours");
    const pid_t gone = fork();
    if (gone == 0) {
        _exit(0);
    }
    waitpid(gone, nullptr, 0);
    const auto stale = [&](const std::string& strFolder, int iNumber) {
        return strFolder + "/.tessaly-move-" + std::to_string(gone) + "-" +
               std::to_string(iNumber) + ".tmp";
    };
    Write("tpl/a/one.wav");
    Write("tpl/b/c/two.wav");
    Write("flat/one.mp3", "1");
    Write("flat/two.mp3", "2");
    ASSERT_EQ(Run({"-t", Path("flat"), Path("tpl")}).iExit, 0);
    const fs::path firstJournal = *fs::directory_iterator(m_root / "state" / "tessaly" / "journal");
    // Every file is in place, so nothing moves into either folder: a look is enough.
    Write(stale("flat/a", 1), "half");
    Write(stale("flat/b/c", 2), "half");
    ASSERT_EQ(Run({"-n", "-t", Path("flat"), Path("tpl")}).iExit, 0);
    EXPECT_TRUE(Exists(stale("flat/a", 1))) << "a dry run changes nothing";
    Result result = Run({"-t", Path("flat"), Path("tpl")});
    EXPECT_EQ(result.iExit, 0) << result.strOut;
    EXPECT_FALSE(Exists(stale("flat/a", 1)));
    EXPECT_FALSE(Exists(stale("flat/b/c", 2)));
    // The undo of the first run: a half copy in a folder that run made does not keep it.
    Write(stale("flat/b/c", 3), "half");
    result = Run({"--undo", firstJournal.string()});
    EXPECT_EQ(result.iExit, 0) << result.strOut << result.strErr;
    EXPECT_EQ(Read("flat/two.mp3"), "2");
    EXPECT_FALSE(Exists("flat/b")) << "the run's folders go when only a half copy held them";
}

TEST_F(BatchTest, UndoKeepsWhatChangedSinceAndSaysWhy) {
    Write("tpl/a/same.wav");
    Write("tpl/a/edited.wav");
    Write("tpl/a/taken.wav");
    for (const char* pcName : {"same", "edited", "taken"}) {
        Write(std::string("flat/") + pcName + ".mp3", pcName);
    }
    ASSERT_EQ(Run({"-t", Path("flat"), Path("tpl")}).iExit, 0);
    Write("flat/a/edited.mp3", "changed since");
    Write("flat/taken.mp3", "a new file in the old place");
    const Result result = Run({"--undo"});
    EXPECT_EQ(result.iExit, 1);
    EXPECT_TRUE(Contains(result.strOut, "restored " + Path("flat/a/same.mp3") + " -> " +
                                            Path("flat/same.mp3") + "\n"))
        << result.strOut;
    EXPECT_TRUE(Contains(result.strOut, "kept " + Path("flat/a/edited.mp3") + ": changed since\n"))
        << result.strOut;
    EXPECT_TRUE(
        Contains(result.strOut, "kept " + Path("flat/a/taken.mp3") + ": source place taken\n"))
        << result.strOut;
    EXPECT_TRUE(Contains(result.strOut, "1 of 3 files restored, 2 kept")) << result.strOut;
    EXPECT_EQ(Read("flat/taken.mp3"), "a new file in the old place");
}

TEST_F(BatchTest, NothingMovesWithoutAJournalUnlessToldSo) {
    SKIP_UNDER_WINE("Wine gives the tool %LOCALAPPDATA% of its own prefix");
    Write("tpl/a/x.wav");
    Write("flat/x.mp3");
    Write("file", "a file where the state folder would be");
    const std::string strNoState =
        "env -u LOCALAPPDATA XDG_STATE_HOME=" + Quote(Path("file/state")) +
        " HOME=" + Quote(Path("file"));
    Result result = Run({"-t", Path("flat"), Path("tpl")}, strNoState);
    EXPECT_EQ(result.iExit, 1);
    EXPECT_TRUE(Contains(result.strErr, "journal of this run cannot be written")) << result.strErr;
    EXPECT_TRUE(Exists("flat/x.mp3"));
    result = Run({"--no-journal", "-t", Path("flat"), Path("tpl")}, strNoState);
    EXPECT_EQ(result.iExit, 0) << result.strErr;
    EXPECT_TRUE(Exists("flat/a/x.mp3"));
}

TEST_F(BatchTest, JournalOptionsRefuseWhatTheyCannotUse) {
    Write("tpl/a/x.wav");
    Write("flat/x.mp3");
    const std::vector<std::vector<std::string>> rows = {
        {"--undo", "-t", Path("flat")},
        {"--undo", "a.journal", "b.journal"},
        {"--undo=a.journal", "b.journal"},
        {"--journals", "x"},
        {"--journals", "--undo"},
        {"--journals=x"},
        {"--undo", Path("no-such.journal")},
    };
    for (const auto& args : rows) {
        const Result result = Run(args);
        EXPECT_EQ(result.iExit, 2) << args[0] << " " << args[1];
        EXPECT_NE(result.strErr, "") << args[0];
    }
    EXPECT_TRUE(Exists("flat/x.mp3"));
}
