// CP932 <-> UTF-16 at the controls' edge: through UTF-8 and the layer's name codec, so that the
// codec's codes for names outside CP932 show as their own characters.
#include "platform/framework/ui/windows/NativeWindow.h"
#include "platform/framework/ui/windows/UiInternal.h"
#include "platform/win32/NameCodec.h"

namespace tessaly::framework::detail {

std::wstring ToWide(std::string_view strAnsi) {
    return native::Utf8ToWide(win32::AnsiToUtf8(strAnsi));
}

std::wstring ToWide(const char* pcAnsi) {
    return ToWide(std::string_view(pcAnsi != nullptr ? pcAnsi : ""));
}

CString FromWide(std::wstring_view strWide) {
    std::string strAnsi;
    // Free text always has a CP932 form.
    win32::Utf8ToAnsi(native::WideToUtf8(strWide), strAnsi, win32::TextKind::Text);
    return CString(strAnsi.data(), static_cast<int>(strAnsi.size()));
}

} // namespace tessaly::framework::detail
