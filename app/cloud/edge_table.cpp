#include "edge_table.h"

#include <QDir>

#include "browser_driver.h"
#include "common/atomic_file.h"
#include "common/clock.h"
#include "common/prompts.h"
#include "common/record_text.h"
#include "edge_scrape.h"

namespace {
const QString kLabMarker = QStringLiteral("檢驗日期");
const QString kNextClass = QStringLiteral("class=paginate_button next");
const QString kTableId = QStringLiteral("DataTables_Table_");
}  // namespace

EdgeTableReader::EdgeTableReader(BrowserDriver& driver, Prompts& prompts, QString errorFileFolder)
    : driver_(driver), prompts_(prompts), errorFileFolder_(std::move(errorFileFolder)) {}

QString EdgeTableReader::countMessage(EdgeTableKind kind) {
    return kind == EdgeTableKind::Drug ? QStringLiteral("查詢[西醫用藥]的項目數次異常")
                                       : QStringLiteral("查詢[檢查與檢驗]的項目數次異常");
}

QString EdgeTableReader::pagingErrorMessage(EdgeTableKind kind) {
    return kind == EdgeTableKind::Drug
               ? QStringLiteral("點擊查詢[西醫用藥]的分頁訊息錯誤")
               : QStringLiteral(
                     "點擊查詢[檢查與檢驗]的分頁訊息錯誤,將[檢查與檢驗error.txt]檔回報Tamrix醫師");
}

QString EdgeTableReader::nextClickScript(const QString& tableNumber) {
    return "document.querySelector(\"#DataTables_Table_" + tableNumber + "_next\").click();";
}

bool EdgeTableReader::takeRows(const QString& pageText, QString& target) {
    const qsizetype lf = pageText.indexOf(u'\n');
    if (lf <= 0) return false;  // no line feed, or an empty header line: no column names
    const QStringList names = pageText.left(lf).split(u'\t');
    const QString& last = names.last();
    // The rows follow the repeated header; without the repeat there is nothing
    // that could be told apart from the header, so the page gives no rows.
    const qsizetype again = pageText.indexOf(last, lf + 1);
    if (again < 0) return false;
    int p = int(again) + 1 + int(last.size());
    // A caption is an element name in the row: one holding "<" or ">", or starting
    // with "/", would make its own tags into other markers ("/D" opens the cell
    // with the row's end) and cut the row as a cell would.
    QStringList captions = names;
    for (QString& c : captions) {
        c.replace(u'<', u'\uFF1C').replace(u'>', u'\uFF1E');
        if (c.startsWith(u'/')) c[0] = u'\uFF0F';
    }
    const int columns = int(names.size());
    int i = 0;
    QString row;
    while (p != 0) {
        const QString value = getNextWord(p, pageText, i == columns - 1);
        // A cell holding its own column's markers would cut the row and move the
        // values after it into other columns.
        const QString& name = captions.at(i);
        row += "<" + name + ">" + neutraliseCell(value, name) + "</" + name + ">";
        if (++i == columns) {
            target += "<D>" + row + "</D>";
            row.clear();
            i = 0;
        }
    }
    return true;
}

int EdgeTableReader::pagerNumber(const QString& word) {
    QString digits;
    for (qsizetype i = 0; i < word.size(); ++i) {
        const QChar c = word.at(i);
        if (c == u',' && i > 0 && i + 1 < word.size() && word.at(i - 1).isDigit() &&
            word.at(i + 1).isDigit())
            continue;
        if (c < u'0' || c > u'9') return -1;
        digits += c;
    }
    bool ok = false;
    const int n = digits.toInt(&ok);
    return ok ? n : -1;
}

EdgePager EdgeTableReader::readPager(const QString& pageText) {
    EdgePager pg;
    const qsizetype showing = pageText.indexOf(QLatin1String("Showing"));
    if (showing < 0) return pg;
    pg.present = true;
    int p = int(showing) + 1 + 7;
    pg.x = pagerNumber(getNextWord2(p, pageText));
    if (pg.x < 0) return pg;
    if (getNextWord2(p, pageText) != QLatin1String("to")) return pg;
    pg.y = pagerNumber(getNextWord2(p, pageText));
    if (pg.y < 0) return pg;
    pg.throughY = true;
    if (getNextWord2(p, pageText) != QLatin1String("of")) return pg;
    pg.z = pagerNumber(getNextWord2(p, pageText));
    pg.complete = pg.z >= 0;
    return pg;
}

QString EdgeTableReader::nextButtonTableNumber(const QString& tableHtml, bool* hasNextButton) {
    const qsizetype q = tableHtml.indexOf(kNextClass);
    if (hasNextButton) *hasNextButton = q >= 0;
    if (q < 0) return {};
    const qsizetype id = tableHtml.indexOf(kTableId, q + 25);
    if (id < 0) return {};
    qsizetype r = id + kTableId.size();
    QString n;
    while (r < tableHtml.size() && tableHtml.at(r) >= u'0' && tableHtml.at(r) <= u'9')
        n += tableHtml.at(r++);
    return n;
}

bool EdgeTableReader::pageShown(const QString& pageText, bool afterClick, int highestY,
                                std::uint32_t waitedMs) const {
    if (pageText.isEmpty()) return false;
    // After a click the page script repaints a little later: wait until the pager
    // moves, so the page shown before the click is never read again. (The page
    // before the click had a pager, so a moved or unreadable one is a new text.)
    if (afterClick) {
        const EdgePager now = readPager(pageText);
        return !now.throughY || now.y != highestY;
    }
    if (!driver_.fastWaits()) return true;
    // Without the pause before the table, a first page is taken at once only when
    // it is plainly the new tab's and finished: its no-data text, or a pager with
    // entries that is not the page the previous table ended on. Anything else (no
    // pager yet, "0 to 0", the old table) may be a table still being drawn and is
    // taken no sooner than the pause would have let it be looked at.
    if (waitedMs >= kSettleMs) return true;
    if (pageText.trimmed() == kNoData) return true;
    const EdgePager pg = readPager(pageText);
    return pg.throughY && pg.y > 0 && pageText != lastPageText_;
}

void EdgeTableReader::readEdgeTable(EdgeTableKind kind, QString& target) {
    Clock& clock = driver_.clock();
    int highestY = 0;
    bool pagingError = false;
    bool afterClick = false;
    QString pageText;
    for (int page = 0; page < kMaxPages; ++page) {
        if (kind == EdgeTableKind::Lab) driver_.fixedPause(kLabPauseMs);
        const std::uint32_t mark = clock.tickCount();
        do {
            pageText = driver_.GetEdgeText(kTableText);
            clock.pump();
            if (pageShown(pageText, afterClick, highestY, Clock::elapsed(mark, clock.tickCount())))
                break;
            driver_.pollGap();
        } while (Clock::elapsed(mark, clock.tickCount()) <= kPageWaitMs);
        lastPageText_ = pageText;

        // The open tab says it has no records: an empty table, nothing to wait for.
        if (!afterClick && pageText.trimmed() == kNoData) return;
        const EdgePager pg = readPager(pageText);
        if (pageText.isEmpty() || (afterClick && pg.throughY && pg.y <= highestY)) {
            // No table at all, or the click led nowhere new: never passed off as
            // an empty table, and no rows from a page already taken.
            prompts_.message(countMessage(kind));
            return;
        }
        const bool emptyTable = !afterClick && pg.complete && pg.y == 0 && pg.z == 0;
        if (!emptyTable && (kind == EdgeTableKind::Drug || pageText.contains(kLabMarker)) &&
            !takeRows(pageText, target)) {
            // Rows that cannot be told from the header are not a table that was read.
            pagingError = true;
            break;
        }

        if (!pg.present) return;
        if (!pg.throughY) {
            pagingError = true;
            break;
        }
        if (pg.y <= highestY) {
            if (!emptyTable) prompts_.message(countMessage(kind));
            return;
        }
        highestY = pg.y;
        if (!pg.complete) {
            pagingError = true;
            break;
        }
        if (pg.y >= pg.z) return;
        bool hasNext = false;
        const QString n = nextButtonTableNumber(driver_.GetEdgeText(kTableHtml), &hasNext);
        if (!hasNext) return;
        driver_.runScript(nextClickScript(n));
        afterClick = true;
    }
    if (!pagingError) {
        // Stopped by the page cap: the rest of the table was not read.
        prompts_.message(countMessage(kind));
        return;
    }
    prompts_.message(pagingErrorMessage(kind));
    if (kind == EdgeTableKind::Lab) writeLabErrorFile(pageText);
}

void EdgeTableReader::writeLabErrorFile(const QString& pageText) const {
    QStringList lines = pageText.split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    QString text;
    for (QString line : lines) {
        if (line.endsWith(u'\r')) line.chop(1);
        text += line + "\r\n";
    }
    // Not being able to write it is not reported: it only helps a later diagnosis.
    writeTextFileAtomically(QDir(errorFileFolder_).filePath(kLabErrorFile), text);
}
