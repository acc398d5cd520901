#pragma once
// The summary rendered: HTML in the subset Qt's rich text reads, and the text
// document made from it that both the printer and the PDF writer paginate. Long
// tables break across pages with their header row repeated.

#include <QByteArray>
#include <QFont>
#include <QString>
#include <memory>

#include "export/summary_model.h"

class QTextDocument;

namespace summary {

// Chinese text needs a CJK font; the first of these found on the machine is used
// and, in a PDF, embedded.
QFont summaryFont();

QString summaryHtml(const SummaryDocument& doc);
std::unique_ptr<QTextDocument> summaryTextDocument(const SummaryDocument& doc);

// The summary as an A4 PDF, or an empty array when it cannot be made.
QByteArray summaryPdf(const SummaryDocument& doc);

// Writes the PDF whole or not at all (an old file stays as it was).
bool writeSummaryPdf(const SummaryDocument& doc, const QString& path, QString* errorText = nullptr);

}  // namespace summary
