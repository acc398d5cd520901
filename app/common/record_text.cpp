#include "record_text.h"

#include "ascii_text.h"

namespace {

// 1-based character access; callers keep p within 1..size.
QChar at(const QString& s, int p) { return s.at(p - 1); }

// Letters A-Z compare without regard to case, everything else exactly.
bool matchesAt(const QString& s, int p, const QString& what) {
    return p >= 1 && sameAsciiNoCaseAt(s, p - 1, what);
}

}  // namespace

int findParePos(const QString& tagName, const QString& S, int begPos) {
    const QString n = trimControls(tagName);
    const QString startTag = "<" + n + ">";
    const QString endTag = "</" + n + ">";
    int depth = 0;
    int p = begPos < 1 ? 1 : begPos;
    const int len = int(S.size());
    while (p < len) {
        if (at(S, p) == u'<' && matchesAt(S, p, startTag)) {
            p += int(startTag.size());
            ++depth;
        } else if (at(S, p) == u'<' && matchesAt(S, p, endTag)) {
            if (depth == 0) return p;
            --depth;
            p += int(endTag.size());
        } else {
            ++p;
        }
    }
    return 0;
}

int getXMLitem(const QString& sXML, int begPos, const QString& sTag, QStringList& KeyValueList) {
    KeyValueList.clear();
    if (sXML.isEmpty()) return 0;
    const qsizetype found = sXML.indexOf("<" + sTag + ">", begPos < 1 ? 0 : begPos - 1);
    if (found < 0) return 0;
    const int len = int(sXML.size());
    int p = int(found) + 1 + int(sTag.size()) + 2;
    if (p >= len) return 0;
    int depth = 0;
    while (p < len) {
        if (at(sXML, p) != u'<') {
            ++p;
            continue;
        }
        // The name runs to the next ">" (or stops before the last character).
        QString name;
        ++p;
        while (p < len && at(sXML, p) != u'>') name += at(sXML, p++);
        if (sameAsciiNoCase(name, sTag)) {
            ++depth;
            ++p;
        } else if (sameAsciiNoCase(name, "/" + sTag)) {
            if (depth == 0) return p + 1;
            --depth;
            ++p;
        } else if (name.endsWith(" /")) {
            ++p;
        } else {
            ++p;
            const int e = findParePos(name, sXML, p);
            if (e == 0) return 0;
            KeyValueList.append(name + "=" + sXML.mid(p - 1, e - p));
            p = e + int(name.size()) + 3;
        }
    }
    return 0;
}

namespace {

// The "<" of every "<name>" and "</name>" in `text` replaced by "＜".
QString neutralised(QString text, const QString& name) {
    const QString open = "<" + name + ">";
    const QString close = "</" + name + ">";
    for (int p = 1; p <= int(text.size()); ++p)
        if (at(text, p) == u'<' && (matchesAt(text, p, open) || matchesAt(text, p, close)))
            text[p - 1] = QChar(u'\uFF1C');
    return text;
}

}  // namespace

QString neutraliseCell(const QString& value, const QString& name) {
    // The row's own markers never stay: whoever counts or splits rows would see
    // them. The column's markers stay only where the cell reads back as itself.
    const QString cell = neutralised(value, QStringLiteral("D"));
    QStringList children;
    const QString row = "<D><" + name + ">" + cell + "</" + name + "></D>";
    if (getXMLitem(row, 1, QStringLiteral("D"), children) != 0 && children.size() == 1 &&
        children.first() == name + "=" + cell)
        return cell;
    return neutralised(cell, name);
}
