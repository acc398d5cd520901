#include "report/filter_rules.h"

#include "common/ascii_text.h"

namespace report {

QStringList parseRuleList(const QString& text) {
    QString s = text;
    s.remove(QLatin1Char('\r'));
    s.remove(QLatin1Char('\n'));
    QStringList items;
    if (s.isEmpty()) return items;
    const qsizetype n = s.size();
    qsizetype i = 0;
    for (;;) {
        QString item;
        if (i < n && s.at(i) == u'"') {
            ++i;
            while (i < n) {
                if (s.at(i) == u'"') {
                    if (i + 1 < n && s.at(i + 1) == u'"') {
                        item += u'"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                item += s.at(i++);
            }
        }
        // Plain text, or what follows a closing quote, up to the next comma.
        const qsizetype comma = s.indexOf(u',', i);
        const qsizetype end = comma < 0 ? n : comma;
        item += s.mid(i, end - i);
        items.append(item);
        if (comma < 0) break;
        i = comma + 1;
    }
    return items;
}

QStringList ruleListFromStored(const QString& stored) {
    QString s = stored;
    s.remove(QStringLiteral("||"));
    return parseRuleList(s);
}

QString memoTextFromStored(const QString& stored) {
    QString s = stored;
    return s.replace(QStringLiteral("||"), QStringLiteral("\n"));
}

QString storedFromMemoText(const QString& memoText) {
    QString s = memoText;
    s.replace(QStringLiteral("\r\n"), QStringLiteral("||"));
    s.replace(QLatin1Char('\r'), QStringLiteral("||"));
    s.replace(QLatin1Char('\n'), QStringLiteral("||"));
    if (s.isEmpty()) return s;
    const QChar first = s.front();
    const QChar last = s.back();
    const bool quoted = s.size() >= 2 && first == last && (first == u'"' || first == u'\'');
    if (isBlankOrControl(first) || isBlankOrControl(last) || quoted) return u'"' + s + u'"';
    return s;
}

QString foldAZ(const QString& text) {
    QString out = text;
    for (QChar& c : out)
        if (c >= u'a' && c <= u'z') c = QChar(c.unicode() - 32);
    return out;
}

namespace {

bool containsAny(const QString& text, const QStringList& items) {
    const QString folded = foldAZ(text);
    for (const QString& item : items) {
        if (item.trimmed().isEmpty()) continue;
        if (folded.contains(foldAZ(item))) return true;
    }
    return false;
}

// The part after the last dot, upper-cased; without a dot the text as it is.
QString diagnosisText(const QString& value) {
    const qsizetype dot = value.lastIndexOf(u'.');
    return dot < 0 ? value : foldAZ(value.mid(dot + 1));
}

bool diagnosisMatches(const QString& diagnosis, const QStringList& rules) {
    for (const QString& raw : rules) {
        const QString rule = raw.trimmed();
        if (rule.isEmpty()) continue;
        const qsizetype dash = rule.indexOf(u'-');
        if (dash < 0) {
            if (foldAZ(diagnosis).startsWith(foldAZ(rule))) return true;
            continue;
        }
        const QString low = foldAZ(rule.left(dash));
        const QString high = foldAZ(rule.mid(dash + 1));
        if (diagnosis.left(low.size()).compare(low) >= 0 &&
            diagnosis.left(high.size()).compare(high) <= 0)
            return true;
    }
    return false;
}

}  // namespace

bool checkColudSelect(Kind kind, const CloudRow& row, const FilterRules& rules,
                      const QString& sHospitalCode) {
    // Sub-values 0, 1 and 3 are "來源", "主診斷" and (drugs) "ATC3名稱".
    const QString source = row.cell(1);
    if (kind == Kind::Drug && !sHospitalCode.isEmpty() && source.contains(sHospitalCode))
        return false;
    if (containsAny(source, rules.NameRuleList)) return true;
    if (diagnosisMatches(diagnosisText(row.cell(2)), rules.ICD10RuleList)) return true;
    if (kind == Kind::Drug && containsAny(row.cell(4), rules.ATC3RuleList)) return true;
    return false;
}

}  // namespace report
