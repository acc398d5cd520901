#pragma once
// The summary laid out on A4 pages and painted, for the PDF and the printer alike:
// 2 cm margins, the page number at the foot, long tables broken between rows with
// their header row repeated on every page, long free text broken between lines.
//
// Laid out once with the device's own metrics and painted page by page, so a
// thousand-row table costs its rows once (the rich-text path walked the whole
// table again for every page). Needs nothing of a window: it runs on any thread
// that has its own paint device.

#include <functional>

#include "export/summary_model.h"

class QPagedPaintDevice;

namespace summary {

// Called before each page is painted with its number (from 1) and the count of
// pages; returning false stops the painting (the device then holds a part).
using PageProgress = std::function<bool(int page, int pages)>;

// Paints `doc` onto `device`, whose page layout the caller has set (A4, no
// margins of its own). Returns the number of pages painted, 0 when the device
// cannot be painted on or the painting was stopped.
int paintSummaryPages(const SummaryDocument& doc, QPagedPaintDevice& device,
                      const PageProgress& progress = {});

}  // namespace summary
