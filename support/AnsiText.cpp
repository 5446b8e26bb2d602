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
