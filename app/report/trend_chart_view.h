#pragma once
// The chart of one laboratory item over time: the results as points (red when
// outside the reference range, "<" and ">" written beside censored ones), the
// reference range as a band, the latest value and its change above, and the
// results that cannot be plotted listed below.

#include <QDialog>

#include "report/lab_trend.h"

class QChart;
class QLabel;

class TrendChartDialog : public QDialog {
  public:
    explicit TrendChartDialog(const cloud::TrendSeries& series, QWidget* parent = nullptr);

    QChart* chart() const { return chart_; }
    QLabel* headline() const { return headline_; }
    QLabel* unplotted() const { return unplotted_; }

  private:
    QChart* chart_;
    QLabel* headline_;
    QLabel* unplotted_;
};
