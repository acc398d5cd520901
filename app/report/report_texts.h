#pragma once
// The texts of the cloud report's right-click menu and of the copy to the
// clipboard, built from the cells as the report shows them (column k of a row
// is cells[k], under captions[k]).

#include <QList>
#include <QString>
#include <QStringList>

namespace report {

inline constexpr int kMenuWrapWidth = 70;

// Wraps at spaces into lines of at most `width` characters; a word longer than
// that stands on a line of its own, unbroken.
QStringList wrapAtSpaces(const QString& text, int width = kMenuWrapWidth);

struct ReportMenu {
    enum Kind { None, Error, Items };
    Kind kind = None;
    QString error;      // Error: the message to show
    QStringList items;  // Items: one menu item each, texts as they are shown
};

// All values of a row: "caption : value", empty values left out, long ones
// wrapped with their continuation lines indented under the first.
QStringList rowValueItems(const QStringList& captions, const QStringList& cells);

// The entry of the institution whose code ends the "來源" value (its last ten
// characters), looked up in "hospbsc.txt" of `appPath` by its "醫事機構代碼"
// field. No code, or a code the list lacks, gives no menu; a damaged list gives
// the error "檔案缺損 " + folder + "hospbsc.txt".
ReportMenu institutionItems(const QString& sourceValue, const QString& appPath);

// The menu for a right-click on `column` (-1: right of the last column): the
// institution's entry at or left of the "來源" column, else the row's values.
// No "來源" column, or "來源" as the row caption, gives no menu.
ReportMenu contextMenuFor(const QStringList& captions, const QStringList& cells, int column,
                          const QString& appPath);

// The ticked rows, one line each: the checked columns' values, with labels
// caption ":(" value ")" when `withTags`; lines joined with CR LF.
QString copyText(const QList<QStringList>& rows, const QStringList& captions,
                 const QList<bool>& checked, bool withTags);

}  // namespace report
