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
QScatterSeries* labelSeries(const QString& marker, QObject* owner) {
    auto* s = new QScatterSeries(owner);
    s->setName(marker);
    s->setMarkerSize(1);
    s->setColor(Qt::transparent);
    s->setBorderColor(Qt::transparent);
    s->setPointLabelsFormat(marker + QStringLiteral("@yPoint"));
    s->setPointLabelsVisible(true);
    s->setPointLabelsClipping(false);
    return s;
}

// One chart of one series; every series and axis belongs to the chart.
QChart* makeChart(const report::TrendSeries& series) {
    auto* chart = new QChart;
    chart->setTitle(QStringLiteral("%1  %2  (%3)").arg(series.item, series.code, series.unit));

    auto* line = new QLineSeries(chart);
    line->setName(series.item);
    line->setColor(QColor(70, 110, 160));
    auto* normal = new QScatterSeries(chart);
    normal->setName(QStringLiteral("結果"));
    normal->setMarkerSize(9);
    normal->setColor(QColor(70, 110, 160));
    auto* outside = new QScatterSeries(chart);
    outside->setName(QStringLiteral("超出參考值"));
    outside->setColor(Qt::red);
    outside->setBorderColor(Qt::darkRed);
    outside->setMarkerSize(11);
    QScatterSeries* below = labelSeries(QStringLiteral("<"), chart);
    QScatterSeries* above = labelSeries(QStringLiteral(">"), chart);

    qreal lo = 0, hi = 0;
    bool any = false;
    auto widen = [&](qreal v) {
        lo = any ? std::min(lo, v) : v;
        hi = any ? std::max(hi, v) : v;
        any = true;
    };
    for (const report::TrendPoint& p : series.points) {
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
        chart->addSeries(band);
    }
    for (QXYSeries* s : {static_cast<QXYSeries*>(line), static_cast<QXYSeries*>(normal),
                         static_cast<QXYSeries*>(outside), static_cast<QXYSeries*>(below),
                         static_cast<QXYSeries*>(above)})
        chart->addSeries(s);

    auto* xAxis = new QDateTimeAxis;
    xAxis->setFormat(QStringLiteral("yyyy/MM/dd"));
    xAxis->setTickCount(5);
    xAxis->setRange(QDateTime::fromMSecsSinceEpoch(qint64(x0)),
                    QDateTime::fromMSecsSinceEpoch(qint64(x1)));
    auto* yAxis = new QValueAxis;
    yAxis->setRange(lo, hi);
    yAxis->applyNiceNumbers();
    yAxis->setTitleText(series.unit);
    chart->addAxis(xAxis, Qt::AlignBottom);
    chart->addAxis(yAxis, Qt::AlignLeft);
    for (QAbstractSeries* s : chart->series()) {
        s->attachAxis(xAxis);
        s->attachAxis(yAxis);
    }
    for (QScatterSeries* s : {below, above})
        for (QLegendMarker* m : chart->legend()->markers(s)) m->setVisible(false);
    return chart;
}

}  // namespace

TrendChartDialog::TrendChartDialog(const report::TrendSeries& series, QWidget* parent)
    : TrendChartDialog(QList<report::TrendSeries>{series}, parent) {}

TrendChartDialog::TrendChartDialog(const QList<report::TrendSeries>& set, QWidget* parent)
    : QDialog(parent), headline_(new QLabel(this)), unplotted_(new QLabel(this)) {
    const report::TrendSeries first = set.value(0);
    setWindowTitle(QStringLiteral("趨勢 - %1 (%2)").arg(first.item, first.code));
    QStringList headlines;
    for (const report::TrendSeries& s : set)
        if (!s.headline().isEmpty()) headlines << s.headline();
    headline_->setText(headlines.join(u'\n'));

    QStringList texts;
    for (const report::TrendSeries& s : set)
        for (const QString& c : s.conversions) texts << QStringLiteral("已換算: ") + c;
    for (const report::TrendSeries& s : set)
        for (const report::UnplottedResult& u : s.unplotted)
            texts << QStringLiteral("%1  %2").arg(u.dateText, u.resultText);
    // The converted results are named, then the ones that could not be drawn.
    const qsizetype converted = std::count_if(texts.begin(), texts.end(), [](const QString& t) {
        return t.startsWith(QStringLiteral("已換算"));
    });
    QStringList shown = texts.mid(0, converted);
    if (texts.size() > converted)
        shown << QStringLiteral("未繪製的結果:") + u'\n' + texts.mid(converted).join(u'\n');
    unplotted_->setText(shown.join(u'\n'));
    unplotted_->setVisible(!texts.isEmpty());
    unplotted_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    QFont big = headline_->font();
    big.setPointSizeF(big.pointSizeF() * 1.2);
    headline_->setFont(big);
    headline_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(headline_);
    for (const report::TrendSeries& s : set.isEmpty() ? QList<report::TrendSeries>{first} : set) {
        QChart* chart = makeChart(s);
        charts_ << chart;
        auto* view = new QChartView(chart, this);
        view->setRenderHint(QPainter::Antialiasing);
        view->setMinimumSize(640, set.size() > 1 ? 260 : 360);
        layout->addWidget(view, 1);
    }
    if (set.size() > 1) {
        auto* note = new QLabel(QStringLiteral("單位無法換算的結果另以各自單位繪製。"), this);
        layout->addWidget(note);
    }
    layout->addWidget(unplotted_);
    layout->addWidget(buttons);
}
