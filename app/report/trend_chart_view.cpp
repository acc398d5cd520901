#include "report/trend_chart_view.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QDateTimeAxis>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScatterSeries>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>

namespace {

qreal xOf(const QDate& date) { return qreal(QDateTime(date, QTime(12, 0)).toMSecsSinceEpoch()); }

// A series that draws nothing but the labels of its points: the comparison of a
// censored result ("<0.5") beside the point the other series draws.
QScatterSeries* labelSeries(const QString& marker) {
    auto* s = new QScatterSeries;
    s->setName(marker);
    s->setMarkerSize(1);
    s->setColor(Qt::transparent);
    s->setBorderColor(Qt::transparent);
    s->setPointLabelsFormat(marker + QStringLiteral("@yPoint"));
    s->setPointLabelsVisible(true);
    s->setPointLabelsClipping(false);
    return s;
}

}  // namespace

TrendChartDialog::TrendChartDialog(const cloud::TrendSeries& series, QWidget* parent)
    : QDialog(parent),
      chart_(new QChart),
      headline_(new QLabel(series.headline(), this)),
      unplotted_(new QLabel(this)) {
    setWindowTitle(QStringLiteral("趨勢 - %1 (%2)").arg(series.item, series.code));
    chart_->setTitle(QStringLiteral("%1  %2").arg(series.item, series.code));

    auto* line = new QLineSeries;
    line->setName(series.item);
    line->setColor(QColor(70, 110, 160));
    auto* normal = new QScatterSeries;
    normal->setName(QStringLiteral("結果"));
    normal->setMarkerSize(9);
    normal->setColor(QColor(70, 110, 160));
    auto* outside = new QScatterSeries;
    outside->setName(QStringLiteral("超出參考值"));
    outside->setColor(Qt::red);
    outside->setBorderColor(Qt::darkRed);
    outside->setMarkerSize(11);
    QScatterSeries* below = labelSeries(QStringLiteral("<"));
    QScatterSeries* above = labelSeries(QStringLiteral(">"));

    qreal lo = 0, hi = 0;
    bool any = false;
    auto widen = [&](qreal v) {
        lo = any ? std::min(lo, v) : v;
        hi = any ? std::max(hi, v) : v;
        any = true;
    };
    for (const cloud::TrendPoint& p : series.points) {
        const QPointF at(xOf(p.date), p.value.value);
        line->append(at);
        (p.outOfRange ? outside : normal)->append(at);
        if (p.value.marker.startsWith(u'<')) below->append(at);
        if (p.value.marker.startsWith(u'>')) above->append(at);
        widen(p.value.value);
    }
    if (series.range) {
        if (series.range->low) widen(*series.range->low);
        if (series.range->high) widen(*series.range->high);
    }
    const qreal pad = hi > lo ? (hi - lo) * 0.1 : std::max<qreal>(1, std::abs(hi) * 0.1);
    lo -= pad;
    hi += pad;

    const QDate first = series.points.isEmpty() ? QDate::currentDate() : series.points.first().date;
    const QDate last = series.points.isEmpty() ? first : series.points.last().date;
    const qreal x0 = xOf(first.addDays(-10)), x1 = xOf(last.addDays(10));

    if (series.range) {
        // A one-sided range fills to the edge of the plot.
        const qreal bandLow = series.range->low.value_or(lo);
        const qreal bandHigh = series.range->high.value_or(hi);
        // An area series does not own its boundary lines: they are its children,
        // so they go with it when the chart deletes it.
        auto* band = new QAreaSeries;
        auto* upper = new QLineSeries(band);
        auto* lower = new QLineSeries(band);
        *upper << QPointF(x0, bandHigh) << QPointF(x1, bandHigh);
        *lower << QPointF(x0, bandLow) << QPointF(x1, bandLow);
        band->setUpperSeries(upper);
        band->setLowerSeries(lower);
        band->setName(QStringLiteral("參考值"));
        band->setColor(QColor(120, 200, 120, 70));
        band->setBorderColor(QColor(120, 200, 120));
        chart_->addSeries(band);
    }
    for (QXYSeries* s : {static_cast<QXYSeries*>(line), static_cast<QXYSeries*>(normal),
                         static_cast<QXYSeries*>(outside), static_cast<QXYSeries*>(below),
                         static_cast<QXYSeries*>(above)})
        chart_->addSeries(s);

    auto* xAxis = new QDateTimeAxis;
    xAxis->setFormat(QStringLiteral("yyyy/MM/dd"));
    xAxis->setTickCount(5);
    xAxis->setRange(QDateTime::fromMSecsSinceEpoch(qint64(x0)),
                    QDateTime::fromMSecsSinceEpoch(qint64(x1)));
    auto* yAxis = new QValueAxis;
    yAxis->setRange(lo, hi);
    yAxis->applyNiceNumbers();
    yAxis->setTitleText(series.unit);
    chart_->addAxis(xAxis, Qt::AlignBottom);
    chart_->addAxis(yAxis, Qt::AlignLeft);
    for (QAbstractSeries* s : chart_->series()) {
        s->attachAxis(xAxis);
        s->attachAxis(yAxis);
    }
    for (QScatterSeries* s : {below, above})
        for (QLegendMarker* m : chart_->legend()->markers(s)) m->setVisible(false);

    QStringList texts;
    for (const cloud::UnplottedResult& u : series.unplotted)
        texts << QStringLiteral("%1  %2").arg(u.dateText, u.resultText);
    unplotted_->setText(QStringLiteral("未繪製的結果:\n") + texts.join(u'\n'));
    unplotted_->setVisible(!texts.isEmpty());
    unplotted_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* view = new QChartView(chart_, this);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(640, 360);
    QFont big = headline_->font();
    big.setPointSizeF(big.pointSizeF() * 1.2);
    headline_->setFont(big);
    headline_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(headline_);
    layout->addWidget(view, 1);
    layout->addWidget(unplotted_);
    layout->addWidget(buttons);
}
