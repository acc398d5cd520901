#pragma once
// Column captions and widths of the window's multi-column lists.

#include <QList>
#include <QString>

#include "report/cloud_tables.h"

struct ListColumn {
    QString caption;
    int width;
    bool rightAligned = false;
};

namespace columns {
// Patient pages.
const QList<ListColumn>& treatItem();
const QList<ListColumn>& longDrug();
const QList<ListColumn>& criticalIllness();
const QList<ListColumn>& importantMx();
const QList<ListColumn>& prevent();
const QList<ListColumn>& pregnant();
// The hidden record lists of the cloud page: the report's source columns of the
// kind, with their default widths.
QList<ListColumn> cloudRecords(report::Kind kind);
}  // namespace columns
