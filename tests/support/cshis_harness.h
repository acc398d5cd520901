#pragma once
// The in-process control software with a scene file of our own in a temporary folder,
// loaded, and with the "patient" card inserted.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "fake_control_software.h"

class CshisHarness {
  public:
    CshisHarness() {
        QFile::copy(QStringLiteral(CARD_FIXTURE_DIR "/card_scenes.json"),
                    dir.filePath(QStringLiteral("sim-cards.json")));
        insert(QStringLiteral("patient"));
        ok = cs.LoadLibraryCshis();
    }

    // Puts the scene's card into the simulated reader.
    void insert(const QString& key) {
        QFile f(dir.filePath(QStringLiteral("sim-card.txt")));
        if (f.open(QIODevice::WriteOnly)) f.write(key.toUtf8() + '\n');
    }
    void force(const char* entry, const char* codes) {
        cs.sim().force(QString::fromLatin1(entry), QString::fromLatin1(codes));
    }
    // Another card in the reader just before the `call`-th call of `entry` from now.
    void swapCardAt(const char* entry, int call, const char* key) {
        cs.sim().swapCardAt(QString::fromLatin1(entry), call, QString::fromLatin1(key));
    }
    int calls(const char* entry) const { return cs.sim().callCount(QString::fromLatin1(entry)); }
    int allCalls() const { return cs.sim().callCount({}); }
    QStringList callLog() const { return cs.sim().callLog(); }
    void resetCalls() { cs.sim().reset(); }

    QTemporaryDir dir;
    FakeControlSoftware cs{dir.path()};
    bool ok = false;
};
