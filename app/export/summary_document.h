#pragma once
// The summary rendered: as an A4 PDF (painted by summary_pages), and as HTML in
// the subset Qt's rich text reads with the text document made from it, which the
// benchmark keeps as the yardstick of the PDF's speed.

#include <QByteArray>
#include <QFont>
#include <QString>
#include <memory>

#include "export/summary_model.h"
#include "export/summary_pages.h"

class QTextDocument;

namespace summary {

// Chinese text needs a CJK font; the first of these found on the machine is used
// and, in a PDF, embedded.
QFont summaryFont();

QString summaryHtml(const SummaryDocument& doc);
std::unique_ptr<QTextDocument> summaryTextDocument(const SummaryDocument& doc);

// The summary as an A4 PDF, or an empty array when it cannot be made (or
// `progress` stopped it). Runs on any thread.
QByteArray summaryPdf(const SummaryDocument& doc, const PageProgress& progress = {});
// The same pages through the text document: the way the PDF used to be made.
QByteArray summaryPdfThroughTextDocument(const SummaryDocument& doc);

// Writes the PDF whole or not at all (an old file stays as it was).
bool writeSummaryPdf(const SummaryDocument& doc, const QString& path, QString* errorText = nullptr,
                     const PageProgress& progress = {});

}  // namespace summary
