#pragma once
// The cloud report as an item model: rows are copies of source rows (the strings
// are shared, not copied), columns follow the field list, column 0 carries the
// row's check box. A sort proxy on top orders the rows by the active sort keys;
// rows equal under every key keep their source order.

#include <QAbstractTableModel>
#include <QList>
#include <QSortFilterProxyModel>
#include <QStringList>
#include <functional>

#include "report/cloud_tables.h"
#include "report/report_sort.h"

namespace report {

class CloudReportModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    using QAbstractTableModel::QAbstractTableModel;

    // New columns (report column k shows source column sourceColumns[k]) and no rows.
    void setColumns(const QStringList& captions, const QList<int>& sourceColumns);
    // Tells the view which rows take part in a duplication (a bool).
    static constexpr int DuplicateRole = Qt::UserRole + 1;
    // The row's warning text ("同成分", "提早領藥"; empty for none), on every column.
    static constexpr int WarningRole = Qt::UserRole + 2;

    // All rows replaced in one reset, none ticked. `sourceRows` names each row's
    // index in its source table; `marked` flags the rows of a duplication and
    // `warnings` holds each row's warning text (empty lists: none).
    void setRows(QList<CloudRow> rows, QList<int> sourceRows = {}, QList<bool> marked = {},
                 QStringList warnings = {});
    void clearRows() { setRows({}); }

    const QStringList& captions() const { return captions_; }
    const CloudRow& row(int r) const { return rows_.at(r); }
    QString cell(int r, int column) const;
    QStringList cells(int r) const;
    // The cells as the list shows them.
    QStringList shownCells(int r) const { return cells(r); }
    QString warning(int r) const { return warnings_.value(r); }
    int sourceRow(int r) const { return sourceRows_.value(r, -1); }
    bool isMarked(int r) const { return marked_.value(r, false); }
    bool isTicked(int r) const { return ticks_.at(r); }
    void setTicked(int r, bool ticked);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  private:
    QStringList captions_;
    QList<int> sourceColumns_;
    QList<CloudRow> rows_;
    QList<bool> ticks_;
    QList<int> sourceRows_;
    QList<bool> marked_;
    QStringList warnings_;
};

// Orders the model's rows by keys read once per sort (CcloudReportCompare).
class CloudReportSortProxy : public QSortFilterProxyModel {
    Q_OBJECT
  public:
    explicit CloudReportSortProxy(QObject* parent = nullptr);

    // Reads the cells of `keys` from every row of the model and sorts again.
    void sortBy(const QList<ActiveSortKey>& keys, bool newestFirst);
    // Row order of two model rows under the keys of the last sortBy.
    int CcloudReportCompare(int left, int right) const;

  protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

  private:
    QList<bool> newestFirst_;
    // values_[row * keyCount + i]: row's value under key i.
    QList<SortValue> values_;
    int keyCount_ = 0;
};

}  // namespace report
