// The table scraper over arbitrary page text: the rows of a page, its pager line and
// the next button's table number in the table HTML.
#include <QStringList>

#include "cloud/edge_table.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString page = fuzz::utf8(data, size);

    QString rows;
    EdgeTableReader::takeRows(page, rows);
    // Whatever the page held, the rows are whole records.
    if (rows.count(QStringLiteral("<D>")) != rows.count(QStringLiteral("</D>"))) __builtin_trap();

    const EdgePager pager = EdgeTableReader::readPager(page);
    if (pager.complete && !pager.throughY) __builtin_trap();

    bool hasNext = false;
    (void)EdgeTableReader::nextButtonTableNumber(page, &hasNext);
    for (const QString& word : page.split(QLatin1Char(' ')))
        if (EdgeTableReader::pagerNumber(word) < -1) __builtin_trap();
    return 0;
}
