// wvsprintfA: user32's formatter, with %I64 and its 1,024-byte limit.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/win32/Win32Text.h"

namespace {

// Appends up to the room left, always keeping space for the terminator.
class BoundedOut {
public:
    BoundedOut(char* pcOut, std::size_t cbSize) : m_pcOut(pcOut), m_cbSize(cbSize) {}
    void Put(const char* pc, std::size_t cb) {
        const std::size_t cbRoom = m_cbSize - 1 - m_cbUsed;
        const std::size_t cbTake = cb < cbRoom ? cb : cbRoom;
        std::memcpy(m_pcOut + m_cbUsed, pc, cbTake);
        m_cbUsed += cbTake;
    }
    void PutRepeated(char c, std::size_t n) {
        for (std::size_t i = 0; i < n; ++i) {
            Put(&c, 1);
        }
    }
    bool Full() const { return m_cbUsed + 1 >= m_cbSize; }
    int Finish() {
        m_pcOut[m_cbUsed] = '\0';
        return static_cast<int>(m_cbUsed);
    }

private:
    char* m_pcOut;
    std::size_t m_cbSize;
    std::size_t m_cbUsed = 0;
};

struct Spec {
    bool bLeft = false;
    bool bZero = false;
    bool bAlt = false;
    int iWidth = 0;
    int iPrecision = -1;
};

void PutPadded(BoundedOut& out, const Spec& spec, const char* pc, std::size_t cb, bool bNumber) {
    const std::size_t cbWidth = spec.iWidth > 0 ? static_cast<std::size_t>(spec.iWidth) : 0;
    const std::size_t cbPad = cbWidth > cb ? cbWidth - cb : 0;
    if (spec.bLeft) {
        out.Put(pc, cb);
        out.PutRepeated(' ', cbPad);
        return;
    }
    if (spec.bZero && bNumber && cbPad > 0) {
        // Zero padding goes after a sign.
        if (cb > 0 && *pc == '-') {
            out.Put(pc, 1);
            ++pc;
            --cb;
        }
        out.PutRepeated('0', cbPad);
        out.Put(pc, cb);
        return;
    }
    out.PutRepeated(' ', cbPad);
    out.Put(pc, cb);
}

void PutNumber(BoundedOut& out, const Spec& spec, char cConv, unsigned long long ullValue,
               bool bNegative) {
    char acDigits[32];
    const char* pszForm = cConv == 'x' ? "%llx" : cConv == 'X' ? "%llX" : "%llu";
    int cb = std::snprintf(acDigits, sizeof acDigits, pszForm, ullValue);
    std::string strNum;
    if (bNegative) {
        strNum += '-';
    }
    if (spec.bAlt && (cConv == 'x' || cConv == 'X') && ullValue != 0) {
        strNum += cConv == 'x' ? "0x" : "0X";
    }
    if (spec.iPrecision > cb) {
        strNum.append(static_cast<std::size_t>(spec.iPrecision - cb), '0');
    }
    strNum.append(acDigits, static_cast<std::size_t>(cb));
    PutPadded(out, spec, strNum.data(), strNum.size(), true);
}

int Format(char* pcOut, std::size_t cbSize, const char* pszFmt, va_list args) {
    if (pcOut == nullptr || cbSize == 0) {
        return 0;
    }
    BoundedOut out(pcOut, cbSize);
    if (pszFmt == nullptr) {
        return out.Finish();
    }
    const char* p = pszFmt;
    while (*p != '\0' && !out.Full()) {
        if (*p != '%') {
            const char* pStart = p;
            while (*p != '\0' && *p != '%') {
                ++p;
            }
            out.Put(pStart, static_cast<std::size_t>(p - pStart));
            continue;
        }
        ++p;
        if (*p == '%') {
            out.Put(p, 1);
            ++p;
            continue;
        }
        Spec spec;
        for (;; ++p) {
            if (*p == '-') {
                spec.bLeft = true;
            } else if (*p == '0') {
                spec.bZero = true;
            } else if (*p == '#') {
                spec.bAlt = true;
            } else {
                break;
            }
        }
        while (*p >= '0' && *p <= '9') {
            spec.iWidth = spec.iWidth * 10 + (*p++ - '0');
            if (spec.iWidth > 4096) {
                spec.iWidth = 4096;
            }
        }
        if (*p == '.') {
            ++p;
            spec.iPrecision = 0;
            while (*p >= '0' && *p <= '9') {
                spec.iPrecision = spec.iPrecision * 10 + (*p++ - '0');
                if (spec.iPrecision > 4096) {
                    spec.iPrecision = 4096;
                }
            }
        }
        bool b64 = false;
        if (p[0] == 'I' && p[1] == '6' && p[2] == '4') {
            b64 = true;
            p += 3;
        } else if (p[0] == 'l' && p[1] == 'l') {
            b64 = true;
            p += 2;
        } else if (*p == 'l' || *p == 'h') {
            ++p; // long is 32 bits on Windows; short arguments arrive as int
        }
        const char cConv = *p;
        if (cConv == '\0') {
            break;
        }
        ++p;
        switch (cConv) {
        case 'd':
        case 'i': {
            long long llValue = b64 ? va_arg(args, long long) : va_arg(args, int);
            const bool bNegative = llValue < 0;
            const unsigned long long ullMagnitude =
                bNegative ? 0ULL - static_cast<unsigned long long>(llValue)
                          : static_cast<unsigned long long>(llValue);
            PutNumber(out, spec, 'u', ullMagnitude, bNegative);
            break;
        }
        case 'u':
        case 'x':
        case 'X': {
            unsigned long long ullValue =
                b64 ? va_arg(args, unsigned long long) : va_arg(args, unsigned int);
            PutNumber(out, spec, cConv, ullValue, false);
            break;
        }
        case 'c': {
            const char c = static_cast<char>(va_arg(args, int));
            PutPadded(out, spec, &c, 1, false);
            break;
        }
        case 's': {
            const char* psz = va_arg(args, const char*);
            if (psz == nullptr) {
                psz = "(null)";
            }
            std::size_t cb = std::strlen(psz);
            if (spec.iPrecision >= 0 && static_cast<std::size_t>(spec.iPrecision) < cb) {
                cb = static_cast<std::size_t>(spec.iPrecision);
            }
            PutPadded(out, spec, psz, cb, false);
            break;
        }
        default:
            // Windows copies an unknown conversion character as it stands.
            out.Put(&cConv, 1);
            break;
        }
    }
    return out.Finish();
}

} // namespace

namespace tessaly::win32 {
int FormatBounded(LPSTR lpOutput, std::size_t dwBufferSize, LPCSTR lpFmt, va_list arglist) {
    return Format(lpOutput, dwBufferSize, lpFmt, arglist);
}
} // namespace tessaly::win32

int WINAPI wvsprintfA(LPSTR lpOutput, LPCSTR lpFmt, va_list arglist) {
    return Format(lpOutput, 1024, lpFmt, arglist);
}

int wsprintfA(LPSTR lpOutput, LPCSTR lpFmt, ...) {
    va_list args;
    va_start(args, lpFmt);
    const int iLen = Format(lpOutput, 1024, lpFmt, args);
    va_end(args);
    return iLen;
}
