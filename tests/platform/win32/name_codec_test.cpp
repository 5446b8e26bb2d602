#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/Win32.h"

using tessaly::win32::AnsiNameToDisk;
using tessaly::win32::AnsiToUtf8;
using tessaly::win32::DiskNameToAnsi;
using tessaly::win32::kNameCodeCapacity;
using tessaly::win32::ResetNameCodec;
using tessaly::win32::TextKind;
using tessaly::win32::UnmappableNameCount;
using tessaly::win32::Utf8ToAnsi;

namespace {

// Each test starts with an empty table, so codes are handed out from 0xF040.
class NameCodec : public ::testing::Test {
protected:
    void SetUp() override { ResetNameCodec(); }
    void TearDown() override { ResetNameCodec(); }
};

std::string Utf8Of(char32_t c) {
    std::string strOut;
    if (c < 0x800) {
        strOut += static_cast<char>(0xC0 | (c >> 6));
    } else if (c < 0x10000) {
        strOut += static_cast<char>(0xE0 | (c >> 12));
    } else {
        strOut += static_cast<char>(0xF0 | (c >> 18));
        strOut += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    }
    if (c >= 0x800) {
        strOut += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    }
    strOut += static_cast<char>(0x80 | (c & 0x3F));
    return strOut;
}

// The program's own byte tests: lead bytes stop at 0xF5.
bool IsProgramLead(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xF5);
}
bool IsProgramTrail(unsigned char b) {
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

// The single-byte characters of a CP932 text as the program walks it.
std::string SingleBytes(const std::string& strAnsi) {
    std::string strSingles;
    for (std::size_t i = 0; i < strAnsi.size(); ++i) {
        const auto b = static_cast<unsigned char>(strAnsi[i]);
        if (IsProgramLead(b) && i + 1 < strAnsi.size() &&
            IsProgramTrail(static_cast<unsigned char>(strAnsi[i + 1]))) {
            ++i;
        } else {
            strSingles += strAnsi[i];
        }
    }
    return strSingles;
}

std::string CodeBytes(unsigned uCode) {
    return {static_cast<char>(uCode >> 8), static_cast<char>(uCode & 0xFF)};
}

} // namespace

TEST_F(NameCodec, DiskNamesRoundTripByteForByte) {
    const char* const names[] = {
        "plain.txt",
        "日本語の名前.mp3",
        "表示とソース.wav", // trail bytes 0x5C in CP932
        "café.mp3",
        "🎵 song.mp3",
        "한국어.wav",
        "波〜線", // U+301C WAVE DASH: CP932 reads 0x8160 back as U+FF5E
        "a\\b",
        "a:b*c?d\"e<f>g|h",
        "tab\there\x01",
        "\xff\xfe",         // invalid UTF-8
        "x\xe6\x97y",       // a truncated three-byte sequence
        "\xed\xa0\x80.txt", // an encoded surrogate
        "\xc0\xaf",         // an overlong '/'
        "\xee\x80\x80私用", // U+E000, a user-defined-area character on disk
        "ⅰⅱ①≒￢",
    };
    for (std::size_t i = 0; i < std::size(names); ++i) {
        std::string strAnsi;
        ASSERT_TRUE(DiskNameToAnsi(names[i], strAnsi)) << "row " << i;
        EXPECT_EQ(AnsiNameToDisk(strAnsi), names[i]) << "row " << i;
        const std::string strSingles = SingleBytes(strAnsi);
        EXPECT_EQ(strSingles.find_first_of("\\:*?\"<>|\x01\t"), std::string::npos)
            << "row " << i << ": a forbidden byte stands alone in the CP932 name";
    }
}

TEST_F(NameCodec, PlainCp932TextTakesNoCode) {
    std::string strAnsi;
    ASSERT_TRUE(DiskNameToAnsi("日本", strAnsi));
    EXPECT_EQ(strAnsi, "\x93\xfa\x96\x7b"); // 日本 in CP932
    ASSERT_TRUE(DiskNameToAnsi("é", strAnsi));
    EXPECT_EQ(strAnsi, CodeBytes(0xF040)) << "the first code handed out";
}

TEST_F(NameCodec, CodesComeInOrderMetAndStayTheSame) {
    std::string strAcute, strUmlaut, strBoth;
    ASSERT_TRUE(DiskNameToAnsi("é", strAcute));
    ASSERT_TRUE(DiskNameToAnsi("ü", strUmlaut));
    ASSERT_TRUE(DiskNameToAnsi("üé", strBoth));
    EXPECT_EQ(strAcute, CodeBytes(0xF040));
    EXPECT_EQ(strUmlaut, CodeBytes(0xF041));
    EXPECT_EQ(strBoth, CodeBytes(0xF041) + CodeBytes(0xF040));
}

TEST_F(NameCodec, TextKindKeepsSeparatorsAndNameKindMapsThem) {
    std::string strText, strName;
    ASSERT_TRUE(Utf8ToAnsi("C:\\dir\\é", strText, TextKind::Text));
    EXPECT_EQ(strText, "C:\\dir\\" + CodeBytes(0xF040));
    EXPECT_EQ(AnsiToUtf8(strText), "C:\\dir\\é");
    ASSERT_TRUE(Utf8ToAnsi("a\\b", strName, TextKind::Name));
    // Appended rather than "a" + ...: GCC 12 at -O3 reports a false -Wrestrict on that insert.
    EXPECT_EQ(strName, std::string("a").append(CodeBytes(0xF041)).append("b"));
}

TEST_F(NameCodec, CodesSkipBackslashAndPipeTrailsAndStayBelowLeadF6) {
    std::set<std::string> setCodes;
    for (std::size_t i = 0; i < kNameCodeCapacity; ++i) {
        std::string strAnsi;
        ASSERT_TRUE(DiskNameToAnsi(Utf8Of(0xAC00 + static_cast<char32_t>(i)), strAnsi)) << i;
        ASSERT_EQ(strAnsi.size(), 2u) << i;
        const auto bLead = static_cast<unsigned char>(strAnsi[0]);
        const auto bTrail = static_cast<unsigned char>(strAnsi[1]);
        EXPECT_TRUE(bLead >= 0xF0 && bLead <= 0xF5) << i;
        EXPECT_TRUE(IsProgramTrail(bTrail) && bTrail != 0x5C && bTrail != 0x7C) << i;
        setCodes.insert(strAnsi);
    }
    EXPECT_EQ(setCodes.size(), kNameCodeCapacity);
    std::string strAnsi;
    ASSERT_TRUE(DiskNameToAnsi(Utf8Of(0xAC00 + 28), strAnsi));
    EXPECT_EQ(strAnsi, CodeBytes(0xF05D)) << "0xF05C is skipped";
}

TEST_F(NameCodec, SpentCodesFailCountAndResetRestores) {
    for (std::size_t i = 0; i + 1 < kNameCodeCapacity; ++i) {
        std::string strAnsi;
        ASSERT_TRUE(DiskNameToAnsi(Utf8Of(0xAC00 + static_cast<char32_t>(i)), strAnsi)) << i;
    }
    std::string strAnsi;
    // Two new characters with one code left: neither gets one.
    EXPECT_FALSE(DiskNameToAnsi("éü", strAnsi));
    EXPECT_EQ(UnmappableNameCount(), 1u);
    ASSERT_TRUE(DiskNameToAnsi("ü", strAnsi));
    EXPECT_FALSE(DiskNameToAnsi("é", strAnsi));
    EXPECT_FALSE(Utf8ToAnsi("é", strAnsi, TextKind::Text));
    EXPECT_EQ(UnmappableNameCount(), 3u);
    // Known characters and plain names still convert.
    ASSERT_TRUE(DiskNameToAnsi("ü" + Utf8Of(0xAC00) + "日本", strAnsi));
    EXPECT_EQ(AnsiNameToDisk(strAnsi), "ü" + Utf8Of(0xAC00) + "日本");

    ResetNameCodec();
    EXPECT_EQ(UnmappableNameCount(), 0u);
    ASSERT_TRUE(DiskNameToAnsi("é", strAnsi));
    EXPECT_EQ(strAnsi, CodeBytes(0xF040));
}

TEST_F(NameCodec, UnassignedAndInvalidCp932ConvertAsWindows) {
    const struct {
        std::string strAnsi;
        std::string strUtf8;
    } rows[] = {
        {CodeBytes(0xF040), "\ue000"}, // a user-defined code the table never handed out
        {CodeBytes(0xF05C), "\ue01c"}, // a code the table never hands out
        {CodeBytes(0xF9FC), "\ue757"},
        {"\x81", "・"},               // a lone lead byte
        {"\x81 a", "・ a"},           // a lead byte before a non-trail byte
        {"\x85\x40", "・"},           // an unassigned pair
        {"\x83\x5c\x95\x5c", "ソ表"}, // trail bytes 0x5C
        {"\xb1\x80\xa0", "ｱ\u0080\uf8f0"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(AnsiToUtf8(rows[i].strAnsi), rows[i].strUtf8) << "row " << i;
    }
}

TEST_F(NameCodec, ThreadsAgreeOnCodes) {
    std::vector<std::string> vNames;
    for (int i = 0; i < 300; ++i) {
        // Shared characters across names and some of each name's own.
        vNames.push_back("曲" + Utf8Of(0x1F300 + static_cast<char32_t>(i % 37)) + "é" +
                         Utf8Of(0xAC00 + static_cast<char32_t>(i)) + ".mp3");
    }
    constexpr int kThreads = 4;
    std::vector<std::vector<std::string>> vResults(kThreads,
                                                   std::vector<std::string>(vNames.size()));
    std::vector<std::thread> vThreads;
    for (int t = 0; t < kThreads; ++t) {
        vThreads.emplace_back([&, t] {
            // Each thread meets the names in another order.
            std::vector<std::size_t> vOrder(vNames.size());
            for (std::size_t k = 0; k < vOrder.size(); ++k) {
                vOrder[k] = k;
            }
            std::shuffle(vOrder.begin(), vOrder.end(), std::mt19937(static_cast<unsigned>(t)));
            for (std::size_t i : vOrder) {
                std::string strAnsi;
                if (DiskNameToAnsi(vNames[i], strAnsi) && AnsiNameToDisk(strAnsi) == vNames[i]) {
                    vResults[t][i] = strAnsi;
                }
            }
        });
    }
    for (std::thread& thread : vThreads) {
        thread.join();
    }
    std::set<std::string> setDistinct;
    for (std::size_t i = 0; i < vNames.size(); ++i) {
        ASSERT_FALSE(vResults[0][i].empty()) << "name " << i;
        for (int t = 1; t < kThreads; ++t) {
            EXPECT_EQ(vResults[t][i], vResults[0][i]) << "name " << i << " thread " << t;
        }
        setDistinct.insert(vResults[0][i]);
    }
    EXPECT_EQ(setDistinct.size(), vNames.size());
    EXPECT_EQ(UnmappableNameCount(), 0u);
}
