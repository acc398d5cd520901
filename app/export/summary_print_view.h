#pragma once
// Printing the summary: the platform's print dialog, then the same text document
// the PDF is made from, on the chosen printer.

class QWidget;

namespace summary {

struct SummaryDocument;

// False when the dialog was cancelled.
bool printSummary(QWidget* parent, const SummaryDocument& doc);

}  // namespace summary
