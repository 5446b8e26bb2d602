#include "platform/framework/ui/qt/DialogBuilder.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QIcon>

#include "platform/framework/ui/Controls.h"
#include "platform/framework/ui/Dialog.h"
#include "platform/framework/ui/Gdi.h"
#include "platform/framework/ui/ListCtrl.h"
#include "platform/framework/ui/qt/UiInternal.h"
#include "platform/framework/ui/qt/Widgets.h"

namespace tessaly::framework::detail {

DialogBaseUnits BaseUnitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    const int iWidth = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return DialogBaseUnits{(iWidth / 26 + 1) / 2, metrics.height()};
}

namespace {

int MulDiv(int a, int b, int c) {
    const long long ll = static_cast<long long>(a) * b;
    return static_cast<int>((ll >= 0 ? ll + c / 2 : ll - c / 2) / c);
}

QWidget* MakeWidget(const DialogItemTemplate& item, QWidget* pParent,
                    std::unique_ptr<CWnd>& pPermanent) {
    const QString strCaption = QString::fromUtf8(item.pszCaption != nullptr ? item.pszCaption : "");
    switch (item.eKind) {
    case EControlKind::PushButton: {
        auto* pButton = new QPushButton(strCaption, pParent);
        // Enter is the dialog's to route, not Qt's default-button logic.
        pButton->setAutoDefault(false);
        pButton->setDefault(false);
        pButton->setProperty("tessalyDefaultButton",
                             (item.dwStyle & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
        QObject::connect(pButton, &QPushButton::clicked, pButton,
                         [pButton] { NotifyCommand(pButton, BN_CLICKED); });
        pPermanent = std::make_unique<CButton>();
        return pButton;
    }
    case EControlKind::CheckBox: {
        auto* pCheck = new QCheckBox(strCaption, pParent);
        QObject::connect(pCheck, &QCheckBox::clicked, pCheck,
                         [pCheck] { NotifyCommand(pCheck, BN_CLICKED); });
        pPermanent = std::make_unique<CButton>();
        return pCheck;
    }
    case EControlKind::Edit: {
        auto* pEdit = new QLineEdit(strCaption, pParent);
        pEdit->setReadOnly((item.dwStyle & ES_READONLY) != 0);
        pEdit->setAlignment(((item.dwStyle & ES_RIGHT) != 0 ? Qt::AlignRight : Qt::AlignLeft) |
                            Qt::AlignVCenter);
        pEdit->setTextMargins(1, 0, 1, 0);
        pPermanent = std::make_unique<CEdit>();
        return pEdit;
    }
    case EControlKind::Static: {
        auto* pLabel = new QLabel(pParent);
        if ((item.dwStyle & SS_TYPEMASK) == SS_ICON) {
            if (HICON hIcon = LoadIconResource(item.nIconId)) {
                pLabel->setPixmap(reinterpret_cast<const QIcon*>(hIcon)->pixmap(32, 32));
            }
        } else {
            pLabel->setText(strCaption);
            pLabel->setTextFormat(Qt::PlainText);
        }
        Qt::Alignment align =
            (item.dwStyle & SS_TYPEMASK) == SS_CENTER ? Qt::AlignHCenter : Qt::AlignLeft;
        align |= (item.dwStyle & SS_CENTERIMAGE) != 0 ? Qt::AlignVCenter : Qt::AlignTop;
        pLabel->setAlignment(align);
        if ((item.dwStyle & SS_SUNKEN) != 0) {
            pLabel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
            pLabel->setLineWidth(1);
        }
        pPermanent = std::make_unique<CStatic>();
        return pLabel;
    }
    case EControlKind::ListView: {
        auto* pList = new ListViewWidget(pParent, (item.dwStyle & LVS_SINGLESEL) != 0);
        pPermanent = std::make_unique<CListCtrl>();
        return pList;
    }
    case EControlKind::ListBox: {
        auto* pBox = new ListBoxWidget(pParent, (item.dwStyle & LBS_SORT) != 0,
                                       (item.dwStyle & LBS_NOTIFY) != 0);
        pBox->setVerticalScrollBarPolicy((item.dwStyle & LBS_DISABLENOSCROLL) != 0
                                             ? Qt::ScrollBarAlwaysOn
                                             : Qt::ScrollBarAsNeeded);
        pBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        pPermanent = std::make_unique<CListBox>();
        return pBox;
    }
    case EControlKind::ProgressBar: {
        auto* pBar = new QProgressBar(pParent);
        pBar->setTextVisible(false);
        pBar->setRange(0, 100);
        pBar->setValue(0);
        pPermanent = std::make_unique<CProgressCtrl>();
        return pBar;
    }
    }
    return nullptr;
}

} // namespace

QRect DialogUnitsToPixels(const DialogBaseUnits& units, int x, int y, int cx, int cy) {
    const int iLeft = MulDiv(x, units.iBaseX, 4);
    const int iTop = MulDiv(y, units.iBaseY, 8);
    const int iRight = MulDiv(x + cx, units.iBaseX, 4);
    const int iBottom = MulDiv(y + cy, units.iBaseY, 8);
    return QRect(iLeft, iTop, iRight - iLeft, iBottom - iTop);
}

void BuildControls(DialogWidget* pDialog, CDialog* pOwner, const DialogTemplate& dialogTemplate,
                   const QFont& font, std::vector<std::unique_ptr<CWnd>>& vecPermanents) {
    const DialogBaseUnits units = BaseUnitsOf(font);
    QWidget* pPrevious = nullptr;
    for (const DialogItemTemplate& item : dialogTemplate.items) {
        std::unique_ptr<CWnd> pPermanent;
        QWidget* pWidget = MakeWidget(item, pDialog, pPermanent);
        if (pWidget == nullptr) {
            continue;
        }
        pWidget->setFont(font);
        pWidget->setGeometry(DialogUnitsToPixels(units, item.x, item.y, item.cx, item.cy));
        pWidget->setObjectName(QStringLiteral("control%1").arg(item.nId));
        pWidget->setProperty("tessalyControlId", item.nId);
        pWidget->setMouseTracking(true);
        pWidget->setAcceptDrops(false);
        pWidget->setFocusPolicy((item.dwStyle & WS_TABSTOP) != 0 ? Qt::StrongFocus : Qt::NoFocus);
        pWidget->setEnabled((item.dwStyle & WS_DISABLED) == 0);
        if (auto* pList = dynamic_cast<ListViewWidget*>(pWidget)) {
            pList->verticalHeader()->setDefaultSectionSize(QFontMetrics(font).height() + 4);
            pList->setFrameStyle((item.dwStyle & WS_BORDER) != 0 ? QFrame::StyledPanel
                                                                 : QFrame::NoFrame);
        }
        if (pPrevious != nullptr && (item.dwStyle & WS_TABSTOP) != 0) {
            QWidget::setTabOrder(pPrevious, pWidget);
        }
        if ((item.dwStyle & WS_TABSTOP) != 0) {
            pPrevious = pWidget;
        }
        pPermanent->m_hWnd = ToHwnd(pWidget);
        RegisterWindow(pWidget, WindowInfo{pPermanent.get(), pOwner, item.nId});
        vecPermanents.push_back(std::move(pPermanent));
    }
}

} // namespace tessaly::framework::detail
