// The window's side of the query archive: Enter in CsrID lists the stored dates,
// a date in CdateList reopens that query.

#include <QKeyEvent>
#include <QSignalBlocker>
#include <iterator>

#include "tftolv_view.h"
#include "ui_tftolv.h"

bool TFtolv::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->CsrID && event->type() == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!key->isAutoRepeat()) CsrIDKeyUp(key->key());
    }
    return QMainWindow::eventFilter(watched, event);
}

// Opening a stored query lets messages run, as a query does: it runs as one, so
// a close asked for meanwhile waits for it.
void TFtolv::CsrIDKeyUp(int key) {
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return;
    runQuery([this] { archive().listStoredDates(ui->CsrID->text()); });
}

void TFtolv::CdateListChange() {
    if (!read_) return;
    runQuery([this] { archive().reopen(ui->CdateList->currentText(), ui->CsrID->text()); });
}

void TFtolv::setDateList(const QStringList& dates) {
    // Filling the list is no change of the user's: the archive opens the newest itself.
    const QSignalBlocker quiet(ui->CdateList);
    ui->CdateList->clear();
    ui->CdateList->addItems(dates);
}

void TFtolv::setArchiveControlsEnabled(bool enabled) {
    // Each control gets back the state it had, so an opening that slipped into
    // Direct Read's page check does not enable the buttons that check turned off.
    QWidget* const controls[] = {ui->Cread, ui->CsaveHtml, ui->CsrID, ui->CdateList};
    static_assert(std::size(controls) == std::tuple_size_v<decltype(archiveControlsWere_)>);
    for (std::size_t i = 0; i < std::size(controls); ++i) {
        if (!enabled) archiveControlsWere_[i] = !controls[i]->testAttribute(Qt::WA_ForceDisabled);
        controls[i]->setEnabled(enabled && archiveControlsWere_[i]);
    }
}
