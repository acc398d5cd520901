// The settings-file reader over arbitrary file contents, and a write that must keep
// every line it does not touch.
#include "common/ini_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "fuzz_input.h"

namespace {
// One folder for the whole run; each input overwrites the one file in it.
const QString& folder() {
    static QTemporaryDir dir(fuzz::scratchFolder() + QStringLiteral("/tolvane-fuzz-ini-XXXXXX"));
    static const QString path = dir.path();
    return path;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString path = folder() + QStringLiteral("/tolvane.ini");
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        f.write(fuzz::bytes(data, size));
    }
    IniFile ini(path);
    const QStringList sections = ini.sections();
    for (const QString& s : sections) {
        const IniFile::Pairs pairs = ini.readSection(s);
        for (const auto& [key, value] : pairs) {
            (void)ini.readString(s, key, QString());
            (void)ini.readInteger(s, key, -7);
            (void)ini.readBool(s, key, false);
            if (!ini.hasKey(s, key)) __builtin_trap();
        }
    }
    (void)ini.readString(QStringLiteral("system"), QStringLiteral("讀卡機連接埠"), QString());

    // A written value reads back as written, and the other sections keep their pairs.
    const QString section = sections.isEmpty() ? QStringLiteral("system") : sections.first();
    const QString value = QStringLiteral("值 1");
    const auto before = sections.size() > 1 ? ini.readSection(sections.last()) : IniFile::Pairs{};
    if (ini.writeString(section, QStringLiteral("fuzzKey"), value)) {
        if (ini.readString(section, QStringLiteral("fuzzKey"), QString()) != value)
            __builtin_trap();
        if (sections.size() > 1 && sections.last().compare(section, Qt::CaseInsensitive) != 0 &&
            ini.readSection(sections.last()) != before)
            __builtin_trap();
    }
    return 0;
}
