#pragma once
// Printing the summary: the platform's print dialog, then the same pages the PDF
// is made of, on the chosen printer.

#include "export/summary_aside.h"

class QWidget;

namespace summary {

// False when the dialog was cancelled. The pages are painted aside (the window
// keeps answering), `progress` shown on the way.
bool printSummary(QWidget* parent, const SummaryDocument& doc, const ShownProgress& progress = {});

}  // namespace summary
