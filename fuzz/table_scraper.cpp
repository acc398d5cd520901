// The table scraper over arbitrary page text: the rows of a page, its pager line and
// the next button's table number in the table HTML. Cells may hold any text, their
// own column's markers included: read back, every row still has one element per
// column, in the header's order.
#include <QStringList>

#include "cloud/edge_scrape.h"
#include "common/record_text.h"
#include "cloud/edge_table.h"
#include "fuzz_input.h"

namespace {

// Column captions the record text can carry at all: a caption with markup or
// blanks in it, or the row's own name, is not one the site has.
bool plainCaption(const QString& name) {
    if (name.isEmpty() || name.compare(QLatin1String("D"), Qt::CaseInsensitive) == 0) return false;
    for (QChar c : name)
        if (c.unicode() <= 0x20 || c == u'<' || c == u'>' || c == u'/' || c == u'=') return false;
    return true;
}

void checkRowsReadBack(const QString& page, const QString& rows) {
    const qsizetype lf = page.indexOf(u'\n');
    if (lf <= 0) return;
    const QStringList names = page.left(lf).split(u'\t');
    for (const QString& n : names)
        if (!plainCaption(n)) return;
    int pos = 1;
    QStringList children;
    while ((pos = getXMLitem(rows, pos, QStringLiteral("D"), children)) != 0) {
        if (children.size() != names.size()) __builtin_trap();
        for (qsizetype i = 0; i < names.size(); ++i)
            if (!children.at(i).startsWith(names.at(i) + u'=')) __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString page = fuzz::utf8(data, size);

    QString rows;
    EdgeTableReader::takeRows(page, rows);
    // Whatever the page held, the rows are whole records.
    if (rows.count(QStringLiteral("<D>")) != rows.count(QStringLiteral("</D>"))) __builtin_trap();
    checkRowsReadBack(page, rows);

    const EdgePager pager = EdgeTableReader::readPager(page);
    if (pager.complete && !pager.throughY) __builtin_trap();

    bool hasNext = false;
    (void)EdgeTableReader::nextButtonTableNumber(page, &hasNext);
    for (const QString& word : page.split(QLatin1Char(' ')))
        if (EdgeTableReader::pagerNumber(word) < -1) __builtin_trap();
    return 0;
}
