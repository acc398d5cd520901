#pragma once
// Which columns the cloud report shows, in which order and how wide, and which
// columns are its sort keys: per kind, kept in the sections "drugfield" /
// "drugsort" and "labfield" / "labsort". The key order of a section is the
// display order (fields) or the priority (sort keys).

#include <QList>
#include <QPair>
#include <QString>
#include <optional>

#include "report/cloud_tables.h"

namespace report {

using SectionPairs = QList<QPair<QString, QString>>;

struct FieldItem {
    QString caption;
    bool checked = false;
    // Pixels; 0 hidden; -1 and -2 (only when checked) fit the contents.
    int width = 0;
};

struct SortItem {
    QString caption;
    bool checked = false;
};

struct FieldLists {
    QList<FieldItem> fields;  // display order: report column k is fields[k]
    QList<SortItem> sort;     // priority order
};

QString fieldSectionOf(Kind kind);
QString sortSectionOf(Kind kind);

inline constexpr int kFitContents = -1;
inline constexpr int kFitContentsAndCaption = -2;
inline constexpr int kMaxColumnWidth = 4000;
// What a checked column that had no width gets.
inline constexpr int kCheckedWidth = 50;

// A stored or configured width as a column may take it: not a number is 0, -1 and
// -2 stay (fit contents), other negatives are 0, and more than 4000 is 4000.
int normalizeWidth(const QString& text);
int normalizeWidth(int width);
bool isShownWidth(int width);

struct LoadedFieldLists {
    FieldLists lists;
    // A section was missing (or named no column of the kind): write both back.
    bool writeBack = false;
};

// Builds both lists of `kind` from its stored sections (pairs in file order).
// Unknown keys are skipped and a caption counts once (its first entry); columns
// the section lacks follow in source order, hidden and inactive. A missing field
// section takes `defaultWidths` (one per source column).
LoadedFieldLists buildFieldLists(Kind kind, const SectionPairs& fieldSection,
                                 const SectionPairs& sortSection, const QList<int>& defaultWidths);

// The sections' contents from the lists: fields with their widths, sort keys
// with "Y" or "N".
SectionPairs fieldSectionPairs(const QList<FieldItem>& fields);
SectionPairs sortSectionPairs(const QList<SortItem>& sort);

// Moves item `index` one place (delta -1 up, +1 down). Returns the new index, or
// nullopt when there is no such item or it is already at that end.
template <class T>
std::optional<int> moveItem(QList<T>& list, int index, int delta) {
    const int target = index + delta;
    if (index < 0 || index >= list.size() || target < 0 || target >= list.size())
        return std::nullopt;
    list.move(index, target);
    return target;
}

}  // namespace report
