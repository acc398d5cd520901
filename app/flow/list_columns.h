#pragma once
// Column captions and widths of the window's multi-column lists.

#include <QList>
#include <QString>

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
// Hidden record lists of the cloud page (drug: 24 columns, laboratory: 23).
const QList<ListColumn>& cloudDrug();
const QList<ListColumn>& cloudLabData();
}  // namespace columns
