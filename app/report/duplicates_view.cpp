#include "report/duplicates_view.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QString cell(const report::CloudRow& row, const char* caption) {
    // "來源" holds the name and the code on two lines; one line reads better here.
    return row.cell(report::columnIndex(report::Kind::Drug, QString::fromUtf8(caption))).simplified();
}

QColor reasonColour(report::DuplicateReason reason) {
    return report::countsAsDuplicate(reason) ? QColor(180, 30, 30) : QColor(90, 90, 90);
}

QColor severityColour(const QString& severity) {
    if (severity == QStringLiteral("禁忌") || severity == QStringLiteral("嚴重"))
        return QColor(180, 30, 30);
    return QColor(150, 90, 0);
}

}  // namespace

DuplicatesDialog::DuplicatesDialog(const report::DuplicateFindings& findings,
                                   const report::CloudTable& drugs, QWidget* parent,
                                   const report::ClinicalAids* aids, bool checkOn)
    : QDialog(parent),
      list_(new QTreeWidget(this)),
      aidsList_(new QTreeWidget(this)),
      checked_(new QLabel(this)),
      notice_(new QLabel(report::insurerCheckNotice(), this)) {
    setWindowTitle(QStringLiteral("重複用藥與用藥提示"));
    list_->setHeaderLabels({QStringLiteral("原因"), QStringLiteral("ATC/成分"),
                            QStringLiteral("就醫日期"), QStringLiteral("來源"),
                            QStringLiteral("藥品名稱"), QStringLiteral("給藥日數"),
                            QStringLiteral("餘藥日數")});
    list_->setRootIsDecorated(true);
    list_->setUniformRowHeights(true);
    for (const report::DuplicateGroup& g : findings.groups) {
        auto* group = new QTreeWidgetItem(list_);
        group->setText(0, report::duplicateReasonText(g.reason));
        group->setText(1, g.code);
        group->setText(4, QStringLiteral("%1 筆  %2").arg(g.entries.size()).arg(g.note).trimmed());
        group->setToolTip(4, g.note);
        group->setForeground(0, reasonColour(g.reason));
        QFont bold = group->font(0);
        bold.setBold(report::countsAsDuplicate(g.reason));
        group->setFont(0, bold);
        for (const report::DuplicateEntry& e : g.entries) {
            if (e.row < 0 || e.row >= drugs.rows.size()) continue;
            const report::CloudRow& r = drugs.rows.at(e.row);
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
    // With the check on and nothing found, the list itself says so, where its
    // groups would stand.
    if (checkOn && findings.groups.isEmpty()) {
        auto* none = new QTreeWidgetItem(list_);
        none->setText(0, QStringLiteral("目前無重複用藥"));
        none->setFlags(Qt::ItemIsEnabled);
        none->setFirstColumnSpanned(true);
    }

    // What the duplicate check looked at, and what it could not read.
    QStringList said;
    if (!checkOn) {
        said << QStringLiteral("本區重複用藥檢查未開啟(規則設定中的勾選框)。");
    } else {
        said << QStringLiteral("重複用藥: 以%1仍在用藥期間的雲端藥品判斷(同成分含複方成分、同ATC第4層、"
                               "跨類同療效);提早%2天內領藥、同一處方併用與換藥不計為重複。")
                    .arg(report::rocDayText(findings.day))
                    .arg(findings.earlyRefillDays);
        if (!findings.skippedText.isEmpty()) said << findings.skippedText;
    }
    checked_->setText(said.join(u'\n'));
    checked_->setWordWrap(true);
    checked_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    aidsList_->setHeaderLabels(
        {QStringLiteral("提示"), QStringLiteral("程度"), QStringLiteral("內容"), QStringLiteral("依據")});
    aidsList_->setRootIsDecorated(true);
    aidsList_->setWordWrap(true);
    if (aids) {
        for (const report::AidSection& s : aids->sections) {
            auto* section = new QTreeWidgetItem(aidsList_);
            section->setText(0, QStringLiteral("%1 (%2)").arg(s.title).arg(s.findings.size()));
            section->setText(2, s.checked);
            section->setToolTip(2, s.checked);
            QFont bold = section->font(0);
            bold.setBold(true);
            section->setFont(0, bold);
            for (const report::AidFinding& f : s.findings) {
                auto* line = new QTreeWidgetItem(section);
                line->setText(0, f.title);
                line->setText(1, f.severity);
                line->setForeground(1, severityColour(f.severity));
                line->setText(2, QString(f.detail).replace(u'\n', QStringLiteral(" | ")));
                line->setToolTip(2, f.detail);
                line->setText(3, f.source);
                line->setToolTip(3, f.source);
            }
        }
        aidsList_->expandAll();
        aidsList_->setColumnWidth(0, 220);
        aidsList_->setColumnWidth(1, 50);
        aidsList_->setColumnWidth(2, 520);
    }
    aidsList_->setVisible(aids != nullptr);

    notice_->setWordWrap(true);
    QPalette p = notice_->palette();
    p.setColor(QPalette::WindowText, QColor(150, 0, 0));
    notice_->setPalette(p);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(checked_);
    layout->addWidget(list_, 1);
    layout->addWidget(aidsList_, 1);
    layout->addWidget(notice_);
    layout->addWidget(buttons);
    resize(980, 640);
}
