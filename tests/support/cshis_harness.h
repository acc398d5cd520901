#pragma once
// The stand-in control software of the demo folder, loaded the way the program loads
// it, with its test controls and a scene file of our own in a temporary folder.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

#include "card/control_software.h"

class CshisHarness {
  public:
    CshisHarness() : cs(QStringLiteral(TOLVANE_DEMO_DIR)) {
        QFile::copy(QStringLiteral(CARD_FIXTURE_DIR "/card_scenes.json"),
                    dir.filePath(QStringLiteral("sim-cards.json")));
        insert(QStringLiteral("patient"));
        ok = cs.LoadLibraryCshis();
        // The same file gives the same handle: the controls act on the loaded library.
        controls.setFileName(QStringLiteral(TOLVANE_DEMO_DIR "/libcshis.so"));
        if (ok && controls.load()) {
            reset_ = reinterpret_cast<void (*)()>(controls.resolve("simcshisReset"));
            setDir_ = reinterpret_cast<void (*)(const char*)>(controls.resolve("simcshisSetDir"));
            force_ = reinterpret_cast<void (*)(const char*, const char*)>(
                controls.resolve("simcshisForce"));
            count_ = reinterpret_cast<int (*)(const char*)>(controls.resolve("simcshisCallCount"));
            log_ = reinterpret_cast<int (*)(char*, int)>(controls.resolve("simcshisCallLog"));
        }
        ok = ok && reset_ && setDir_ && force_ && count_ && log_;
        if (ok) {
            reset_();
            setDir_(QFile::encodeName(dir.path()).constData());
        }
    }
    ~CshisHarness() {
        if (ok) {
            reset_();
            setDir_(nullptr);
        }
    }

    // Puts the scene's card into the simulated reader.
    void insert(const QString& key) {
        QFile f(dir.filePath(QStringLiteral("sim-card.txt")));
        if (f.open(QIODevice::WriteOnly)) f.write(key.toUtf8() + '\n');
    }
    void force(const char* entry, const char* codes) { force_(entry, codes); }
    int calls(const char* entry) const { return count_(entry); }
    int allCalls() const { return count_(nullptr); }
    QStringList callLog() const {
        QByteArray b(log_(nullptr, 0) + 1, '\0');
        log_(b.data(), int(b.size()));
        return QString::fromUtf8(b.constData()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    void resetCalls() { reset_(); }

    QTemporaryDir dir;
    ControlSoftware cs;
    bool ok = false;

  private:
    QLibrary controls;
    void (*reset_)() = nullptr;
    void (*setDir_)(const char*) = nullptr;
    void (*force_)(const char*, const char*) = nullptr;
    int (*count_)(const char*) = nullptr;
    int (*log_)(char*, int) = nullptr;
};
