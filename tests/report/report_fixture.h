#pragma once
// The record texts and institution list of tests/report/fixtures, and a settings
// file in a folder of its own.

#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include "common/ini_file.h"
#include "qstring_printer.h"

inline QString reportFixture(const char* name) {
    QFile f(QStringLiteral(REPORT_FIXTURES "/") + QLatin1String(name));
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll());
}

struct ReportFolder {
    QTemporaryDir dir;
    QString appPath() const { return dir.path() + u'/'; }
    QString iniPath() const { return dir.filePath(QStringLiteral("tolvane.ini")); }
    IniFile ini() const { return IniFile(iniPath()); }
    // The text saved by an editor as UTF-8 (with its mark), as a clinic edits it.
    void writeIni(const char* text) const {
        QFile f(iniPath());
        if (!f.open(QIODevice::WriteOnly)) return;
        f.write("\xEF\xBB\xBF");
        f.write(text);
    }
    void copyHospitalList() const {
        QFile::copy(QStringLiteral(REPORT_FIXTURES "/hospbsc.txt"), dir.filePath("hospbsc.txt"));
    }
};
