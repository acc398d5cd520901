#pragma once
// The record text: rows "<D>…</D>" whose children are elements named after their
// columns, as the cloud tables are stored, archived and reported. Positions are
// 1-based character indexes into the QString; 0 means "none" or "finished".
// None of these ever fails: they return empty text or 0.

#include <QString>
#include <QStringList>

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
