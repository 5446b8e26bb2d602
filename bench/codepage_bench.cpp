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

    // The names side by side, as the results are: the timed loops measure the conversions, not
    // the heap; the results are checked afterwards.
    std::string strAnsiAll;
    std::vector<std::size_t> vAnsiAt;
    for (const std::string& str : vAnsi) {
        vAnsiAt.push_back(strAnsiAll.size());
        strAnsiAll += str;
    }
    vAnsiAt.push_back(strAnsiAll.size());
    std::vector<WCHAR> vWide(cbAnsi);
    std::vector<std::size_t> vWideAt(kNames + 1);

    Start start;
    std::size_t cchDone = 0;
    for (std::size_t i = 0; i < kNames; ++i) {
        const char* pc = strAnsiAll.data() + vAnsiAt[i];
        const int cb = static_cast<int>(vAnsiAt[i + 1] - vAnsiAt[i]);
        const int cch = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, pc, cb, nullptr, 0);
        vWideAt[i] = cchDone;
        cchDone += MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, pc, cb, vWide.data() + cchDone, cch);
    }
    vWideAt[kNames] = cchDone;
    Report("CP932 -> UTF-16", start, cbAnsi);

    std::string strBackAll(cbAnsi, '\0');
    start = Start();
    std::size_t cbDone = 0;
    for (std::size_t i = 0; i < kNames; ++i) {
        const WCHAR* pw = vWide.data() + vWideAt[i];
        const int cch = static_cast<int>(vWideAt[i + 1] - vWideAt[i]);
        const int cb = WideCharToMultiByte(CP_ACP, 0, pw, cch, nullptr, 0, nullptr, nullptr);
        cbDone += WideCharToMultiByte(CP_ACP, 0, pw, cch, strBackAll.data() + cbDone, cb, nullptr,
                                      nullptr);
    }
    Report("UTF-16 -> CP932", start, cbAnsi);
    std::size_t cMismatch = strBackAll == strAnsiAll ? 0 : 1;

    std::vector<std::string> vDisk(kNames);
    std::size_t cbDisk = 0;
    start = Start();
    for (std::size_t i = 0; i < kNames; ++i) {
        vDisk[i] = tessaly::win32::AnsiNameToDisk(vAnsi[i]);
        cbDisk += vDisk[i].size();
    }
    Report("CP932 -> disk (codec)", start, cbAnsi);

    std::string strBack;
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
