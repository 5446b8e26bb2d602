#include "support/AnsiText.h"

#include <string>

#include "platform/win32/NameCodec.h"

CString AnsiFromUtf8(const char* pcUtf8) {
    CString strAnsi;
    AnsiFromUtf8(pcUtf8, strAnsi);
    return strAnsi;
}

bool AnsiFromUtf8(const char* pcUtf8, CString& strAnsi) {
    strAnsi.Empty();
    if (pcUtf8 == nullptr) {
        return false;
    }
    std::string strOut;
    if (!tessaly::win32::Utf8ToAnsi(pcUtf8, strOut, tessaly::win32::TextKind::Text)) {
        return false;
    }
    strAnsi = CString(strOut.c_str(), static_cast<int>(strOut.size()));
    return true;
}

bool HoldsCodesOutsideCp932(std::string_view strAnsi) {
    for (std::size_t i = 0; i < strAnsi.size(); ++i) {
        const auto byChar = static_cast<unsigned char>(strAnsi[i]);
        // Windows' lead bytes, the IBM extensions' 0xFA-0xFC included: their trail byte may look
        // like a lead byte of its own.
        if ((byChar >= 0x81 && byChar <= 0x9F) || (byChar >= 0xE0 && byChar <= 0xFC)) {
            if (byChar >= 0xF0 && byChar <= 0xF9) {
                return true;
            }
            ++i;
        }
    }
    return false;
}

std::string BytesForReader(std::string_view strAnsi) {
    if (!HoldsCodesOutsideCp932(strAnsi)) {
        return std::string(strAnsi);
    }
    return std::string(kUtf8Bom) + tessaly::win32::AnsiToUtf8(strAnsi);
}
