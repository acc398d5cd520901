#include "report/supply_timeline_view.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QVBoxLayout>

#include "report/clinical_aids.h"

namespace {

constexpr int kLabelWidth = 240;
constexpr int kRowHeight = 20;
constexpr int kAxisHeight = 34;
constexpr int kLegendRow = 18;
constexpr int kPlotWidth = 720;

int legendRows(const report::SupplyTimeline& t) { return int((t.sources.size() + 2) / 3); }

}  // namespace

SupplyTimelineCanvas::SupplyTimelineCanvas(report::SupplyTimeline timeline, QWidget* parent)
    : QWidget(parent), timeline_(std::move(timeline)) {
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
    setMinimumSize(sizeHint());
}

QSize SupplyTimelineCanvas::sizeHint() const {
    const int rows = timeline_.laneCount() + int(timeline_.groups.size());
    return {kLabelWidth + kPlotWidth + 20,
            kAxisHeight + rows * kRowHeight + 12 + legendRows(timeline_) * kLegendRow + 8};
}

QColor SupplyTimelineCanvas::sourceColour(int source) {
    // Distinct on screen and in print.
    static const QColor colours[] = {
        QColor(31, 119, 180), QColor(255, 127, 14), QColor(44, 160, 44),  QColor(214, 39, 40),
        QColor(148, 103, 189), QColor(140, 86, 75), QColor(227, 119, 194), QColor(127, 127, 127),
        QColor(188, 189, 34), QColor(23, 190, 207)};
    return colours[source % int(std::size(colours))];
}

void SupplyTimelineCanvas::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, false);
    const report::SupplyTimeline& t = timeline_;
    const int plotLeft = kLabelWidth;
    const int plotRight = width() - 12;
    const qint64 span = std::max<qint64>(1, t.from.daysTo(t.day) + 1);
    auto xOf = [&](const QDate& d) {
        return plotLeft + int(double(t.from.daysTo(d)) * (plotRight - plotLeft) / span);
    };
    const int rows = t.laneCount() + int(t.groups.size());
    const int plotBottom = kAxisHeight + rows * kRowHeight;

    // Month lines and labels.
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    p.setFont(small);
    for (QDate m(t.from.year(), t.from.month(), 1); m <= t.day; m = m.addMonths(1)) {
        if (m < t.from) continue;
        const int x = xOf(m);
        p.setPen(QColor(225, 225, 225));
        p.drawLine(x, kAxisHeight - 4, x, plotBottom);
        p.setPen(Qt::darkGray);
        p.drawText(x + 2, kAxisHeight - 8, QStringLiteral("%1/%2").arg(m.year() - 1911).arg(m.month()));
    }

    int y = kAxisHeight;
    QFont bold = font();
    bold.setBold(true);
    for (const report::TimelineGroup& g : t.groups) {
        p.fillRect(0, y, width(), kRowHeight, QColor(238, 242, 248));
        p.setFont(bold);
        p.setPen(Qt::black);
        const QString title = g.atcClass.isEmpty() ? QStringLiteral("(無ATC分類)")
                                                   : g.atcClass + QStringLiteral("  ") + g.name;
        p.drawText(QRect(4, y, width() - 8, kRowHeight), Qt::AlignVCenter | Qt::AlignLeft, title);
        y += kRowHeight;
        p.setFont(font());
        for (const report::TimelineLane& lane : g.lanes) {
            p.setPen(Qt::black);
            p.drawText(QRect(14, y, kLabelWidth - 18, kRowHeight), Qt::AlignVCenter | Qt::AlignLeft,
                       QFontMetrics(font()).elidedText(lane.label, Qt::ElideRight, kLabelWidth - 18));
            QDate reach;
            for (const report::TimelineBar& b : lane.bars) {
                const int x0 = xOf(b.from);
                const int x1 = std::max(x0 + 2, xOf(b.to.addDays(1)));
                const QRect bar(x0, y + 4, x1 - x0, kRowHeight - 8);
                p.fillRect(bar, sourceColour(b.source));
                // The days this bar shares with the bars before it.
                if (b.overlapsPrevious && reach.isValid()) {
                    const QRect shared(x0, y + 2, std::max(2, std::min(x1, xOf(reach.addDays(1))) - x0),
                                       kRowHeight - 4);
                    p.fillRect(shared, QBrush(Qt::black, Qt::BDiagPattern));
                    p.setPen(Qt::black);
                    p.drawRect(shared.adjusted(0, 0, -1, -1));
                }
                if (b.continues) {
                    QPainterPath arrow;
                    arrow.moveTo(x1, y + 2);
                    arrow.lineTo(x1 + 7, y + kRowHeight / 2);
                    arrow.lineTo(x1, y + kRowHeight - 2);
                    p.fillPath(arrow, sourceColour(b.source));
                }
                if (!reach.isValid() || b.to > reach) reach = b.to;
            }
            y += kRowHeight;
        }
    }

    // The query's day.
    const int xd = xOf(t.day.addDays(1));
    p.setPen(QPen(QColor(200, 0, 0), 2));
    p.drawLine(xd, kAxisHeight - 18, xd, plotBottom);
    p.setFont(bold);
    const QString dayText = QStringLiteral("查詢日 ") + report::rocDayText(t.day);
    const int tw = QFontMetrics(bold).horizontalAdvance(dayText);
    p.drawText(xd - tw - 4, 14, dayText);

    // Legend: the institutions.
    p.setFont(font());
    int ly = plotBottom + 12;
    for (int i = 0; i < t.sources.size(); ++i) {
        const int col = i % 3, row = i / 3;
        const int lx = 8 + col * ((width() - 16) / 3);
        const int top = ly + row * kLegendRow;
        p.fillRect(lx, top + 3, 14, kLegendRow - 6, sourceColour(i));
        p.setPen(Qt::black);
        p.drawText(QRect(lx + 18, top, (width() - 16) / 3 - 22, kLegendRow),
                   Qt::AlignVCenter | Qt::AlignLeft, t.sources.at(i));
    }
}

SupplyTimelineDialog::SupplyTimelineDialog(const report::SupplyTimeline& timeline, QWidget* parent)
    : QDialog(parent), canvas_(new SupplyTimelineCanvas(timeline)) {
    setWindowTitle(QStringLiteral("用藥時間軸 (%1 至 %2)")
                       .arg(report::rocDayText(timeline.from), report::rocDayText(timeline.day)));
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(canvas_);
    scroll->setWidgetResizable(true);
    auto* layout = new QVBoxLayout(this);
    auto* caption = new QLabel(
        QStringLiteral("近180天至查詢日每次領藥的用藥期間;顏色為來源院所,斜線為與前次重疊的天數,箭頭為查詢日後仍有藥。"),
        this);
    caption->setWordWrap(true);
    layout->addWidget(caption);
    if (timeline.groups.isEmpty())
        layout->addWidget(new QLabel(QStringLiteral("近180天無用藥記錄"), this));
    layout->addWidget(scroll, 1);
    if (!timeline.skippedText.isEmpty()) {
        auto* skipped = new QLabel(timeline.skippedText, this);
        skipped->setWordWrap(true);
        layout->addWidget(skipped);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(1040, std::min(760, canvas_->sizeHint().height() + 140));
}
