#pragma once
// The supply timeline drawn: drug names on the left under their class, one bar
// per dispensing coloured by institution (the legend names them), overlaps
// hatched, supplies that go on past the query's day ending in an arrow, and the
// query's day as a red line.

#include <QDialog>
#include <QWidget>

#include "report/supply_timeline.h"

class QScrollArea;

class SupplyTimelineCanvas : public QWidget {
  public:
    explicit SupplyTimelineCanvas(report::SupplyTimeline timeline, QWidget* parent = nullptr);
    const report::SupplyTimeline& timeline() const { return timeline_; }
    QSize sizeHint() const override;
    // The colour of institution `source`.
    static QColor sourceColour(int source);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    report::SupplyTimeline timeline_;
};

class SupplyTimelineDialog : public QDialog {
  public:
    explicit SupplyTimelineDialog(const report::SupplyTimeline& timeline, QWidget* parent = nullptr);
    SupplyTimelineCanvas* canvas() const { return canvas_; }

  private:
    SupplyTimelineCanvas* canvas_;
};
