#include "export/summary_print_view.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>

#include "export/summary_aside.h"

namespace summary {

bool printSummary(QWidget* parent, const SummaryDocument& doc, const ShownProgress& progress) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    printer.setDocName(doc.title);
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("列印"));
    if (dialog.exec() != QDialog::Accepted) return false;
    paintSummaryPagesAside(doc, printer, progress);
    return true;
}

}  // namespace summary
