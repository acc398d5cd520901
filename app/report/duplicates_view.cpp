#include "report/duplicates_view.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QString cell(const cloud::CloudRow& row, const char* caption) {
    // "來源" holds the name and the code on two lines; one line reads better here.
    return row.cell(cloud::columnIndex(cloud::Kind::Drug, QString::fromUtf8(caption))).simplified();
}

}  // namespace

DuplicatesDialog::DuplicatesDialog(const cloud::DuplicateFindings& findings,
                                   const cloud::CloudTable& drugs, QWidget* parent)
    : QDialog(parent), list_(new QTreeWidget(this)) {
    setWindowTitle(QStringLiteral("重複用藥"));
    list_->setHeaderLabels({QStringLiteral("原因"), QStringLiteral("ATC"),
                            QStringLiteral("就醫日期"), QStringLiteral("來源"),
                            QStringLiteral("藥品名稱"), QStringLiteral("給藥日數"),
                            QStringLiteral("餘藥日數")});
    list_->setRootIsDecorated(true);
    list_->setUniformRowHeights(true);
    for (const cloud::DuplicateGroup& g : findings.groups) {
        auto* group = new QTreeWidgetItem(list_);
        group->setText(0, cloud::duplicateReasonText(g.reason));
        group->setText(1, g.code);
        group->setText(4, QStringLiteral("%1 筆").arg(g.entries.size()));
        for (const cloud::DuplicateEntry& e : g.entries) {
            if (e.row < 0 || e.row >= drugs.rows.size()) continue;
            const cloud::CloudRow& r = drugs.rows.at(e.row);
            auto* line = new QTreeWidgetItem(group);
            line->setText(1, cell(r, "ATC7代碼"));
            line->setText(2, r.caption);
            line->setText(3, cell(r, "來源"));
            line->setText(4, cell(r, "藥品名稱"));
            line->setText(5, cell(r, "給藥日數"));
            line->setText(6, QString::number(e.remainingDays));
            line->setTextAlignment(5, Qt::AlignRight | Qt::AlignVCenter);
            line->setTextAlignment(6, Qt::AlignRight | Qt::AlignVCenter);
        }
    }
    list_->expandAll();
    for (int c = 0; c < list_->columnCount(); ++c) list_->resizeColumnToContents(c);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    if (findings.groups.isEmpty())
        layout->addWidget(new QLabel(QStringLiteral("目前無重複用藥"), this));
    layout->addWidget(list_);
    layout->addWidget(buttons);
    resize(860, 420);
}
