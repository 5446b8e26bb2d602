// Inside the layer: strict UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF).
#pragma once

#include <cstddef>
#include <string>

namespace tessaly::win32::detail {

// Decodes the sequence at p (n >= 1 bytes left). Returns its length and sets cp when it is valid;
// returns 0 when not, with cbBad set to the length of its maximal ill-formed part (at least 1),
// the unit that Windows replaces with one U+FFFD.
inline std::size_t DecodeUtf8(const unsigned char* p, std::size_t n, char32_t& cp,
                              std::size_t& cbBad) {
    const unsigned b0 = p[0];
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    std::size_t cbNeed;
    char32_t c;
    unsigned uLow = 0x80;
    unsigned uHigh = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        cbNeed = 1;
        c = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        cbNeed = 2;
        c = b0 & 0x0F;
        uLow = b0 == 0xE0 ? 0xA0 : 0x80;  // overlong
        uHigh = b0 == 0xED ? 0x9F : 0xBF; // surrogates
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        cbNeed = 3;
        c = b0 & 0x07;
        uLow = b0 == 0xF0 ? 0x90 : 0x80;  // overlong
        uHigh = b0 == 0xF4 ? 0x8F : 0xBF; // above U+10FFFF
    } else {
        cbBad = 1;
        return 0;
    }
    for (std::size_t i = 1; i <= cbNeed; ++i) {
        if (i >= n || p[i] < uLow || p[i] > uHigh) {
            cbBad = i;
            return 0;
        }
        c = (c << 6) | (p[i] & 0x3F);
        uLow = 0x80;
        uHigh = 0xBF;
    }
    cp = c;
    return cbNeed + 1;
}

// Writes cp (a scalar value) as UTF-8 at pc, which has room for 4 bytes; returns the byte count.
inline std::size_t EncodeUtf8(char32_t cp, char* pc) {
    if (cp < 0x80) {
        pc[0] = static_cast<char>(cp);
        return 1;
    }
    if (cp < 0x800) {
        pc[0] = static_cast<char>(0xC0 | (cp >> 6));
        pc[1] = static_cast<char>(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        pc[0] = static_cast<char>(0xE0 | (cp >> 12));
        pc[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        pc[2] = static_cast<char>(0x80 | (cp & 0x3F));
        return 3;
    }
    pc[0] = static_cast<char>(0xF0 | (cp >> 18));
    pc[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    pc[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    pc[3] = static_cast<char>(0x80 | (cp & 0x3F));
    return 4;
}

inline void AppendUtf8(std::string& str, char32_t cp) {
    char ac[4];
    str.append(ac, EncodeUtf8(cp, ac));
}

} // namespace tessaly::win32::detail
