#include "report/cloud_report_model.h"

namespace report {

void CloudReportModel::setColumns(const QStringList& captions, const QList<int>& sourceColumns) {
    beginResetModel();
    captions_ = captions;
    sourceColumns_ = sourceColumns;
    rows_.clear();
    ticks_.clear();
    endResetModel();
}

void CloudReportModel::setRows(QList<CloudRow> rows, QList<int> sourceRows, QList<bool> marked,
                               QStringList warnings) {
    beginResetModel();
    rows_ = std::move(rows);
    ticks_ = QList<bool>(rows_.size(), false);
    sourceRows_ = std::move(sourceRows);
    marked_ = std::move(marked);
    warnings_ = std::move(warnings);
    endResetModel();
}

QString CloudReportModel::cell(int r, int column) const {
    return rows_.at(r).cell(sourceColumns_.value(column, -1));
}

QStringList CloudReportModel::cells(int r) const {
    QStringList out;
    out.reserve(captions_.size());
    for (int k = 0; k < captions_.size(); ++k) out.append(cell(r, k));
    return out;
}

void CloudReportModel::setTicked(int r, bool ticked) {
    if (r < 0 || r >= rows_.size() || ticks_.at(r) == ticked) return;
    ticks_[r] = ticked;
    const QModelIndex i = index(r, 0);
    emit dataChanged(i, i, {Qt::CheckStateRole});
}

int CloudReportModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int CloudReportModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(captions_.size());
}

QVariant CloudReportModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role == Qt::DisplayRole) return cell(index.row(), index.column());
    if (role == DuplicateRole) return isMarked(index.row());
    if (role == WarningRole) return warning(index.row());
    if (role == Qt::CheckStateRole && index.column() == 0)
        return ticks_.at(index.row()) ? Qt::Checked : Qt::Unchecked;
    return {};
}

bool CloudReportModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || index.column() != 0 ||
        !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    setTicked(index.row(), value.toInt() == Qt::Checked);
    return true;
}

QVariant CloudReportModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) return captions_.value(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags CloudReportModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (index.column() == 0) f |= Qt::ItemIsUserCheckable;
    return f;
}

CloudReportSortProxy::CloudReportSortProxy(QObject* parent) : QSortFilterProxyModel(parent) {
    // Sorting happens when the report asks (sortBy), never behind its back.
    setDynamicSortFilter(false);
}

void CloudReportSortProxy::sortBy(const QList<ActiveSortKey>& keys, bool newestFirst) {
    const auto* model = static_cast<const CloudReportModel*>(sourceModel());
    const int rows = model ? model->rowCount() : 0;
    // Back to the record order first: after the rows were replaced, the mapping the
    // proxy rebuilt may have been ordered by the values of the rows before, and a
    // stable sort from there would keep that order among ties.
    values_.clear();
    keyCount_ = 0;
    sort(-1);
    keyCount_ = static_cast<int>(keys.size());
    newestFirst_.clear();
    for (const ActiveSortKey& k : keys) newestFirst_.append(k.dateKey && newestFirst);
    values_.clear();
    values_.reserve(qsizetype(rows) * keyCount_);
    for (int r = 0; r < rows; ++r)
        for (const ActiveSortKey& k : keys)
            values_.append(sortValueOf(model->cell(r, k.column), k.dateKey));
    // Column 0 ascending; lessThan decides from the values read above, and the
    // sort is stable, so ties keep the source order.
    sort(0, Qt::AscendingOrder);
}

int CloudReportSortProxy::CcloudReportCompare(int left, int right) const {
    const SortValue* a = values_.constData() + qsizetype(left) * keyCount_;
    const SortValue* b = values_.constData() + qsizetype(right) * keyCount_;
    for (int i = 0; i < keyCount_; ++i)
        if (const int c = compareSortValues(a[i], b[i], newestFirst_.at(i)); c != 0) return c;
    return 0;
}

bool CloudReportSortProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    if (keyCount_ == 0 || qsizetype(right.row() + 1) * keyCount_ > values_.size() ||
        qsizetype(left.row() + 1) * keyCount_ > values_.size())
        return false;
    return CcloudReportCompare(left.row(), right.row()) < 0;
}

}  // namespace report
