#pragma once
// The two source tables of the cloud report, built from the record texts
// sDrug and sLab. A row keeps the layout the report and its rules rely on:
// the caption (the visit or test date) and then one sub-value per further
// column, at fixed positions.

#include <QList>
#include <QString>
#include <QStringList>

namespace report {

enum class Kind { Drug, Lab };

struct CloudColumn {
    QString caption;    // the report's column caption
    QString recordKey;  // the element of the record text it takes its value from
    int defaultWidth;   // 0: hidden until the user ticks it
};

// Column 0 is the caption; sub-value k is column k+1.
struct CloudRow {
    QString caption;
    QStringList values;

    // The value of column `column` (0 = caption); empty when out of range.
    QString cell(int column) const;
};

struct CloudTable {
    QList<CloudRow> rows;
};

// The fixed columns of each kind (24 for drugs, 23 for laboratory data). The one
// table of them: the window's hidden record lists and the count of the stored
// laboratory widths read it too, and stored settings name columns by these captions.
const QList<CloudColumn>& drugColumns();
const QList<CloudColumn>& labColumns();
const QList<CloudColumn>& columnsOf(Kind kind);

// The index of the column with this caption in the kind's table, or -1.
int columnIndex(Kind kind, const QString& caption);

// The report's kind texts: "drug" and "labdata".
QString kindText(Kind kind);

// Reads one record text into rows, in source order. Records whose date is
// blank are dropped; the caption is the trimmed date, the other values are
// kept as they stand, and a key the record lacks gives an empty value.
// Malformed text yields the rows read before the fault.
CloudTable parseRecordText(Kind kind, const QString& recordText);

// Both source tables of one patient, always rebuilt whole.
struct CloudSourceTables {
    CloudTable drug;
    CloudTable lab;

    const CloudTable& of(Kind kind) const { return kind == Kind::Drug ? drug : lab; }
};

CloudSourceTables buildSourceTables(const QString& sDrug, const QString& sLab);

}  // namespace report
