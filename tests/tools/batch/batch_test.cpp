#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct Result {
    int iExit = -1;
    std::string strOut;
};

// A temporary tree with its own copy of tessaly-batch, so that the TraceFile.txt and
// ConflictFile.txt beside it belong to this test alone.
class BatchTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string strTemplate = (fs::temp_directory_path() / "tessaly-batch-XXXXXX").string();
        ASSERT_NE(mkdtemp(strTemplate.data()), nullptr);
        m_root = strTemplate;
        fs::create_directories(m_root / "bin");
        fs::copy_file(TESSALY_BATCH_EXE, m_root / "bin" / "tessaly-batch");
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

    // Runs the tool with the arguments (each quoted for the shell) and an optional environment.
    Result Run(const std::vector<std::string>& args, const std::string& strEnv = "") const {
        std::string strCommand = strEnv + " '" + (m_root / "bin" / "tessaly-batch").string() + "'";
        for (const std::string& strArg : args) {
            std::string strQuoted = "'";
            for (char c : strArg) {
                strQuoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
            }
            strCommand += " " + strQuoted + "'";
        }
        strCommand += " 2>/dev/null";
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
        const int iStatus = pclose(pPipe);
        result.iExit = WIFEXITED(iStatus) ? WEXITSTATUS(iStatus) : -1;
        return result;
    }

    fs::path m_root;
};

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
    const struct {
        std::vector<std::string> args;
        std::string strMessage;
    } rows[] = {
        {{"-t", Path("X"), "-f", ".wav", Path("wav")}, "次の文字は使えません。\n　/\\<>|:\"."},
        {{"-t", Path("X"), "-f", "mpeg4", Path("wav")}, "拡張子が長すぎます。"},
        {{"-t", Path("X"), "-r", "(abc", Path("wav")}, "※　無効な正規表現です"},
        {{"-t", Path("X"), "-e", "", Path("wav")},
         "振り分けるファイルの拡張子がセットされていません"},
        {{"-t", "", Path("wav")}, "振り分け元フォルダがセットされていません"},
        {{"-t", Path("nowhere"), Path("wav")}, ""},
        {{"-t", Path("X"), "-f", "wav", "-r", ".+", Path("wav")}, ""},
        {{Path("wav")}, ""},
        {{"-t", Path("X")}, ""},
    };
    for (const auto& row : rows) {
        const Result result = Run(row.args);
        EXPECT_EQ(result.iExit, 2) << row.args[0] << " " << result.strOut;
        EXPECT_NE(result.strOut.find(row.strMessage), std::string::npos) << result.strOut;
    }
    EXPECT_TRUE(Exists("wav/a.wav"));
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
    const std::vector<std::string> names = {"表",       "ソ十能", "café",        "🎵 song",
                                            "波〜線",   "a:b",    "k冝",         "纊k",
                                            "한글노래", "x\xff",  "\xee\x80\x80"};
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
