#include "export/summary_pages.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>
#include <numeric>
#include <vector>

#include "export/summary_document.h"

namespace summary {

namespace {

enum class FontRole { Body, Bold, Title, Heading, Small };

// One thing painted on a page, in device pixels.
struct Item {
    enum class Kind { Text, Fill, Line } kind = Kind::Text;
    QRectF rect;  // text: its line's box; fill: the area; line: from top-left to bottom-right
    QString text;
    FontRole font = FontRole::Body;
    QColor color;
};

struct Page {
    QList<Item> items;
};

class Fonts {
  public:
    explicit Fonts(QPaintDevice* device) {
        const QFont body = summaryFont();
        add(FontRole::Body, body, device);
        QFont bold = body;
        bold.setBold(true);
        add(FontRole::Bold, bold, device);
        QFont title = bold;
        title.setPointSizeF(body.pointSizeF() * 1.5);
        add(FontRole::Title, title, device);
        QFont heading = bold;
        heading.setPointSizeF(body.pointSizeF() * 1.17);
        add(FontRole::Heading, heading, device);
        QFont small = body;
        small.setPointSizeF(7.5);
        add(FontRole::Small, small, device);
    }
    const QFont& font(FontRole r) const { return fonts_[std::size_t(r)]; }
    const QFontMetricsF& metrics(FontRole r) const { return metrics_[std::size_t(r)]; }

  private:
    // Added in the order of the roles.
    void add(FontRole, const QFont& f, QPaintDevice* device) {
        fonts_.push_back(f);
        metrics_.emplace_back(f, device);
    }
    std::vector<QFont> fonts_;
    std::vector<QFontMetricsF> metrics_;
};

// A text broken into the lines that fit `width`: line breaks in the text are
// kept, and a line too long breaks at a word boundary or, for Chinese, anywhere.
QStringList wrapped(const QString& text, const QFont& font, const QFontMetricsF& fm, qreal width,
                    QPaintDevice* device) {
    QStringList lines;
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (const QString& paragraph : t.split(QLatin1Char('\n'))) {
        if (fm.horizontalAdvance(paragraph) <= width) {
            lines << paragraph;
            continue;
        }
        QTextLayout layout(paragraph, font, device);
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            lines << paragraph.mid(line.textStart(), line.textLength());
        }
        layout.endLayout();
    }
    return lines;
}

class Layout {
  public:
    Layout(const SummaryDocument& doc, QPagedPaintDevice& device)
        : doc_(doc), device_(device), fonts_(&device) {
        const qreal dpi = device.logicalDpiY();
        mm_ = dpi / 25.4;
        margin_ = 20 * mm_;
        pageWidth_ = device.width();
        pageHeight_ = device.height();
        left_ = margin_;
        width_ = pageWidth_ - 2 * margin_;
        bottom_ = pageHeight_ - margin_;
        padding_ = 0.6 * mm_;
        border_ = std::max<qreal>(1, 0.2 * mm_);
    }

    QList<Page> run() {
        newPage();
        line(doc_.title, FontRole::Title, Qt::black, 0.5 * mm_);
        line(doc_.program, FontRole::Small, QColor(0x55, 0x55, 0x55), 2 * mm_);
        fields();
        for (const SummarySection& s : doc_.sections) {
            y_ += 3.5 * mm_;
            // A heading never stands alone at the foot of a page.
            const qreal headingHeight = fonts_.metrics(FontRole::Heading).height() + mm_;
            const qreal firstBody = fonts_.metrics(FontRole::Body).height() * 2 + 4 * padding_;
            if (y_ + headingHeight + firstBody > bottom_) newPage();
            line(s.title, FontRole::Heading, Qt::black, mm_);
            if (s.header.isEmpty())
                freeText(s.text);
            else
                table(s.header, s.rows);
        }
        return pages_;
    }

  private:
    void newPage() {
        pages_.append(Page{});
        y_ = margin_;
    }
    void text(const QRectF& box, const QString& t, FontRole font, const QColor& color) {
        pages_.last().items.append(Item{Item::Kind::Text, box, t, font, color});
    }
    void fill(const QRectF& box, const QColor& color) {
        pages_.last().items.append(Item{Item::Kind::Fill, box, {}, FontRole::Body, color});
    }
    void rule(QPointF from, QPointF to) {
        pages_.last().items.append(
            Item{Item::Kind::Line, QRectF(from, to), {}, FontRole::Body, QColor(0x88, 0x88, 0x88)});
    }

    void line(const QString& t, FontRole font, const QColor& color, qreal after) {
        const qreal h = fonts_.metrics(font).height();
        for (const QString& l :
             wrapped(t, fonts_.font(font), fonts_.metrics(font), width_, &device_)) {
            if (y_ + h > bottom_) newPage();
            text(QRectF(left_, y_, width_, h), l, font, color);
            y_ += h;
        }
        y_ += after;
    }

    // The header fields two to a row: label, value, label, value.
    void fields() {
        const QList<qreal> widths{0.12 * width_, 0.38 * width_, 0.12 * width_, 0.38 * width_};
        for (qsizetype i = 0; i < doc_.fields.size(); i += 2) {
            QList<QStringList> cells;
            QList<FontRole> roles;
            for (qsizetype j = i; j < i + 2; ++j) {
                const SummaryField f = doc_.fields.value(j);
                cells << wrapped(f.label, fonts_.font(FontRole::Bold),
                                 fonts_.metrics(FontRole::Bold), widths[0] - 2 * padding_, &device_)
                      << wrapped(f.value, fonts_.font(FontRole::Body),
                                 fonts_.metrics(FontRole::Body), widths[1] - 2 * padding_,
                                 &device_);
                roles << FontRole::Bold << FontRole::Body;
            }
            const qreal h = rowHeight(cells);
            if (y_ + h > bottom_) newPage();
            qreal x = left_;
            for (qsizetype c = 0; c < cells.size(); ++c) {
                cellText(x, y_, cells[c], roles[c]);
                x += widths[c];
            }
            y_ += h;
        }
    }

    qreal rowHeight(const QList<QStringList>& cells) const {
        qsizetype lines = 1;
        for (const QStringList& c : cells) lines = std::max(lines, c.size());
        return qreal(lines) * fonts_.metrics(FontRole::Body).height() + 2 * padding_;
    }

    void cellText(qreal x, qreal y, const QStringList& lines, FontRole font) {
        const qreal h = fonts_.metrics(font).height();
        qreal ly = y + padding_;
        for (const QString& l : lines) {
            if (!l.isEmpty()) text(QRectF(x + padding_, ly, 1e6, h), l, font, Qt::black);
            ly += h;
        }
    }

    // Column widths that fill the page: every column gets what its widest line
    // needs when all fit; otherwise narrow columns keep their need and the wide
    // ones share the rest in proportion to theirs.
    QList<qreal> columnWidths(const QStringList& header, const QList<QStringList>& rows) const {
        const qsizetype n = header.size();
        QList<qreal> need(n, 0);
        const auto widest = [](const QString& t, const QFontMetricsF& fm) {
            qreal w = 0;
            for (const QString& l : t.split(QLatin1Char('\n')))
                w = std::max(w, fm.horizontalAdvance(l));
            return w;
        };
        for (qsizetype c = 0; c < n; ++c)
            need[c] = widest(header[c], fonts_.metrics(FontRole::Bold));
        for (const QStringList& r : rows)
            for (qsizetype c = 0; c < n; ++c)
                need[c] = std::max(need[c], widest(r.value(c), fonts_.metrics(FontRole::Body)));
        for (qreal& w : need) w += 2 * padding_ + 1;
        const qreal total = std::accumulate(need.begin(), need.end(), qreal(0));
        QList<qreal> widths(n, 0);
        if (total <= width_) {
            for (qsizetype c = 0; c < n; ++c) widths[c] = need[c] * width_ / total;
            return widths;
        }
        const qreal share = width_ / qreal(n);
        qreal left = width_, wideNeed = 0;
        for (qsizetype c = 0; c < n; ++c) {
            if (need[c] <= share) {
                widths[c] = need[c];
                left -= need[c];
            } else {
                wideNeed += need[c];
            }
        }
        for (qsizetype c = 0; c < n; ++c)
            if (need[c] > share) widths[c] = need[c] * left / wideNeed;
        return widths;
    }

    void table(const QStringList& header, const QList<QStringList>& rows) {
        const QList<qreal> widths = columnWidths(header, rows);
        const auto wrapRow = [&](const QStringList& r, FontRole font) {
            QList<QStringList> cells;
            for (qsizetype c = 0; c < widths.size(); ++c)
                cells << wrapped(r.value(c), fonts_.font(font), fonts_.metrics(font),
                                 widths[c] - 2 * padding_, &device_);
            return cells;
        };
        const QList<QStringList> head = wrapRow(header, FontRole::Bold);
        const qreal headHeight = rowHeight(head);
        const auto drawRow = [&](const QList<QStringList>& cells, qreal h, FontRole font,
                                 bool shaded) {
            if (shaded) fill(QRectF(left_, y_, width_, h), QColor(0xe6, 0xe6, 0xe6));
            qreal x = left_;
            rule({left_, y_}, {left_ + width_, y_});
            for (qsizetype c = 0; c < cells.size(); ++c) {
                rule({x, y_}, {x, y_ + h});
                cellText(x, y_, cells[c], font);
                x += widths[c];
            }
            rule({left_ + width_, y_}, {left_ + width_, y_ + h});
            rule({left_, y_ + h}, {left_ + width_, y_ + h});
            y_ += h;
        };
        const qreal pageTop = margin_;
        bool headerOnPage = false;
        for (const QStringList& r : rows) {
            const QList<QStringList> cells = wrapRow(r, FontRole::Body);
            const qreal h = rowHeight(cells);
            // A row that does not fit goes to the next page, under the header
            // again; a row taller than a page stands on a page of its own.
            if (headerOnPage && y_ + h > bottom_ && y_ > pageTop + headHeight) {
                newPage();
                headerOnPage = false;
            }
            if (!headerOnPage) {
                if (y_ + headHeight + h > bottom_ && y_ > pageTop) newPage();
                drawRow(head, headHeight, FontRole::Bold, true);
                headerOnPage = true;
            }
            drawRow(cells, h, FontRole::Body, false);
        }
    }

    void freeText(const QString& t) { line(t, FontRole::Body, Qt::black, 0); }

    const SummaryDocument& doc_;
    QPagedPaintDevice& device_;
    qreal y_ = 0;
    QList<Page> pages_;

  public:
    // What the painting needs of the layout.
    Fonts fonts_;
    qreal mm_ = 1, margin_ = 0, pageWidth_ = 0, pageHeight_ = 0, left_ = 0, width_ = 0, bottom_ = 0,
          padding_ = 0, border_ = 1;
};

}  // namespace

int paintSummaryPages(const SummaryDocument& doc, QPagedPaintDevice& device,
                      const PageProgress& progress) {
    Layout layout(doc, device);
    const QList<Page> pages = layout.run();
    QPainter painter;
    if (!painter.begin(&device)) return 0;
    const Fonts& fonts = layout.fonts_;
    QPen pen(QColor(0x88, 0x88, 0x88));
    pen.setWidthF(layout.border_);
    const int count = int(pages.size());
    for (int i = 0; i < count; ++i) {
        if (progress && !progress(i + 1, count)) return 0;
        if (i > 0 && !device.newPage()) return 0;
        FontRole current = FontRole::Body;
        painter.setFont(fonts.font(current));
        for (const Item& item : pages[i].items) {
            switch (item.kind) {
                case Item::Kind::Fill:
                    painter.fillRect(item.rect, item.color);
                    break;
                case Item::Kind::Line:
                    painter.setPen(pen);
                    painter.drawLine(item.rect.topLeft(), item.rect.bottomRight());
                    break;
                case Item::Kind::Text:
                    if (item.font != current) {
                        current = item.font;
                        painter.setFont(fonts.font(current));
                    }
                    painter.setPen(item.color);
                    painter.drawText(QPointF(item.rect.left(),
                                             item.rect.top() + fonts.metrics(current).ascent()),
                                     item.text);
                    break;
            }
        }
        // The page number at the foot, as the printed sheets are counted.
        painter.setFont(fonts.font(FontRole::Small));
        painter.setPen(QColor(0x55, 0x55, 0x55));
        painter.drawText(
            QRectF(0, layout.pageHeight_ - layout.margin_, layout.pageWidth_, layout.margin_ / 2),
            Qt::AlignCenter, QStringLiteral("%1 / %2").arg(i + 1).arg(count));
        painter.setFont(fonts.font(current));
    }
    painter.end();
    return count;
}

}  // namespace summary
