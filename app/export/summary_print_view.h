#pragma once
// Printing the summary: the platform's print dialog, then the same pages the PDF
// is made of, on the chosen printer.

class QWidget;

namespace summary {

struct SummaryDocument;

// False when the dialog was cancelled.
bool printSummary(QWidget* parent, const SummaryDocument& doc);

}  // namespace summary
