#include "edge_scrape.h"

namespace {

// 1-based character access; callers keep p within 1..size.
QChar at(const QString& s, int p) { return s.at(p - 1); }

}  // namespace

QString getNextWord(int& xPOS, const QString& S, bool bLastitem) {
    QString result;
    if (xPOS < 1) {
        xPOS = 0;
        return result;
    }
    const int len = int(S.size());
    while (xPOS <= len) {
        const QChar c = at(S, xPOS);
        if (c == u'\n') {
            ++xPOS;
            if (bLastitem) break;
            if (!result.isEmpty()) result += u'>';
        } else if (c == u'\t') {
            ++xPOS;
            break;
        } else {
            result += c;
            ++xPOS;
        }
    }
    if (xPOS > len) xPOS = 0;
    return result;
}

QString getNextWord2(int& xPOS, const QString& S) {
    QString result;
    const int len = int(S.size());
    if (xPOS < 1 || xPOS > len) {
        xPOS = 0;
        return result;
    }
    while (xPOS <= len && at(S, xPOS) == u' ') ++xPOS;
    if (xPOS > len) {
        xPOS = 0;
        return result;
    }
    while (xPOS <= len && at(S, xPOS) != u' ') result += at(S, xPOS++);
    return result;
}
