#include "card/control_software.h"

QString ControlSoftware::missingEntryMessage(const char* exportName) {
    return QStringLiteral("cshis.dll缺少函式%1,無法執行此作業")
        .arg(QString::fromLatin1(exportName ? exportName : ""));
}
