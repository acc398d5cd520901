#pragma once
// Text scanners for the cloud site's table texts and for record text.
// Positions are 1-based character indexes into the QString; 0 means "none" or
// "finished". None of them ever fails: they return empty text or 0.

#include <QString>
#include <QStringList>

// Reads one table cell starting at xPOS: up to a tab, or up to a line feed in
// the last column. A line feed inside another column's cell becomes ">" once
// some text precedes it. xPOS ends just after the stop, or 0 past the end.
QString getNextWord(int& xPOS, const QString& S, bool bLastitem);

// Reads one word separated by spaces (U+0020 only). xPOS ends on the space
// after the word, one past the end, or 0 when nothing was left to read.
QString getNextWord2(int& xPOS, const QString& S);

// The position of the "<" of the end tag that closes the element whose content
// starts at begPos, skipping nested elements of the same name; 0 when none.
int findParePos(const QString& tagName, const QString& S, int begPos);

// Reads the next element sTag at or after begPos and lists its children as
// "name=content". Returns the position just after its end tag, or 0.
int getXMLitem(const QString& sXML, int begPos, const QString& sTag, QStringList& KeyValueList);

// The cell `value` as the content of its column's element `name` in a row "<D>":
// the "<" of every "<D>" and "</D>" in it (letters in any case) becomes "＜", and
// so does that of every "<name>" and "</name>" unless the cell reads back as itself
// with them. It can then neither end its row or its element early nor open a
// nested one. The archive neutralises its own markers the same way.
QString neutraliseCell(const QString& value, const QString& name);
