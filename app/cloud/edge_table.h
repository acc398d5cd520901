#pragma once
// Reads the open tab's paged record table ("#TableDiv") into record text:
// rows "<D>" ... "</D>" of cells named by the table's column captions.

#include <QString>
#include <cstdint>

class BrowserDriver;
class Prompts;

enum class EdgeTableKind { Drug, Lab };

// What the pager line "Showing X to Y of Z" says. The words are read in order and
// a failure is noted where it happens, because a page that did not move is judged
// on Y before the rest is looked at.
struct EdgePager {
    bool present = false;   // the text holds "Showing"
    bool throughY = false;  // X, "to" and Y were read
    bool complete = false;  // "of" and Z as well
    int x = -1, y = -1, z = -1;
};

class EdgeTableReader {
  public:
    // Upper bound on the pages of one table, so a site that never stops paging
    // cannot keep a read going for ever.
    static constexpr int kMaxPages = 1000;
    static constexpr std::uint32_t kPageWaitMs = 5000;
    static constexpr std::uint32_t kLabPauseMs = 500;
    // With the fast pacing, a first page that does not look finished is taken no
    // sooner than this after the page wait began: the pause before a table read.
    static constexpr std::uint32_t kSettleMs = 500;

    // A tab without records has no table, only this text.
    static inline const QString kNoData = QStringLiteral("個案查無資料");
    // Neither script throws while the table is missing: the text one gives kNoData
    // when the page says so, otherwise both give empty text.
    static inline const QString kTableText = QStringLiteral(
        "encodeURI((document.querySelector(\"#TableDiv\") || {}).innerText || "
        "(document.body && document.body.innerText.indexOf(\"個案查無資料\") >= 0 ? "
        "\"個案查無資料\" : \"\"))");
    static inline const QString kTableHtml = QStringLiteral(
        "encodeURI((document.querySelector(\"#TableDiv\") || {}).outerHTML || \"\")");
    static inline const QString kLabErrorFile = QStringLiteral("檢查與檢驗error.txt");

    // errorFileFolder: where the laboratory paging-error file goes.
    EdgeTableReader(BrowserDriver& driver, Prompts& prompts, QString errorFileFolder);

    // Appends the open tab's table to target, page by page; failures are shown.
    void readEdgeTable(EdgeTableKind kind, QString& target);

    static QString countMessage(EdgeTableKind kind);
    static QString pagingErrorMessage(EdgeTableKind kind);
    static QString nextClickScript(const QString& tableNumber);

    // The rows of one page text, appended to target. False when the text is not a
    // table page: no header line, or the header not repeated before the rows.
    static bool takeRows(const QString& pageText, QString& target);
    static EdgePager readPager(const QString& pageText);
    // The table number after the next button's class in the table HTML; empty
    // when there is no next button or no number.
    static QString nextButtonTableNumber(const QString& tableHtml, bool* hasNextButton);
    // A pager number: digits, with a thousands separator between digits dropped;
    // -1 for anything else.
    static int pagerNumber(const QString& word);

  private:
    // Whether the text read is the page to take now: after a click the next page,
    // else the open tab's first page.
    bool pageShown(const QString& pageText, bool afterClick, int highestY,
                   std::uint32_t waitedMs) const;
    void writeLabErrorFile(const QString& pageText) const;

    BrowserDriver& driver_;
    Prompts& prompts_;
    QString errorFileFolder_;
    QString lastPageText_;  // the last page text read, of this table or the one before
};
