// The rows of a report-view list: texts in CP932 (converted only when a row is drawn), item data,
// image and selection state per row. While redraw is off the model is in a reset, so bulk changes
// cost no per-row signals; turning redraw on again shows the result and restores the selection.
#pragma once

#include <QAbstractTableModel>
#include <QItemSelectionModel>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "platform/framework/ui/WinUser.h"
#include "platform/framework/ui/common/ListRows.h"

class CImageList;

namespace tessaly::framework::detail {

class ListModel : public QAbstractTableModel {
public:
    using Column = ListColumn;
    using Row = ListRow;

    explicit ListModel(QObject* pParent) : QAbstractTableModel(pParent) {}

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void SetSelectionModel(QItemSelectionModel* pSelection);

    int InsertColumn(int nCol, const std::string& strText, int nFormat);
    bool SetColumnText(int nCol, const std::string& strText);
    bool SetColumnFormat(int nCol, int nFormat);
    const std::vector<Column>& Columns() const { return m_rows.Columns(); }

    int InsertRow(int nRow, Row row);
    bool SetText(int nRow, int nCol, std::string_view strText);
    // nRows rows at the end, as ListRows::Append makes them; how many.
    int AppendRows(int nRows, const std::function<void(int, LPCTSTR*, LPARAM&, int&)>& fnRow);
    bool SetImage(int nRow, int iImage);
    bool SetData(int nRow, LPARAM lParam);
    bool SetSelected(int nRow, bool bSelected); // nRow -1: every row
    bool DeleteRow(int nRow);
    // The rows and their slabs into *pvecTaken and *pSlabs if given (ListRows::Clear).
    void DeleteAll(ListRowArray* pvecTaken = nullptr, ListSlabs* pSlabs = nullptr);
    // Room for nRows rows, so that adding that many copies nothing.
    void Reserve(int nRows);
    // Keeps the rows not marked, in order; the texts of those that go into *pvecTexts if given
    // (ListRows::EraseMarked).
    void DeleteMarked(const std::vector<bool>& vecGone,
                      std::vector<ListCellTexts>* pvecTexts = nullptr);
    void Sort(PFNLVCOMPARE pfnCompare, LPARAM lParamSort);
    // Row i becomes the former row vecOrder[i]; false, rows unchanged, unless every row is listed
    // once. *pvecSpare as for ListRows::Reorder.
    bool Reorder(std::span<const int> vecOrder, ListRowArray* pvecSpare);

    bool IsValidRow(int nRow) const { return m_rows.IsValid(nRow); }
    const Row& RowAt(int nRow) const { return m_rows.At(nRow); }
    const ListRows& Rows() const { return m_rows; }
    int RowCountNow() const { return m_rows.Count(); }
    unsigned SelectedCount() const { return m_rows.SelectedCount(); }
    int NextRow(int nRow, bool bSelectedOnly) const { return m_rows.Next(nRow, bSelectedOnly); }
    bool MarkListed(const std::vector<int>& vecRows, std::vector<bool>* pvecGone) const {
        return m_rows.MarkListed(vecRows, pvecGone);
    }

    void SetImageList(CImageList* pImages) { m_pImages = pImages; }
    CImageList* ImageList() const { return m_pImages; }

    void SuspendRedraw();
    void ResumeRedraw();
    bool IsRedrawOff() const { return m_iRedrawOff > 0; }

private:
    void OnSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
    // The view's selection rebuilt from the rows' flags, as ranges.
    void ApplySelection();
    void ChangedRow(int nRow);

    ListRows m_rows;
    CImageList* m_pImages = nullptr;
    QItemSelectionModel* m_pSelection = nullptr;
    int m_iRedrawOff = 0;
    bool m_bApplying = false;
};

} // namespace tessaly::framework::detail
