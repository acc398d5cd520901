#include "report/report_texts.h"

#include <QDir>

#include "card/code_tables.h"
#include "report/filter_rules.h"

namespace report {

namespace {
const QString kSeparator = QStringLiteral(" : ");
const QString kSourceCaption = QStringLiteral("來源");
const QString kCodeTitle = QStringLiteral("醫事機構代碼");
}  // namespace

QStringList wrapAtSpaces(const QString& text, int width) {
    QStringList lines;
    QString line;
    for (const QString& word : text.split(u' ', Qt::SkipEmptyParts)) {
        if (line.isEmpty()) {
            line = word;
        } else if (line.size() + 1 + word.size() <= width) {
            line += u' ' + word;
        } else {
            lines.append(line);
            line = word;
        }
    }
    if (!line.isEmpty()) lines.append(line);
    return lines;
}

QStringList rowValueItems(const QStringList& captions, const QStringList& cells) {
    QStringList items;
    if (captions.isEmpty()) return items;
    items.append(captions.at(0) + kSeparator + cells.value(0).trimmed());
    for (int k = 1; k < captions.size(); ++k) {
        const QString value = cells.value(k).trimmed();
        if (value.isEmpty()) continue;
        const QString head = captions.at(k) + kSeparator;
        if (value.size() <= kMenuWrapWidth) {
            items.append(head + value);
            continue;
        }
        const QStringList lines = wrapAtSpaces(value);
        const QString indent(head.size(), u' ');
        for (int i = 0; i < lines.size(); ++i) items.append((i == 0 ? head : indent) + lines.at(i));
    }
    return items;
}

ReportMenu institutionItems(const QString& sourceValue, const QString& appPath) {
    ReportMenu menu;
    const QString code = sourceValue.trimmed().right(10);
    // Without a code any line would do; there is nothing to look up.
    if (code.isEmpty()) return menu;
    const QString file = appPath + QLatin1String(kHospitalListFile);
    const QStringList lines = splitTextLines(LoadTxtFile(file));
    const QStringList header = lines.isEmpty() ? QStringList() : parseRuleList(lines.first());
    // The code's field must be named exactly: a title with a stray space would pass
    // a looser check and then match no line.
    const int codeField = static_cast<int>(header.indexOf(kCodeTitle));
    if (lines.size() < 10 || codeField < 0) {
        menu.kind = ReportMenu::Error;
        menu.error = QStringLiteral("檔案缺損 ") + QDir::toNativeSeparators(file);
        return menu;
    }
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringList entry = parseRuleList(lines.at(i));
        if (entry.value(codeField) != code) continue;
        const qsizetype n = std::min(header.size(), entry.size());
        for (qsizetype f = 0; f < n; ++f)
            menu.items.append(header.at(f) + kSeparator + entry.at(f));
        break;
    }
    if (!menu.items.isEmpty()) menu.kind = ReportMenu::Items;
    return menu;
}

ReportMenu contextMenuFor(const QStringList& captions, const QStringList& cells, int column,
                          const QString& appPath) {
    const int source = static_cast<int>(captions.indexOf(kSourceCaption));
    if (source <= 0) return {};
    if (column >= 0 && column <= source) return institutionItems(cells.value(source), appPath);
    ReportMenu menu;
    menu.items = rowValueItems(captions, cells);
    if (!menu.items.isEmpty()) menu.kind = ReportMenu::Items;
    return menu;
}

QString copyText(const QList<QStringList>& rows, const QStringList& captions,
                 const QList<bool>& checked, bool withTags) {
    QStringList lines;
    for (const QStringList& cells : rows) {
        QString line;
        for (int k = 0; k < captions.size(); ++k) {
            if (!checked.value(k)) continue;
            const QString value = cells.value(k);
            if (k > 0) {
                if (value.trimmed().isEmpty()) continue;
                line += u' ';
            }
            line += withTags ? captions.at(k) + QStringLiteral(":(") + value + u')' : value;
        }
        if (line.startsWith(u' ')) line.remove(0, 1);
        if (!line.isEmpty()) lines.append(line);
    }
    return lines.join(QStringLiteral("\r\n"));
}

}  // namespace report
