// The CP950 decoder and the card-buffer text helpers over arbitrary bytes.
#include "common/card_text.h"
#include "common/codepage.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray in = fuzz::bytes(data, size);
    const QString text = fromAnsi(in);
    // Every byte gives at most one character.
    if (text.size() > in.size()) __builtin_trap();

    // A character the code page cannot hold becomes one "?", and no character takes
    // more than two bytes.
    if (toAnsi(text).size() > 2 * text.size()) __builtin_trap();
    for (int max : {0, 1, 2, 7, int(size)}) {
        const QByteArray cut = toAnsiCut(text, max);
        if (cut.size() > max || fromAnsi(cut).size() > text.size()) __builtin_trap();
    }

    (void)GetFromBuffer(in);
    (void)GetAnsiFromBuffer(in);
    const qsizetype n = in.size();
    for (qsizetype start : {qsizetype(-1), qsizetype(0), n / 2, n, n + 1})
        for (qsizetype count : {qsizetype(-1), qsizetype(0), qsizetype(3), n + 2})
            (void)BytesToString(in, start, count);
    return 0;
}
