#include "card/patient_pages_view.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextEdit>
#include <QTreeWidget>

#include "card/drug_database.h"
#include "common/prompts.h"

namespace {
void setWidgetText(QWidget* w, const QString& text) {
    if (auto* e = qobject_cast<QLineEdit*>(w))
        e->setText(text);
    else if (auto* l = qobject_cast<QLabel*>(w))
        l->setText(text);
    else if (auto* c = qobject_cast<QComboBox*>(w)) {
        const int i = c->findText(text);
        if (i >= 0)
            c->setCurrentIndex(i);
        else if (c->isEditable())
            c->setEditText(text);
    } else if (auto* p = qobject_cast<QPlainTextEdit*>(w))
        p->setPlainText(text);
    else if (auto* t = qobject_cast<QTextEdit*>(w))
        t->setPlainText(text);
    else if (w != nullptr) {
        // A choice of radio buttons (the sex): check the one captioned so, or none.
        const QList<QRadioButton*> options = w->findChildren<QRadioButton*>();
        for (QRadioButton* r : options) r->setAutoExclusive(false);
        for (QRadioButton* r : options) r->setChecked(r->text() == text);
        for (QRadioButton* r : options) r->setAutoExclusive(true);
    }
}

void fillList(QTreeWidget* list, const QList<QStringList>& rows) {
    if (list == nullptr) return;
    // Rows come in their final order; the widget must not re-sort them.
    list->setSortingEnabled(false);
    list->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(rows.size());
    for (const QStringList& row : rows) items << new QTreeWidgetItem(row);
    list->addTopLevelItems(items);
}

void fillGrid(QTableWidget* grid, const PatientPages& pages) {
    if (grid == nullptr) return;
    for (int c = 1; c < PatientPages::kGridColumns && c < grid->columnCount(); ++c) {
        for (int r = 0; r < PatientPages::kGridRows && r < grid->rowCount(); ++r) {
            QTableWidgetItem* item = grid->item(r, c);
            if (item == nullptr) {
                item = new QTableWidgetItem;
                grid->setItem(r, c, item);
            }
            item->setText(pages.cell(c, r));
        }
    }
}
}  // namespace

void showPatientPages(const PatientPages& pages, const PatientPageWidgets& w, Prompts& prompts) {
    for (const QString& code : pages.unknownCodes)
        prompts.message(unknownInsuranceCodeMessage(code));

    setWidgetText(w.CptName, pages.CptName);
    setWidgetText(w.CptID, pages.CptID);
    setWidgetText(w.Cbirthday, pages.Cbirthday);
    setWidgetText(w.Csex, pages.Csex);
    fillGrid(w.CtreatmentData, pages);
    fillList(w.CtreatItem, pages.CtreatItem);
    fillList(w.ClongDrug, pages.ClongDrug);
    fillList(w.CimportantMx, pages.CimportantMx);
    fillList(w.CcriticalIllness, pages.CcriticalIllness);
    fillList(w.Cprevent, pages.Cprevent);
    fillList(w.Cpregnant, pages.Cpregnant);
    setWidgetText(w.CrefMemo, pages.CrefMemo);
    if (w.tabs != nullptr) {
        for (QWidget* page : w.pagesToShow) {
            const int i = w.tabs->indexOf(page);
            if (i >= 0) w.tabs->setTabVisible(i, true);
        }
    }
}
