// The upper-case table is built once from the system's own upper-casing: 256 pages of 256 units,
// only the ~20 pages that hold cased letters stored. Composition is the platform normaliser's.
#include "platform/win32/common/CaseFold.h"

#include <array>
#include <memory>
#include <vector>

#include "platform/win32/NameCodec.h"
#include "platform/win32/common/Utf8.h"

namespace tessaly::win32::detail {
namespace {

using Page = std::array<char16_t, 256>;

class UpcaseTable {
public:
    UpcaseTable() {
        m_apPages.fill(nullptr);
        const SystemUpcaser upcaser;
        for (unsigned uPage = 0; uPage < 256; ++uPage) {
            Page page;
            bool bCased = false;
            for (unsigned u = 0; u < 256; ++u) {
                const char16_t c = static_cast<char16_t>(uPage * 256 + u);
                char16_t cUpper = c;
                if (c < 0xD800 || c > 0xDFFF) {
                    cUpper = upcaser.Upcase(c);
                }
                page[u] = cUpper;
                bCased = bCased || cUpper != c;
            }
            if (bCased) {
                m_aStorage.push_back(std::make_unique<Page>(page));
                m_apPages[uPage] = m_aStorage.back().get();
            }
        }
    }

    char16_t Upcase(char16_t c) const {
        const Page* pPage = m_apPages[c >> 8];
        return pPage == nullptr ? c : (*pPage)[c & 0xFF];
    }

private:
    std::array<const Page*, 256> m_apPages;
    std::vector<std::unique_ptr<Page>> m_aStorage;
};

const UpcaseTable& Table() {
    static const UpcaseTable* pTable = new UpcaseTable; // never destroyed: threads may outlive it
    return *pTable;
}

// Calls emit(unit) for every UTF-16 unit of the name, upper-cased.
template <class Emit> void ForEachUpcasedUnit(std::string_view strName, Emit&& emit) {
    const UpcaseTable& table = Table();
    const auto* p = reinterpret_cast<const unsigned char*>(strName.data());
    const std::size_t n = strName.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned b0 = p[i];
        if (b0 < 0x80) {
            emit(table.Upcase(static_cast<char16_t>(b0)));
            ++i;
            continue;
        }
        std::size_t cbMore = 0;
        char32_t cp = 0;
        unsigned uLow = 0x80;
        unsigned uHigh = 0xBF;
        if (b0 >= 0xC2 && b0 <= 0xDF) {
            cbMore = 1;
            cp = b0 & 0x1F;
        } else if (b0 >= 0xE0 && b0 <= 0xEF) {
            cbMore = 2;
            cp = b0 & 0x0F;
            uLow = b0 == 0xE0 ? 0xA0 : 0x80;  // overlong
            uHigh = b0 == 0xED ? 0x9F : 0xBF; // surrogates
        } else if (b0 >= 0xF0 && b0 <= 0xF4) {
            cbMore = 3;
            cp = b0 & 0x07;
            uLow = b0 == 0xF0 ? 0x90 : 0x80;  // overlong
            uHigh = b0 == 0xF4 ? 0x8F : 0xBF; // above U+10FFFF
        }
        bool bValid = cbMore > 0;
        for (std::size_t k = 1; bValid && k <= cbMore; ++k) {
            if (i + k >= n || p[i + k] < uLow || p[i + k] > uHigh) {
                bValid = false;
                break;
            }
            cp = (cp << 6) | (p[i + k] & 0x3F);
            uLow = 0x80;
            uHigh = 0xBF;
        }
        if (!bValid) {
            emit(static_cast<char16_t>(0xDC00 | b0));
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            emit(static_cast<char16_t>(0xD800 | (cp >> 10)));
            emit(static_cast<char16_t>(0xDC00 | (cp & 0x3FF)));
        } else {
            emit(table.Upcase(static_cast<char16_t>(cp)));
        }
        i += cbMore + 1;
    }
}

// Most names are of characters that need no normaliser (ComposesAsItself); a character below
// U+0300 has a lead byte below 0xCC, so only the others are decoded.
bool MayChangeUnderNfc(std::string_view strName) {
    const auto* p = reinterpret_cast<const unsigned char*>(strName.data());
    const std::size_t n = strName.size();
    for (std::size_t i = 0; i < n;) {
        if (p[i] < 0xCC) {
            ++i;
            continue;
        }
        char32_t cp = 0;
        std::size_t cbBad = 0;
        const std::size_t cb = DecodeUtf8(p + i, n - i, cp, cbBad);
        if (cb == 0 || !ComposesAsItself(cp)) {
            return true;
        }
        i += cb;
    }
    return false;
}

bool IsValidUtf8(std::string_view strName) {
    const auto* p = reinterpret_cast<const unsigned char*>(strName.data());
    for (std::size_t i = 0; i < strName.size();) {
        char32_t cp = 0;
        std::size_t cbBad = 0;
        const std::size_t cb = DecodeUtf8(p + i, strName.size() - i, cp, cbBad);
        if (cb == 0) {
            return false;
        }
        i += cb;
    }
    return true;
}

// Calls emit(unit) for every UTF-16 unit of the name's folded form.
template <class Emit> void ForEachFoldedUnit(std::string_view strName, Emit&& emit) {
    thread_local std::string t_strComposed;
    if (MayChangeUnderNfc(strName) && IsValidUtf8(strName) && ComposeNfc(strName, t_strComposed)) {
        ForEachUpcasedUnit(t_strComposed, emit);
        return;
    }
    ForEachUpcasedUnit(strName, emit);
}

} // namespace

bool ComposesAsItself(char32_t cp) {
    return cp < 0x300 ||
           (cp >= 0x3000 && cp < 0x302A) || // CJK symbols, before the tone marks U+302A-U+302F
           (cp >= 0x3030 && cp < 0x3099) || // hiragana, before the voicing marks U+3099-U+309A
           (cp >= 0x309B && cp < 0x3100) || // the spacing marks, katakana
           (cp >= 0x4E00 && cp < 0xA000) || // CJK unified ideographs
           (cp >= 0xFF01 && cp < 0xFFF0);   // full-width and half-width forms
}

char16_t UpcaseUnit(char16_t c) {
    return Table().Upcase(c);
}

void AppendUpcasedName(std::string_view strDiskName, std::u16string& strOut) {
    ForEachUpcasedUnit(strDiskName, [&](char16_t c) { strOut.push_back(c); });
}

void AppendFoldedName(std::string_view strDiskName, std::u16string& strOut) {
    ForEachFoldedUnit(strDiskName, [&](char16_t c) { strOut.push_back(c); });
}

std::uint64_t FoldedNameHash(std::string_view strDiskName) {
    std::uint64_t uHash = 0xcbf29ce484222325ull; // FNV-1a over the units
    ForEachFoldedUnit(strDiskName, [&](char16_t c) {
        uHash = (uHash ^ (c & 0xFF)) * 0x100000001b3ull;
        uHash = (uHash ^ (c >> 8)) * 0x100000001b3ull;
    });
    return uHash;
}

bool EqualFolded(std::string_view strDiskA, std::string_view strDiskB) {
    if (strDiskA == strDiskB) {
        return true;
    }
    std::u16string strA;
    std::u16string strB;
    AppendFoldedName(strDiskA, strA);
    AppendFoldedName(strDiskB, strB);
    return strA == strB;
}

void AppendListingKey(std::string_view strDiskName, std::string& strOut) {
    ForEachUpcasedUnit(strDiskName, [&](char16_t c) {
        strOut.push_back(static_cast<char>(c >> 8));
        strOut.push_back(static_cast<char>(c & 0xFF));
    });
    strOut.push_back('\0');
    strOut.push_back('\0');
    strOut.append(strDiskName);
}

} // namespace tessaly::win32::detail

namespace tessaly::win32 {

std::uint64_t NameCaseHash(std::string_view strAnsiName) {
    return detail::FoldedNameHash(AnsiNameToDisk(strAnsiName));
}

bool NamesEqualIgnoringCase(std::string_view strAnsiA, std::string_view strAnsiB) {
    return detail::EqualFolded(AnsiNameToDisk(strAnsiA), AnsiNameToDisk(strAnsiB));
}

} // namespace tessaly::win32
