// The name codec on its own: 1,000,000 on-disk names of each kind (ASCII, kanji, Hangul) into
// CP932 and back, with names a second and the bytes a name takes on disk and in the program.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/win32/NameCodec.h"
#include "platform/win32/Win32CodePage.h"

namespace {

constexpr std::size_t kNames = 1000000;

std::string Utf8Of(char32_t c) {
    std::string str;
    if (c < 0x80) {
        str += static_cast<char>(c);
    } else if (c < 0x800) {
        str += static_cast<char>(0xC0 | (c >> 6));
        str += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        str += static_cast<char>(0xE0 | (c >> 12));
        str += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        str += static_cast<char>(0x80 | (c & 0x3F));
    }
    return str;
}

std::vector<char32_t> Range(char32_t cFirst, char32_t cCount) {
    std::vector<char32_t> vChars;
    for (char32_t c = cFirst; c < cFirst + cCount; ++c) {
        vChars.push_back(c);
    }
    return vChars;
}

// The kanji of JIS level 1 (CP932 leads 0x89-0x97), as the code page reads them.
std::vector<char32_t> Level1Kanji() {
    std::vector<char32_t> vChars;
    for (int iLead = 0x89; iLead <= 0x97; ++iLead) {
        for (int iTrail = 0x40; iTrail <= 0xFC; ++iTrail) {
            const char ac[2] = {static_cast<char>(iLead), static_cast<char>(iTrail)};
            WCHAR wc = 0;
            if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, ac, 2, &wc, 1) == 1) {
                vChars.push_back(wc);
            }
        }
    }
    return vChars;
}

// Eight letters of a set, then a number and the extension: about 20 characters.
std::vector<std::string> MakeNames(const std::vector<char32_t>& vChars) {
    std::vector<std::string> vNames(kNames);
    for (std::size_t i = 0; i < kNames; ++i) {
        std::string& str = vNames[i];
        for (std::size_t k = 0; k < 8; ++k) {
            str += Utf8Of(vChars[(i * 7 + k * 131) % vChars.size()]);
        }
        str += '_';
        str += std::to_string(i);
        str += ".wav";
    }
    return vNames;
}

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool Run(const char* pcKind, const std::vector<std::string>& vDisk) {
    std::vector<std::string> vAnsi(vDisk.size());
    std::size_t cbDisk = 0;
    std::size_t cbAnsi = 0;
    auto start = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < vDisk.size(); ++i) {
        tessaly::win32::DiskNameToAnsi(vDisk[i], vAnsi[i]);
    }
    const double dIn = Seconds(start);
    std::size_t cMismatch = 0;
    start = std::chrono::steady_clock::now();
    for (std::size_t i = 0; i < vDisk.size(); ++i) {
        cMismatch += tessaly::win32::AnsiNameToDisk(vAnsi[i]) != vDisk[i];
    }
    const double dOut = Seconds(start);
    for (std::size_t i = 0; i < vDisk.size(); ++i) {
        cbDisk += vDisk[i].size();
        cbAnsi += vAnsi[i].size();
    }
    const double dNames = static_cast<double>(vDisk.size());
    std::printf("%-7s disk -> CP932 %5.2f M names/s, CP932 -> disk %5.2f M names/s, "
                "%5.1f bytes a name on disk, %5.1f in CP932\n",
                pcKind, dNames / dIn / 1e6, dNames / dOut / 1e6,
                static_cast<double>(cbDisk) / dNames, static_cast<double>(cbAnsi) / dNames);
    if (cMismatch != 0) {
        std::printf("%zu %s names did not come back unchanged\n", cMismatch, pcKind);
    }
    return cMismatch == 0;
}

} // namespace

int main() {
    bool bOk = Run("ASCII", MakeNames(Range(U'a', 26)));
    bOk = Run("kanji", MakeNames(Level1Kanji())) && bOk;
    bOk = Run("Hangul", MakeNames(Range(U'\uAC00', 11172))) && bOk;
    return bOk ? 0 : 1;
}
