#pragma once
// Text scanners for the cloud site's table texts. Positions are 1-based
// character indexes into the QString; 0 means "none" or "finished". None of them
// ever fails: they return empty text or 0. The record text the rows are stored
// as is read with common/record_text.h.

#include <QString>

// Reads one table cell starting at xPOS: up to a tab, or up to a line feed in
// the last column. A line feed inside another column's cell becomes ">" once
// some text precedes it. xPOS ends just after the stop, or 0 past the end.
QString getNextWord(int& xPOS, const QString& S, bool bLastitem);

// Reads one word separated by spaces (U+0020 only). xPOS ends on the space
// after the word, one past the end, or 0 when nothing was left to read.
QString getNextWord2(int& xPOS, const QString& S);
