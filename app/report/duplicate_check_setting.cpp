#include "report/duplicate_check_setting.h"

#include "common/ini_file.h"

namespace cloud {

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

}  // namespace cloud
