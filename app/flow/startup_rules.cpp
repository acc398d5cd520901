#include "startup_rules.h"

#include <QCoreApplication>
#include <QFileInfo>

#include "common/version.h"

namespace startup {

bool isSupportedVersion(std::int32_t xHISversion) {
    const std::int32_t thousands = xHISversion / 1000;
    return thousands == 3 || thousands == 5;
}

QString windowCaption(const QString& programVersion, std::int32_t xHISversion) {
    return QStringLiteral("Vorrel雲端讀取     版本 ") + programVersion +
           QStringLiteral("   讀卡機連結版本:") + QString::number(xHISversion);
}

QString fourPartVersion(const QString& version) {
    const QStringList parts = version.split(QLatin1Char('.'));
    if (parts.size() != 4) return {};
    QStringList out;
    for (const QString& p : parts) {
        bool ok = false;
        const int n = p.toInt(&ok);
        if (!ok || n < 0 || n > 0xFFFF) return {};
        out.append(QString::number(n));
    }
    return out.join(QLatin1Char('.'));
}

QString GetFileVersion(const QString& path) {
    bool own = path.isEmpty();
    if (!own && QCoreApplication::instance() != nullptr) {
        const QFileInfo self(QCoreApplication::applicationFilePath());
        const QFileInfo asked(path);
        own = asked.exists() && asked.canonicalFilePath() == self.canonicalFilePath();
    }
    return own ? fourPartVersion(QStringLiteral(TOLVANE_VERSION)) : QString();
}

int visitGridColumnWidth(int gridWidth) { return (gridWidth - 80) / 7 - 1; }

const QStringList& visitGridRowTitles() {
    static const QStringList titles = {
        "看診日期", "院所",         "就醫類別", "主診斷",     "次診斷",   "處方",
        "門診費用", "門診部分負擔", "補卡註記", "新生兒註記", "就醫序號", "住院費用",
    };
    return titles;
}

const QList<QPair<int, int>>& visitGridRowHeights() {
    static const QList<QPair<int, int>> heights = {{1, 36}, {3, 54}, {4, 64}, {5, 338}};
    return heights;
}

}  // namespace startup
