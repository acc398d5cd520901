#include "report/duplicate_check_setting.h"

#include "common/ini_file.h"

namespace report {

namespace {
const QString kSection = QStringLiteral("ICcardShow");
const QString kKey = QStringLiteral("本區重複用藥檢查");
}  // namespace

bool readLocalDuplicateCheck(const IniFile& ini) {
    return ini.readString(kSection, kKey, QStringLiteral("N")).compare(u"Y", Qt::CaseInsensitive) ==
           0;
}

bool writeLocalDuplicateCheck(IniFile& ini, bool on) {
    return ini.writeString(kSection, kKey, on ? QStringLiteral("Y") : QStringLiteral("N"));
}

int readEarlyRefillDays(IniFile& ini) {
    static const QString key = QStringLiteral("提早領藥天數");
    const QString stored = ini.readString(kSection, key, QString()).trimmed();
    if (stored.isEmpty()) ini.writeString(kSection, key, QStringLiteral("10"));
    bool ok = false;
    const int days = stored.toInt(&ok);
    return ok && days >= 0 && days <= 30 ? days : 10;
}

}  // namespace report
