#pragma once
// Font measurements for the design-width rules of font_fit.h.
class QFont;
class QLabel;
class QString;
class QTreeWidget;

namespace fontfit {

// How much wider than the design font `font` is (1 when it is the design font or
// not wider).
double listWidthRatio(const QFont& font);

// Sets a list's column widths: the design widths grown by the list font's ratio.
void setGrownColumnWidth(QTreeWidget* list, int column, int designWidth);

// Shows `text` in a status label; a text cut by the label's width carries the whole
// text as its tool tip. The tool tip follows later changes of the label's width.
void setStatusText(QLabel* label, const QString& text);

}  // namespace fontfit
