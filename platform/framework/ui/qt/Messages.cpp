// Sent messages (a control notifying its dialog, the colour requests) and the text, font and
// colour conversions between the program's CP932 and Qt.
#include <QFont>
#include <QFontDatabase>
#include <QWidget>

#include "platform/framework/ui/Dialog.h"
#include "platform/framework/ui/Gdi.h"
#include "platform/framework/ui/WinApp.h"
#include "platform/framework/ui/WindowThread.h"
#include "platform/framework/ui/qt/UiInternal.h"
#include "platform/win32/NameCodec.h"

namespace tessaly::framework::detail {

LRESULT SendToDialog(CDialog* pDialog, UINT nMessage, WPARAM wParam, LPARAM lParam) {
    if (pDialog == nullptr) {
        return 0;
    }
    return pDialog->SendMessage(nMessage, wParam, lParam);
}

void NotifyCommand(QWidget* pControl, UINT nCode) {
    WindowInfo info;
    if (!FindWindowInfo(ToHwnd(pControl), &info) || info.pDialog == nullptr) {
        return;
    }
    const WPARAM wParam = (static_cast<WPARAM>(nCode & 0xFFFF) << 16) |
                          static_cast<WPARAM>(static_cast<UINT>(info.nId) & 0xFFFF);
    SendToDialog(info.pDialog, WM_COMMAND, wParam, reinterpret_cast<LPARAM>(ToHwnd(pControl)));
}

QColor ToQColor(COLORREF cr) {
    return QColor(GetRValue(cr), GetGValue(cr), GetBValue(cr));
}

bool RequestControlColors(QWidget* pControl, UINT nCtlType, QColor* pText, QColor* pBack,
                          bool* pTransparent) {
    WindowInfo info;
    if (!FindWindowInfo(ToHwnd(pControl), &info) || info.pDialog == nullptr) {
        return false;
    }
    CDC dc;
    AFX_CTLCOLOR request{&dc, info.pPermanent, nCtlType};
    const auto hBrush = reinterpret_cast<HBRUSH>(
        SendToDialog(info.pDialog, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(&request), 0));
    if (dc.m_bTextColorSet) {
        *pText = ToQColor(dc.m_crText);
    }
    *pTransparent = dc.m_nBkMode == TRANSPARENT;
    COLORREF crBrush = 0;
    if (!GetBrushColor(hBrush, &crBrush)) {
        return false;
    }
    *pBack = ToQColor(crBrush);
    return true;
}

QString ToQString(const char* pcAnsi) {
    return ToQString(std::string(pcAnsi != nullptr ? pcAnsi : ""));
}

QString ToQString(const std::string& strAnsi) {
    const std::string strUtf8 = win32::AnsiToUtf8(strAnsi);
    return QString::fromUtf8(strUtf8.data(), static_cast<qsizetype>(strUtf8.size()));
}

CString FromQString(const QString& str) {
    const QByteArray utf8 = str.toUtf8();
    std::string strAnsi;
    // Free text always has a CP932 form.
    win32::Utf8ToAnsi(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())), strAnsi,
                      win32::TextKind::Text);
    return CString(strAnsi.data(), static_cast<int>(strAnsi.size()));
}

void InstallFontSubstitutions() {
    static bool s_bDone = false;
    if (s_bDone) {
        return;
    }
    s_bDone = true;
    // IPAPGothic has the metrics of the dialogs' face; any other Japanese sans comes after it.
    const QStringList listSubstitutes = {
        QStringLiteral("IPAPGothic"),       QStringLiteral("IPA Pゴシック"),
        QStringLiteral("IPAGothic"),        QStringLiteral("Noto Sans CJK JP"),
        QStringLiteral("Source Han Sans"),  QStringLiteral("VL PGothic"),
        QStringLiteral("TakaoPGothic"),     QStringLiteral("Droid Sans Japanese"),
        QStringLiteral("WenQuanYi Zen Hei")};
    for (const char* pszFace : {"ＭＳ Ｐゴシック", "MS PGothic", "ＭＳ ゴシック", "MS Shell Dlg"}) {
        QFont::insertSubstitutions(QString::fromUtf8(pszFace), listSubstitutes);
    }
}

QFont DialogFont(const char* pszFaceUtf8, int nPointSize) {
    InstallFontSubstitutions();
    QFont font(QString::fromUtf8(pszFaceUtf8 != nullptr ? pszFaceUtf8 : "ＭＳ Ｐゴシック"));
    // Points at Windows' 96 dots an inch; Qt scales the whole window on a high-DPI screen.
    font.setPixelSize(std::max(1, (nPointSize * 96 + 36) / 72));
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

CWnd* MainWindow() {
    CWinApp* pApp = AfxGetApp();
    return pApp != nullptr ? pApp->m_pMainWnd : nullptr;
}

} // namespace tessaly::framework::detail
