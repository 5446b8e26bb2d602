#include "platform/framework/ui/qt/ListModel.h"

#include <QIcon>
#include <algorithm>

#include "platform/framework/ui/Gdi.h"
#include "platform/framework/ui/qt/UiInternal.h"

namespace tessaly::framework::detail {

int ListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_vecRows.size());
}

int ListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_vecColumns.size());
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
    if (!index.isValid() || !IsValidRow(index.row()) || index.column() < 0 ||
        index.column() >= static_cast<int>(m_vecColumns.size())) {
        return {};
    }
    const Row& row = RowAt(index.row());
    const auto nCol = static_cast<size_t>(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return nCol < row.vecTexts.size() ? ToQString(row.vecTexts[nCol]) : QString();
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(AlignmentOf(m_vecColumns[nCol].nFormat));
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
    if (orientation != Qt::Horizontal || section < 0 ||
        section >= static_cast<int>(m_vecColumns.size())) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return ToQString(m_vecColumns[static_cast<size_t>(section)].strText);
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(AlignmentOf(m_vecColumns[static_cast<size_t>(section)].nFormat));
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
            if (IsValidRow(i)) {
                m_vecRows[static_cast<size_t>(i)].bSelected = false;
            }
        }
    }
    for (const QItemSelectionRange& range : selected) {
        for (int i = range.top(); i <= range.bottom(); ++i) {
            if (IsValidRow(i)) {
                m_vecRows[static_cast<size_t>(i)].bSelected = true;
            }
        }
    }
}

void ListModel::ApplySelection() {
    if (m_pSelection == nullptr || m_vecColumns.empty()) {
        return;
    }
    QItemSelection selection;
    const int iLastCol = static_cast<int>(m_vecColumns.size()) - 1;
    const int iCount = RowCountNow();
    for (int i = 0; i < iCount;) {
        if (!m_vecRows[static_cast<size_t>(i)].bSelected) {
            ++i;
            continue;
        }
        int j = i;
        while (j + 1 < iCount && m_vecRows[static_cast<size_t>(j + 1)].bSelected) {
            ++j;
        }
        selection.append(QItemSelectionRange(index(i, 0), index(j, iLastCol)));
        i = j + 1;
    }
    m_bApplying = true;
    m_pSelection->select(selection, QItemSelectionModel::ClearAndSelect);
    m_bApplying = false;
}

void ListModel::ChangedRow(int nRow) {
    if (!IsRedrawOff() && !m_vecColumns.empty()) {
        emit dataChanged(index(nRow, 0), index(nRow, static_cast<int>(m_vecColumns.size()) - 1));
    }
}

int ListModel::InsertColumn(int nCol, const std::string& strText, int nFormat) {
    const int iCount = static_cast<int>(m_vecColumns.size());
    if (nCol < 0) {
        return -1;
    }
    nCol = std::min(nCol, iCount);
    if (!IsRedrawOff()) {
        beginInsertColumns(QModelIndex(), nCol, nCol);
    }
    m_vecColumns.insert(m_vecColumns.begin() + nCol, Column{strText, nFormat});
    for (Row& row : m_vecRows) {
        if (static_cast<int>(row.vecTexts.size()) > nCol) {
            row.vecTexts.insert(row.vecTexts.begin() + nCol, std::string());
        }
    }
    if (!IsRedrawOff()) {
        endInsertColumns();
    }
    return nCol;
}

bool ListModel::SetColumnText(int nCol, const std::string& strText) {
    if (nCol < 0 || nCol >= static_cast<int>(m_vecColumns.size())) {
        return false;
    }
    m_vecColumns[static_cast<size_t>(nCol)].strText = strText;
    if (!IsRedrawOff()) {
        emit headerDataChanged(Qt::Horizontal, nCol, nCol);
    }
    return true;
}

bool ListModel::SetColumnFormat(int nCol, int nFormat) {
    if (nCol < 0 || nCol >= static_cast<int>(m_vecColumns.size())) {
        return false;
    }
    m_vecColumns[static_cast<size_t>(nCol)].nFormat = nFormat;
    return true;
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
    m_vecRows.insert(m_vecRows.begin() + nRow, std::move(row));
    if (!IsRedrawOff()) {
        endInsertRows();
    }
    return nRow;
}

bool ListModel::SetText(int nRow, int nCol, const std::string& strText) {
    if (!IsValidRow(nRow) || nCol < 0 || nCol >= static_cast<int>(m_vecColumns.size())) {
        return false;
    }
    Row& row = m_vecRows[static_cast<size_t>(nRow)];
    if (static_cast<int>(row.vecTexts.size()) <= nCol) {
        row.vecTexts.resize(static_cast<size_t>(nCol) + 1);
    }
    row.vecTexts[static_cast<size_t>(nCol)] = strText;
    if (!IsRedrawOff()) {
        const QModelIndex cell = index(nRow, nCol);
        emit dataChanged(cell, cell);
    }
    return true;
}

bool ListModel::SetImage(int nRow, int iImage) {
    if (!IsValidRow(nRow)) {
        return false;
    }
    m_vecRows[static_cast<size_t>(nRow)].iImage = iImage;
    ChangedRow(nRow);
    return true;
}

bool ListModel::SetData(int nRow, LPARAM lParam) {
    if (!IsValidRow(nRow)) {
        return false;
    }
    m_vecRows[static_cast<size_t>(nRow)].lParam = lParam;
    return true;
}

bool ListModel::SetSelected(int nRow, bool bSelected) {
    if (nRow == -1) {
        for (Row& row : m_vecRows) {
            row.bSelected = bSelected;
        }
    } else if (IsValidRow(nRow)) {
        m_vecRows[static_cast<size_t>(nRow)].bSelected = bSelected;
    } else {
        return false;
    }
    if (IsRedrawOff() || m_pSelection == nullptr || m_vecColumns.empty()) {
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
    m_vecRows.erase(m_vecRows.begin() + nRow);
    if (!IsRedrawOff()) {
        endRemoveRows();
    }
    return true;
}

void ListModel::DeleteAll() {
    if (!IsRedrawOff()) {
        beginResetModel();
    }
    m_vecRows.clear();
    m_vecRows.shrink_to_fit();
    if (!IsRedrawOff()) {
        endResetModel();
    }
}

void ListModel::Reserve(int nRows) {
    if (nRows > 0) {
        m_vecRows.reserve(static_cast<size_t>(nRows));
    }
}

void ListModel::DeleteMarked(const std::vector<bool>& vecGone) {
    if (!IsRedrawOff()) {
        beginResetModel();
    }
    size_t nKept = 0;
    for (size_t i = 0; i < m_vecRows.size(); ++i) {
        if (i < vecGone.size() && vecGone[i]) {
            continue;
        }
        if (nKept != i) {
            m_vecRows[nKept] = std::move(m_vecRows[i]);
        }
        ++nKept;
    }
    m_vecRows.resize(nKept);
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
    std::stable_sort(m_vecRows.begin(), m_vecRows.end(), [&](const Row& a, const Row& b) {
        return pfnCompare(a.lParam, b.lParam, lParamSort) < 0;
    });
    if (!IsRedrawOff()) {
        endResetModel();
        ApplySelection();
    }
}

unsigned ListModel::SelectedCount() const {
    return static_cast<unsigned>(std::count_if(m_vecRows.begin(), m_vecRows.end(),
                                               [](const Row& r) { return r.bSelected; }));
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
