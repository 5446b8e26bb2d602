// The Qt widgets behind the framework's windows. Internal to the framework.
#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>

#include "platform/framework/ui/WinUser.h"

class CDialog;
class CMenu;

namespace tessaly::framework::detail {

class ListModel;

// A dialog window: its close box becomes SC_CLOSE, its paint WM_PAINT, and a right click on its
// background or Alt+Space opens its system menu.
class DialogWidget : public QDialog {
public:
    DialogWidget(QWidget* pParent, CDialog* pDialog, bool bSystemMenu);
    CDialog* Dialog() const { return m_pDialog; }
    CMenu* SystemMenu() { return m_pSystemMenu; }
    void SetSystemMenu(CMenu* pMenu) { m_pSystemMenu = pMenu; }
    void ShowSystemMenu(const QPoint& ptGlobal);
    bool m_bInPaint = false;

protected:
    void closeEvent(QCloseEvent* pEvent) override;
    void paintEvent(QPaintEvent* pEvent) override;
    void contextMenuEvent(QContextMenuEvent* pEvent) override;

private:
    CDialog* m_pDialog;
    CMenu* m_pSystemMenu = nullptr;
};

// A list box whose user selection changes notify LBN_SELCHANGE and whose items share one height.
class ListBoxWidget : public QListWidget {
public:
    explicit ListBoxWidget(QWidget* pParent, bool bSorted, bool bNotify);
    bool m_bSorted;
    bool m_bNotify;
    bool m_bProgrammatic = false;
    int m_iItemHeight = -1;
};

// The report-view list over its model; column clicks and double clicks notify the dialog.
class ListViewWidget : public QTableView {
public:
    explicit ListViewWidget(QWidget* pParent, bool bSingleSel);
    ~ListViewWidget() override;
    ListModel* Model() const { return m_pModel; }
    DWORD m_dwExStyle = 0;
    // The last row count that was announced; kept for the scroll of a suspended list.
    int m_iRedrawOff = 0;

protected:
    bool viewportEvent(QEvent* pEvent) override;

private:
    ListModel* m_pModel;
};

// Applies the colours a control's dialog gives for it (WM_CTLCOLOR), as the control repaints.
void RefreshControlColors(QWidget* pControl);
// The same for every control of a dialog.
void RefreshDialogColors(QWidget* pDialog);

} // namespace tessaly::framework::detail
