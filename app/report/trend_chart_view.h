#pragma once
// The chart of one laboratory test over time: the results as points (red when
// outside the reference range, "<" and ">" written beside censored ones), the
// reference range as a band, the latest value and its change above, and the
// results that cannot be plotted listed below. A test reported in units that
// cannot be converted gets one chart per unit, never one axis of mixed units.

#include <QDialog>
#include <QList>

#include "report/lab_trend.h"

class QChart;
class QLabel;

class TrendChartDialog : public QDialog {
  public:
    explicit TrendChartDialog(const report::TrendSeries& series, QWidget* parent = nullptr);
    // The first series is drawn first; each further one (another unit) below it.
    explicit TrendChartDialog(const QList<report::TrendSeries>& series, QWidget* parent = nullptr);

    QChart* chart() const { return charts_.value(0); }
    const QList<QChart*>& charts() const { return charts_; }
    QLabel* headline() const { return headline_; }
    QLabel* unplotted() const { return unplotted_; }

  private:
    QList<QChart*> charts_;
    QLabel* headline_;
    QLabel* unplotted_;
};
