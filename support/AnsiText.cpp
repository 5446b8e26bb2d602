#include "support/AnsiText.h"

#include <string>

#include "platform/win32/NameCodec.h"

CString AnsiFromUtf8(const char* pcUtf8) {
    if (pcUtf8 == nullptr) {
        return CString();
    }
    std::string strAnsi;
    // Free text always has a CP932 form.
    tessaly::win32::Utf8ToAnsi(pcUtf8, strAnsi, tessaly::win32::TextKind::Text);
    return CString(strAnsi.c_str(), static_cast<int>(strAnsi.size()));
}
