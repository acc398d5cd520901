// The record-text walk: element reading (getXMLitem, findParePos), the table-text
// scanners, and the report's parse of both record texts, over arbitrary text.
//
// Input: a tag name on the first line, then the text.
#include <QStringList>

#include "cloud/edge_scrape.h"
#include "common/record_text.h"
#include "fuzz_input.h"
#include "report/cloud_tables.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString all = fuzz::utf8(data, size);
    const qsizetype eol = all.indexOf(QLatin1Char('\n'));
    const QString tag = eol < 0 ? QStringLiteral("D") : all.left(eol);
    const QString text = eol < 0 ? all : all.mid(eol + 1);
    const int len = int(text.size());

    // Each walk must move forward or end; a walk that does not is a hang.
    for (const QString& t : {QStringLiteral("D"), tag}) {
        QStringList items;
        int pos = 1;
        while (pos > 0) {
            const int next = getXMLitem(text, pos, t, items);
            if (next != 0 && next <= pos) __builtin_trap();
            pos = next;
        }
    }

    const int end = findParePos(tag, text, 1);
    if (end < 0 || end > len) __builtin_trap();

    for (bool last : {false, true}) {
        int pos = 1;
        while (pos > 0) {
            const int before = pos;
            getNextWord(pos, text, last);
            if (pos != 0 && pos <= before) __builtin_trap();
        }
    }
    int pos = 1;
    while (pos > 0) {
        const int before = pos;
        getNextWord2(pos, text);
        if (pos != 0 && pos <= before) __builtin_trap();
    }

    (void)report::buildSourceTables(text, text);
    return 0;
}
