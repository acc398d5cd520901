#pragma once
// The three filter-rule lists of the cloud report and the row test behind
// "顯示選取". The lists are typed by the doctor on the rule panel and kept in
// section "ICcardShow"; line breaks of the panel's memos are stored as "||".

#include <QString>
#include <QStringList>

#include "report/cloud_tables.h"

namespace report {

inline const QString kRuleSection = QStringLiteral("ICcardShow");
inline const QString kNameRuleKey = QStringLiteral("名稱含字");
inline const QString kICD10RuleKey = QStringLiteral("診斷範圍");
inline const QString kATC3RuleKey = QStringLiteral("ATC3含字");

struct FilterRules {
    QStringList NameRuleList;
    QStringList ICD10RuleList;
    QStringList ATC3RuleList;
};

// Splits at every comma; nothing is trimmed, a trailing comma gives an empty last
// item. A piece that begins with a double quote runs to its closing quote (an
// unclosed one to the end), both quotes removed, a doubled quote inside standing
// for one. Line breaks are removed first, so lines typed without a comma join.
// Empty text gives an empty list.
QStringList parseRuleList(const QString& text);

// A stored value into a rule list: every "||" removed, then parsed as above.
QStringList ruleListFromStored(const QString& stored);
// A stored value into the memo's text: every "||" is a line break.
QString memoTextFromStored(const QString& stored);
// The memo's text into the value to store: CR LF, LF or CR each become "||".
// The settings store trims blanks and drops one pair of enclosing quotes on
// reading, so a value that would lose either is written inside quotes.
QString storedFromMemoText(const QString& memoText);

// Letters A to Z folded to upper case; every other character stays, as the
// rules and the sort compare them.
QString foldAZ(const QString& text);

// Whether a source row of `kind` passes the rules (checkColudSelect). For drug
// rows the clinic's own code in "來源" excludes the row first, and the ATC3
// rules apply; laboratory rows have neither.
bool checkColudSelect(Kind kind, const CloudRow& row, const FilterRules& rules,
                      const QString& sHospitalCode);

}  // namespace report
