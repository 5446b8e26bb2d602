#include "platform/framework/ui/qt/ListModel.h"

#include <QIcon>
#include <algorithm>

#include "platform/framework/ui/Gdi.h"
#include "platform/framework/ui/qt/UiInternal.h"

namespace tessaly::framework::detail {

int ListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows.Count();
}

int ListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows.ColumnCount();
}

namespace {

Qt::Alignment AlignmentOf(int nFormat) {
    switch (nFormat & 3) {
    case LVCFMT_RIGHT:
        return Qt::AlignRight | Qt::AlignVCenter;
    case LVCFMT_CENTER:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

} // namespace

QVariant ListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !IsValidRow(index.row()) || !m_rows.IsValidColumn(index.column())) {
        return {};
    }
    const Row& row = RowAt(index.row());
    const auto nCol = static_cast<size_t>(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return ToQString(row.texts.CStr(nCol));
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(AlignmentOf(Columns()[nCol].nFormat));
    case Qt::DecorationRole:
        if (nCol == 0 && m_pImages != nullptr && row.iImage >= 0) {
            HICON hIcon = m_pImages->GetIcon(row.iImage);
            if (hIcon != nullptr) {
                return *reinterpret_cast<const QIcon*>(hIcon);
            }
        }
        return {};
    default:
        return {};
    }
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || !m_rows.IsValidColumn(section)) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return ToQString(Columns()[static_cast<size_t>(section)].strText);
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(AlignmentOf(Columns()[static_cast<size_t>(section)].nFormat));
    }
    return {};
}

void ListModel::SetSelectionModel(QItemSelectionModel* pSelection) {
    m_pSelection = pSelection;
    QObject::connect(pSelection, &QItemSelectionModel::selectionChanged, this,
                     [this](const QItemSelection& selected, const QItemSelection& deselected) {
                         OnSelectionChanged(selected, deselected);
                     });
}

void ListModel::OnSelectionChanged(const QItemSelection& selected,
                                   const QItemSelection& deselected) {
    if (m_bApplying) {
        return;
    }
    for (const QItemSelectionRange& range : deselected) {
        for (int i = range.top(); i <= range.bottom(); ++i) {
            m_rows.SetSelected(i, false);
        }
    }
    for (const QItemSelectionRange& range : selected) {
        for (int i = range.top(); i <= range.bottom(); ++i) {
            m_rows.SetSelected(i, true);
        }
    }
}

void ListModel::ApplySelection() {
    if (m_pSelection == nullptr || m_rows.ColumnCount() == 0) {
        return;
    }
    QItemSelection selection;
    const int iLastCol = m_rows.ColumnCount() - 1;
    m_rows.ForEachSelectedRun([&](int iFirst, int iLast) {
        selection.append(QItemSelectionRange(index(iFirst, 0), index(iLast, iLastCol)));
    });
    m_bApplying = true;
    m_pSelection->select(selection, QItemSelectionModel::ClearAndSelect);
    m_bApplying = false;
}

void ListModel::ChangedRow(int nRow) {
    if (!IsRedrawOff() && m_rows.ColumnCount() > 0) {
        emit dataChanged(index(nRow, 0), index(nRow, m_rows.ColumnCount() - 1));
    }
}

int ListModel::InsertColumn(int nCol, const std::string& strText, int nFormat) {
    if (nCol < 0) {
        return -1;
    }
    nCol = std::min(nCol, m_rows.ColumnCount());
    if (!IsRedrawOff()) {
        beginInsertColumns(QModelIndex(), nCol, nCol);
    }
    m_rows.InsertColumn(nCol, strText, nFormat);
    if (!IsRedrawOff()) {
        endInsertColumns();
    }
    return nCol;
}

bool ListModel::SetColumnText(int nCol, const std::string& strText) {
    if (!m_rows.SetColumnText(nCol, strText)) {
        return false;
    }
    if (!IsRedrawOff()) {
        emit headerDataChanged(Qt::Horizontal, nCol, nCol);
    }
    return true;
}

bool ListModel::SetColumnFormat(int nCol, int nFormat) {
    return m_rows.SetColumnFormat(nCol, nFormat);
}

int ListModel::InsertRow(int nRow, Row row) {
    const int iCount = RowCountNow();
    if (nRow < 0) {
        return -1;
    }
    nRow = std::min(nRow, iCount);
    if (!IsRedrawOff()) {
        beginInsertRows(QModelIndex(), nRow, nRow);
    }
    m_rows.Insert(nRow, std::move(row));
    if (!IsRedrawOff()) {
        endInsertRows();
    }
    return nRow;
}

int ListModel::AppendRows(int nRows,
                          const std::function<void(int, LPCTSTR*, LPARAM&, int&)>& fnRow) {
    if (nRows <= 0) {
        return 0;
    }
    const int iFirst = RowCountNow();
    if (!IsRedrawOff()) {
        beginInsertRows(QModelIndex(), iFirst, iFirst + nRows - 1);
    }
    m_rows.Append(nRows, fnRow);
    if (!IsRedrawOff()) {
        endInsertRows();
    }
    return nRows;
}

bool ListModel::SetText(int nRow, int nCol, std::string_view strText) {
    if (!m_rows.SetText(nRow, nCol, strText)) {
        return false;
    }
    if (!IsRedrawOff()) {
        const QModelIndex cell = index(nRow, nCol);
        emit dataChanged(cell, cell);
    }
    return true;
}

bool ListModel::SetImage(int nRow, int iImage) {
    if (!m_rows.SetImage(nRow, iImage)) {
        return false;
    }
    ChangedRow(nRow);
    return true;
}

bool ListModel::SetData(int nRow, LPARAM lParam) {
    return m_rows.SetData(nRow, lParam);
}

bool ListModel::SetSelected(int nRow, bool bSelected) {
    if (!m_rows.SetSelected(nRow, bSelected)) {
        return false;
    }
    if (IsRedrawOff() || m_pSelection == nullptr || m_rows.ColumnCount() == 0) {
        return true;
    }
    m_bApplying = true;
    const auto flags = (bSelected ? QItemSelectionModel::Select : QItemSelectionModel::Deselect) |
                       QItemSelectionModel::Rows;
    if (nRow == -1) {
        if (RowCountNow() > 0) {
            m_pSelection->select(QItemSelection(index(0, 0), index(RowCountNow() - 1, 0)), flags);
        }
    } else {
        m_pSelection->select(index(nRow, 0), flags);
    }
    m_bApplying = false;
    return true;
}

bool ListModel::DeleteRow(int nRow) {
    if (!IsValidRow(nRow)) {
        return false;
    }
    if (!IsRedrawOff()) {
        beginRemoveRows(QModelIndex(), nRow, nRow);
    }
    m_rows.Erase(nRow);
    if (!IsRedrawOff()) {
        endRemoveRows();
    }
    return true;
}

void ListModel::DeleteAll(ListRowArray* pvecTaken, ListSlabs* pSlabs) {
    if (!IsRedrawOff()) {
        beginResetModel();
    }
    m_rows.Clear(pvecTaken, pSlabs);
    if (!IsRedrawOff()) {
        endResetModel();
    }
}

void ListModel::Reserve(int nRows) {
    m_rows.Reserve(nRows);
}

void ListModel::DeleteMarked(const std::vector<bool>& vecGone,
                             std::vector<ListCellTexts>* pvecTexts) {
    if (!IsRedrawOff()) {
        beginResetModel();
    }
    m_rows.EraseMarked(vecGone, pvecTexts);
    if (!IsRedrawOff()) {
        endResetModel();
        ApplySelection();
    }
}

void ListModel::Sort(PFNLVCOMPARE pfnCompare, LPARAM lParamSort) {
    if (pfnCompare == nullptr) {
        return;
    }
    if (!IsRedrawOff()) {
        beginResetModel();
    }
    m_rows.Sort(pfnCompare, lParamSort);
    if (!IsRedrawOff()) {
        endResetModel();
        ApplySelection();
    }
}

bool ListModel::Reorder(std::span<const int> vecOrder, ListRowArray* pvecSpare) {
    if (!IsRedrawOff()) {
        beginResetModel();
    }
    const bool bDone = m_rows.Reorder(vecOrder, pvecSpare);
    if (!IsRedrawOff()) {
        endResetModel();
        ApplySelection();
    }
    return bDone;
}

void ListModel::SuspendRedraw() {
    if (m_iRedrawOff++ == 0) {
        beginResetModel();
    }
}

void ListModel::ResumeRedraw() {
    if (m_iRedrawOff == 0) {
        return;
    }
    if (--m_iRedrawOff == 0) {
        endResetModel();
        ApplySelection();
    }
}

} // namespace tessaly::framework::detail
