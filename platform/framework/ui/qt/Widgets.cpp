#include "platform/framework/ui/qt/Widgets.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include "platform/framework/ui/Dialog.h"
#include "platform/framework/ui/Gdi.h"
#include "platform/framework/ui/qt/ListModel.h"
#include "platform/framework/ui/qt/UiInternal.h"

namespace tessaly::framework::detail {

DialogWidget::DialogWidget(QWidget* pParent, CDialog* pDialog, bool bSystemMenu)
    : QDialog(pParent), m_pDialog(pDialog) {
    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (bSystemMenu) {
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    }
    setWindowFlags(flags);
    setMouseTracking(true);
}

void DialogWidget::closeEvent(QCloseEvent* pEvent) {
    // The close box is the system menu's close command; the dialog decides how it ends.
    pEvent->ignore();
    SendToDialog(m_pDialog, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void DialogWidget::paintEvent(QPaintEvent* pEvent) {
    QDialog::paintEvent(pEvent);
    m_bInPaint = true;
    SendToDialog(m_pDialog, WM_PAINT, 0, 0);
    m_bInPaint = false;
}

void DialogWidget::contextMenuEvent(QContextMenuEvent* pEvent) {
    if (OwningWindow(childAt(pEvent->pos())) == nullptr ||
        OwningWindow(childAt(pEvent->pos())) == this) {
        ShowSystemMenu(pEvent->globalPos());
        pEvent->accept();
        return;
    }
    QDialog::contextMenuEvent(pEvent);
}

void DialogWidget::ShowSystemMenu(const QPoint& ptGlobal) {
    if (m_pSystemMenu == nullptr) {
        return;
    }
    // As Windows does before it opens a menu: the window brings its items' states up to date.
    SendToDialog(m_pDialog, WM_INITMENUPOPUP, 0, static_cast<LPARAM>(1u << 16));
    QMenu menu(this);
    QAction* pClose = menu.addAction(QString::fromUtf8("閉じる(&C)"));
    pClose->setData(static_cast<qulonglong>(SC_CLOSE));
    for (const CMenu::Item& item : m_pSystemMenu->m_vecItems) {
        if ((item.nFlags & MF_SEPARATOR) != 0) {
            menu.addSeparator();
        } else {
            QAction* pAction = menu.addAction(ToQString(item.strText));
            pAction->setData(static_cast<qulonglong>(item.nID));
            pAction->setEnabled((item.nFlags & (MF_GRAYED | MF_DISABLED)) == 0);
        }
    }
    QAction* pChosen = menu.exec(ptGlobal);
    if (pChosen != nullptr) {
        SendToDialog(m_pDialog, WM_SYSCOMMAND, static_cast<WPARAM>(pChosen->data().toULongLong()),
                     0);
    }
}

ListBoxWidget::ListBoxWidget(QWidget* pParent, bool bSorted, bool bNotify)
    : QListWidget(pParent), m_bSorted(bSorted), m_bNotify(bNotify) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    QObject::connect(this, &QListWidget::currentRowChanged, this, [this](int) {
        if (!m_bProgrammatic && m_bNotify) {
            NotifyCommand(this, LBN_SELCHANGE);
        }
    });
}

ListViewWidget::ListViewWidget(QWidget* pParent, bool bSingleSel)
    : QTableView(pParent), m_pModel(new ListModel(this)) {
    setModel(m_pModel);
    m_pModel->SetSelectionModel(selectionModel());
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(bSingleSel ? QAbstractItemView::SingleSelection
                                : QAbstractItemView::ExtendedSelection);
    setShowGrid(false);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    verticalHeader()->hide();
    // Fixed row heights keep a million rows cheap to lay out.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setIconSize(QSize(16, 16));
    viewport()->setMouseTracking(true);

    QObject::connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int iSection) {
        WindowInfo info;
        if (!FindWindowInfo(ToHwnd(this), &info) || info.pDialog == nullptr) {
            return;
        }
        NMLISTVIEW nm{};
        nm.hdr.hwndFrom = ToHwnd(this);
        nm.hdr.idFrom = static_cast<UINT_PTR>(info.nId);
        nm.hdr.code = LVN_COLUMNCLICK;
        nm.iItem = -1;
        nm.iSubItem = iSection;
        SendToDialog(info.pDialog, WM_NOTIFY, static_cast<WPARAM>(info.nId),
                     reinterpret_cast<LPARAM>(&nm));
    });
}

ListViewWidget::~ListViewWidget() = default;

bool ListViewWidget::viewportEvent(QEvent* pEvent) {
    const bool bResult = QTableView::viewportEvent(pEvent);
    if (pEvent->type() == QEvent::MouseButtonDblClick) {
        auto* pMouse = static_cast<QMouseEvent*>(pEvent);
        WindowInfo info;
        if (pMouse->button() == Qt::LeftButton && FindWindowInfo(ToHwnd(this), &info) &&
            info.pDialog != nullptr) {
            const QPoint pt = pMouse->position().toPoint();
            const QModelIndex index = indexAt(pt);
            NMITEMACTIVATE nm{};
            nm.hdr.hwndFrom = ToHwnd(this);
            nm.hdr.idFrom = static_cast<UINT_PTR>(info.nId);
            nm.hdr.code = NM_DBLCLK;
            nm.iItem = index.isValid() ? index.row() : -1;
            nm.iSubItem = index.isValid() ? index.column() : 0;
            const QPoint ptClient = pt + viewport()->pos();
            nm.ptAction = POINT{ptClient.x(), ptClient.y()};
            SendToDialog(info.pDialog, WM_NOTIFY, static_cast<WPARAM>(info.nId),
                         reinterpret_cast<LPARAM>(&nm));
        }
    }
    return bResult;
}

namespace {

// The colour request a control makes, as Windows' controls do: read-only edits, statics and
// check boxes ask as statics.
bool CtlColorType(QWidget* pControl, UINT* pType) {
    if (qobject_cast<QLabel*>(pControl) != nullptr ||
        qobject_cast<QCheckBox*>(pControl) != nullptr) {
        *pType = CTLCOLOR_STATIC;
        return true;
    }
    if (auto* pEdit = qobject_cast<QLineEdit*>(pControl)) {
        *pType = pEdit->isReadOnly() ? CTLCOLOR_STATIC : CTLCOLOR_EDIT;
        return true;
    }
    if (qobject_cast<QListWidget*>(pControl) != nullptr) {
        *pType = CTLCOLOR_LISTBOX;
        return true;
    }
    return false;
}

} // namespace

void RefreshControlColors(QWidget* pControl) {
    UINT nType = 0;
    if (pControl == nullptr || !CtlColorType(pControl, &nType)) {
        return;
    }
    // The palette the control had before any request changed it.
    const char* kOriginal = "tessalyOriginalPalette";
    if (!pControl->property(kOriginal).isValid()) {
        pControl->setProperty(kOriginal, QVariant::fromValue(pControl->palette()));
    }
    QPalette palette = pControl->property(kOriginal).value<QPalette>();
    QColor crText;
    QColor crBack;
    bool bTransparent = false;
    const bool bBrush = RequestControlColors(pControl, nType, &crText, &crBack, &bTransparent);
    bool bFill = false;
    if (bBrush) {
        for (auto role : {QPalette::Window, QPalette::Base, QPalette::Button}) {
            palette.setColor(role, crBack);
        }
        bFill = true;
    }
    if (crText.isValid()) {
        for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
            palette.setColor(role, crText);
        }
    }
    if (palette != pControl->palette()) {
        pControl->setPalette(palette);
    }
    if (qobject_cast<QLineEdit*>(pControl) == nullptr) {
        pControl->setAutoFillBackground(bFill);
    }
    pControl->update();
}

void RefreshDialogColors(QWidget* pDialog) {
    for (QWidget* pChild : pDialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (IsLiveWindow(ToHwnd(pChild))) {
            RefreshControlColors(pChild);
        }
    }
}

} // namespace tessaly::framework::detail
