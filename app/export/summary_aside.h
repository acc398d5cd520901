#pragma once
// Making the summary's pages beside the window: the painting runs on a thread of
// its own while the calling thread's event loop keeps running, so the window
// repaints and answers however long the summary is. Progress comes back on the
// calling thread, one call per page.

#include <QByteArray>
#include <QString>
#include <functional>

#include "export/summary_model.h"

class QPagedPaintDevice;

namespace summary {

// Called on the calling thread before a page is painted: its number (from 1) and
// the count of pages.
using ShownProgress = std::function<void(int page, int pages)>;

// summaryPdf, made aside. Empty when the PDF cannot be made.
QByteArray summaryPdfAside(const SummaryDocument& doc, const ShownProgress& progress = {});
// writeSummaryPdf, the pages made aside: whole or not at all.
bool writeSummaryPdfAside(const SummaryDocument& doc, const QString& path,
                          QString* errorText = nullptr, const ShownProgress& progress = {});
// paintSummaryPages onto `device` (a printer), painted aside; the device is used
// only by the painting thread until this returns.
int paintSummaryPagesAside(const SummaryDocument& doc, QPagedPaintDevice& device,
                           const ShownProgress& progress = {});

// The text the window shows meanwhile: "製作摘要中… 第3/45頁".
QString progressText(int page, int pages);

}  // namespace summary
