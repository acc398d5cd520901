#include "report/field_config.h"

#include <QSet>

namespace report {

QString fieldSectionOf(Kind kind) {
    return kind == Kind::Drug ? QStringLiteral("drugfield") : QStringLiteral("labfield");
}

QString sortSectionOf(Kind kind) {
    return kind == Kind::Drug ? QStringLiteral("drugsort") : QStringLiteral("labsort");
}

int normalizeWidth(int width) {
    if (width == kFitContents || width == kFitContentsAndCaption) return width;
    if (width < 0) return 0;
    return width > kMaxColumnWidth ? kMaxColumnWidth : width;
}

int normalizeWidth(const QString& text) {
    bool ok = false;
    const qlonglong w = text.trimmed().toLongLong(&ok);
    if (!ok) return 0;
    if (w > kMaxColumnWidth) return kMaxColumnWidth;
    return normalizeWidth(w < -3 ? -3 : static_cast<int>(w));
}

bool isShownWidth(int width) {
    return width > 0 || width == kFitContents || width == kFitContentsAndCaption;
}

LoadedFieldLists buildFieldLists(Kind kind, const SectionPairs& fieldSection,
                                 const SectionPairs& sortSection, const QList<int>& defaultWidths) {
    const auto& columns = columnsOf(kind);
    LoadedFieldLists out;
    QSet<QString> seen;
    for (const auto& [key, value] : fieldSection) {
        if (columnIndex(kind, key) < 0 || seen.contains(key)) continue;
        seen.insert(key);
        const int w = normalizeWidth(value);
        out.lists.fields.append({key, isShownWidth(w), w});
    }
    if (out.lists.fields.isEmpty()) {
        out.writeBack = true;
        for (int i = 0; i < columns.size(); ++i) {
            const int w = normalizeWidth(i < defaultWidths.size() ? defaultWidths.at(i)
                                                                  : columns.at(i).defaultWidth);
            out.lists.fields.append({columns.at(i).caption, isShownWidth(w), w});
        }
    } else {
        for (const CloudColumn& c : columns)
            if (!seen.contains(c.caption)) out.lists.fields.append({c.caption, false, 0});
    }

    QSet<QString> sorted;
    for (const auto& [key, value] : sortSection) {
        if (columnIndex(kind, key) < 0 || sorted.contains(key)) continue;
        sorted.insert(key);
        out.lists.sort.append({key, value == QLatin1String("Y")});
    }
    if (out.lists.sort.isEmpty()) {
        out.writeBack = true;
        for (const CloudColumn& c : columns) out.lists.sort.append({c.caption, false});
    } else {
        for (const FieldItem& f : out.lists.fields)
            if (!sorted.contains(f.caption)) out.lists.sort.append({f.caption, false});
    }
    return out;
}

SectionPairs fieldSectionPairs(const QList<FieldItem>& fields) {
    SectionPairs pairs;
    pairs.reserve(fields.size());
    for (const FieldItem& f : fields) pairs.append({f.caption, QString::number(f.width)});
    return pairs;
}

SectionPairs sortSectionPairs(const QList<SortItem>& sort) {
    SectionPairs pairs;
    pairs.reserve(sort.size());
    for (const SortItem& s : sort)
        pairs.append({s.caption, s.checked ? QStringLiteral("Y") : QStringLiteral("N")});
    return pairs;
}

}  // namespace report
