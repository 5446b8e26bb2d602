#include "platform/framework/ui/windows/DialogTemplateBytes.h"

#include <cstring>
#include <string>

#include "platform/framework/ui/windows/NativeWindow.h"

namespace tessaly::framework::detail {
namespace {

constexpr DWORD kDsCenter = 0x0800u;

// Appends little pieces to a byte buffer, as the template's layout lists them.
class TemplateWriter {
public:
    void Word(std::uint16_t w) { Raw(&w, sizeof(w)); }
    void Dword(std::uint32_t dw) { Raw(&dw, sizeof(dw)); }
    void Short(std::int16_t s) { Raw(&s, sizeof(s)); }
    void Byte(std::uint8_t b) { Raw(&b, sizeof(b)); }
    // A UTF-16 string with its terminator.
    void String(const char* pszUtf8) {
        const std::wstring str = native::Utf8ToWide(pszUtf8 != nullptr ? pszUtf8 : "");
        for (wchar_t c : str) {
            Word(static_cast<std::uint16_t>(c));
        }
        Word(0);
    }
    // An ordinal in place of a string: 0xFFFF and the number.
    void Ordinal(std::uint16_t w) {
        Word(0xFFFF);
        Word(w);
    }
    void AlignDword() {
        while (m_vecBytes.size() % 4 != 0) {
            m_vecBytes.push_back(0);
        }
    }
    size_t Size() const { return m_vecBytes.size(); }
    std::vector<std::uint32_t> Take() {
        AlignDword();
        std::vector<std::uint32_t> vecOut(m_vecBytes.size() / 4);
        std::memcpy(vecOut.data(), m_vecBytes.data(), m_vecBytes.size());
        return vecOut;
    }

private:
    void Raw(const void* pv, size_t cb) {
        const auto* pb = static_cast<const std::uint8_t*>(pv);
        m_vecBytes.insert(m_vecBytes.end(), pb, pb + cb);
    }
    std::vector<std::uint8_t> m_vecBytes;
};

const char* ClassName(EControlKind eKind) {
    switch (eKind) {
    case EControlKind::PushButton:
    case EControlKind::CheckBox:
        return "Button";
    case EControlKind::Edit:
        return "Edit";
    case EControlKind::Static:
        return "Static";
    case EControlKind::ListView:
        return "SysListView32";
    case EControlKind::ListBox:
        return "ListBox";
    case EControlKind::ProgressBar:
        return "msctls_progress32";
    }
    return "Static";
}

// The list view is virtual: its rows live in the framework, which answers for each visible cell.
DWORD ItemStyle(const DialogItemTemplate& item) {
    return item.eKind == EControlKind::ListView ? item.dwStyle | LVS_OWNERDATA : item.dwStyle;
}

} // namespace

std::vector<std::uint32_t> BuildDialogTemplate(const DialogTemplate& dialogTemplate) {
    TemplateWriter out;
    out.Word(1);      // dlgVer
    out.Word(0xFFFF); // signature: the extended form
    out.Dword(0);     // helpID
    out.Dword(dialogTemplate.dwExStyle);
    // Centred on its owner (or the screen), as the other window system places it.
    out.Dword(dialogTemplate.dwStyle | DS_SETFONT | kDsCenter);
    out.Word(static_cast<std::uint16_t>(dialogTemplate.items.size()));
    out.Short(0);
    out.Short(0);
    out.Short(static_cast<std::int16_t>(dialogTemplate.cx));
    out.Short(static_cast<std::int16_t>(dialogTemplate.cy));
    out.Word(0); // no menu
    out.Word(0); // the dialog class
    out.String(dialogTemplate.pszCaption);
    out.Word(static_cast<std::uint16_t>(dialogTemplate.nPointSize));
    out.Word(400); // weight
    out.Byte(0);   // italic
    out.Byte(1);   // DEFAULT_CHARSET
    out.String(dialogTemplate.pszFontFace);
    for (const DialogItemTemplate& item : dialogTemplate.items) {
        out.AlignDword();
        out.Dword(0); // helpID
        out.Dword(item.dwExStyle);
        out.Dword(ItemStyle(item));
        out.Short(static_cast<std::int16_t>(item.x));
        out.Short(static_cast<std::int16_t>(item.y));
        out.Short(static_cast<std::int16_t>(item.cx));
        out.Short(static_cast<std::int16_t>(item.cy));
        out.Dword(static_cast<std::uint32_t>(item.nId));
        out.String(ClassName(item.eKind));
        if (item.eKind == EControlKind::Static && item.nIconId != 0) {
            out.Ordinal(static_cast<std::uint16_t>(item.nIconId));
        } else {
            out.String(item.pszCaption);
        }
        out.Word(0); // no creation data
    }
    return out.Take();
}

} // namespace tessaly::framework::detail
