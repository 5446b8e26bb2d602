// Converts a million file names of about 20 bytes (mixed ASCII and Japanese) from CP932 to UTF-16
// and back as the program does (size query, then conversion), and through the name codec between
// CP932 and the UTF-8 of the disk.
#include <chrono>
#include <cstdio>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "platform/win32/Win32.h"

namespace {

constexpr std::size_t kNames = 1000000;

std::vector<std::string> MakeCp932Names() {
    const std::u16string strJapanese = u"あいうえおかきくけこアイウエオカキクケコ表示曲名日本語音楽"
                                       u"ソース能力予定ｱｲｳｴｵ";
    const char* const apcAscii[] = {"track", "mix", "01", "live", "_", "-", " ", "v2"};
    std::mt19937 rng(932);
    std::vector<std::string> vNames;
    vNames.reserve(kNames);
    for (std::size_t i = 0; i < kNames; ++i) {
        std::u16string strName;
        while (strName.size() < 10) {
            if (rng() % 2 == 0) {
                for (const char* pc = apcAscii[rng() % std::size(apcAscii)]; *pc; ++pc) {
                    strName += static_cast<char16_t>(*pc);
                }
            } else {
                strName += strJapanese[rng() % strJapanese.size()];
                strName += strJapanese[rng() % strJapanese.size()];
            }
        }
        strName += u".mp3";
        char acBuf[64];
        const int cb =
            WideCharToMultiByte(CP_ACP, 0, strName.data(), static_cast<int>(strName.size()), acBuf,
                                sizeof acBuf, nullptr, nullptr);
        vNames.emplace_back(acBuf, static_cast<std::size_t>(cb));
    }
    return vNames;
}

// Wall time and processor time: the machine may be shared, and the processor time then tells
// the conversion's own cost.
struct Start {
    std::chrono::steady_clock::time_point wall = std::chrono::steady_clock::now();
    std::clock_t cpu = std::clock();
};

void Report(const char* pcWhat, const Start& start, std::size_t cbTotal) {
    const double dWall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start.wall).count();
    const double dCpu = static_cast<double>(std::clock() - start.cpu) / CLOCKS_PER_SEC;
    std::printf("%-24s wall %7.1f ms  cpu %7.1f ms  %6.1f ns/name  %5.0f MB/s\n", pcWhat,
                dWall * 1e3, dCpu * 1e3, dCpu * 1e9 / kNames, cbTotal / dCpu / 1e6);
}

} // namespace

int main() {
    const std::vector<std::string> vAnsi = MakeCp932Names();
    std::size_t cbAnsi = 0;
    for (const std::string& str : vAnsi) {
        cbAnsi += str.size();
    }
    std::printf("%zu names, %.1f CP932 bytes each (size query and conversion per name)\n", kNames,
                static_cast<double>(cbAnsi) / kNames);

    // The UTF-16 forms, made beforehand so that the timed loops measure conversions only.
    std::vector<std::u16string> vWide(kNames);
    for (std::size_t i = 0; i < kNames; ++i) {
        WCHAR awBuf[64];
        const int cch = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, vAnsi[i].data(),
                                            static_cast<int>(vAnsi[i].size()), awBuf, 64);
        vWide[i].assign(awBuf, static_cast<std::size_t>(cch));
    }

    std::size_t cMismatch = 0;
    Start start;
    for (std::size_t i = 0; i < kNames; ++i) {
        const std::string& str = vAnsi[i];
        const int cb = static_cast<int>(str.size());
        WCHAR awBuf[64];
        const int cch = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, str.data(), cb, nullptr, 0);
        MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, str.data(), cb, awBuf, cch);
        cMismatch += vWide[i].compare(0, std::u16string::npos, awBuf, cch) != 0;
    }
    Report("CP932 -> UTF-16", start, cbAnsi);

    std::string strBack;
    start = Start();
    for (std::size_t i = 0; i < kNames; ++i) {
        const std::u16string& str = vWide[i];
        const int cch = static_cast<int>(str.size());
        char acBuf[128];
        const int cb =
            WideCharToMultiByte(CP_ACP, 0, str.data(), cch, nullptr, 0, nullptr, nullptr);
        WideCharToMultiByte(CP_ACP, 0, str.data(), cch, acBuf, cb, nullptr, nullptr);
        cMismatch += vAnsi[i].compare(0, std::string::npos, acBuf, cb) != 0;
    }
    Report("UTF-16 -> CP932", start, cbAnsi);

    std::vector<std::string> vDisk(kNames);
    std::size_t cbDisk = 0;
    start = Start();
    for (std::size_t i = 0; i < kNames; ++i) {
        vDisk[i] = tessaly::win32::AnsiNameToDisk(vAnsi[i]);
        cbDisk += vDisk[i].size();
    }
    Report("CP932 -> disk (codec)", start, cbAnsi);

    start = Start();
    for (std::size_t i = 0; i < kNames; ++i) {
        cMismatch += !tessaly::win32::DiskNameToAnsi(vDisk[i], strBack) || strBack != vAnsi[i];
    }
    Report("disk -> CP932 (codec)", start, cbDisk);

    if (cMismatch != 0) {
        std::printf("%zu names did not come back unchanged\n", cMismatch);
        return 1;
    }
    return 0;
}
