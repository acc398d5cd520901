// The institution list "hospbsc.txt" over arbitrary file contents, through both
// readers: the table built at start and the page look-up that keeps the list parsed.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "card/code_tables.h"
#include "fuzz_input.h"

namespace {
const QString& folder() {
    static QTemporaryDir dir(fuzz::scratchFolder() + QStringLiteral("/tolvane-fuzz-hosp-XXXXXX"));
    static const QString path = dir.path();
    return path;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        QFile f(folder() + QLatin1Char('/') + QLatin1String(kHospitalListFile));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        f.write(fuzz::bytes(data, size));
    }
    const QString text =
        LoadTxtFile(folder() + QLatin1Char('/') + QLatin1String(kHospitalListFile));
    const QStringList lines = splitTextLines(text);

    CHospitalSet set;
    set.CreateHospitalSet(folder());
    HospitalNames names(folder());
    // Codes from the list itself, so look-ups hit rows as well as miss them.
    for (qsizetype i = 0; i < lines.size() && i < 16; ++i) {
        for (int field = -1; field < 4; ++field) {
            const QString code = getStrOfStringArray(field, lines.at(i), QLatin1Char(','));
            (void)set.HosCodeToName(code);
            (void)names.getHospitalName(code);
        }
    }
    (void)getStrOfStringArray(1 << 30, text, QLatin1Char(','));
    return 0;
}
