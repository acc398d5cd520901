// The window's side of the query archive: Enter in CsrID lists the stored dates,
// a date in CdateList reopens that query.

#include <QKeyEvent>
#include <QSignalBlocker>

#include "tftolv_view.h"
#include "ui_tftolv.h"

bool TFtolv::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->CsrID && event->type() == QEvent::KeyRelease) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!key->isAutoRepeat()) CsrIDKeyUp(key->key());
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFtolv::CsrIDKeyUp(int key) {
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return;
    archive().listStoredDates(ui->CsrID->text());
}

void TFtolv::CdateListChange() {
    if (read_) archive().reopen(ui->CdateList->currentText(), ui->CsrID->text());
}

void TFtolv::setDateList(const QStringList& dates) {
    // Filling the list is no change of the user's: the archive opens the newest itself.
    const QSignalBlocker quiet(ui->CdateList);
    ui->CdateList->clear();
    ui->CdateList->addItems(dates);
}

void TFtolv::setArchiveControlsEnabled(bool enabled) {
    setReadButtonsEnabled(enabled);
    ui->CsrID->setEnabled(enabled);
    ui->CdateList->setEnabled(enabled);
}

void TFtolv::setPatientLine(const QString& text) { ui->Cmsg3->setText(text); }
