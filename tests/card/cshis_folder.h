#pragma once
// A program folder of its own for each test: a fresh copy of the stand-in control software
// (so every test starts with a fresh simulated reader), a fixture and the state file.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class CshisFolder {
  public:
    explicit CshisFolder(const QByteArray& fixtureJson = {}, const char* library = CSHIS_LIBRARY) {
        QFile::copy(QString::fromUtf8(library), libraryPath());
        if (!fixtureJson.isEmpty()) writeFile("sim-cards.json", fixtureJson);
    }

    QString path() const { return dir.path(); }
    QString libraryPath() const { return dir.filePath(QStringLiteral("libcshis.so")); }

    void writeFile(const char* name, const QByteArray& content) {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(content);
    }
    void insert(const QByteArray& key) { writeFile("sim-card.txt", key + '\n'); }

    // The stand-in's test controls, on the handle the program loaded (same file, same
    // handle). Call after the program has loaded the library.
    bool openControls() {
        controls.setFileName(libraryPath());
        if (!controls.load()) return false;
        force_ =
            reinterpret_cast<void (*)(const char*, const char*)>(controls.resolve("simcshisForce"));
        count_ = reinterpret_cast<int (*)(const char*)>(controls.resolve("simcshisCallCount"));
        log_ = reinterpret_cast<int (*)(char*, int)>(controls.resolve("simcshisCallLog"));
        setDir_ = reinterpret_cast<void (*)(const char*)>(controls.resolve("simcshisSetDir"));
        reset_ = reinterpret_cast<void (*)()>(controls.resolve("simcshisReset"));
        return force_ && count_ && log_ && setDir_ && reset_;
    }
    void force(const char* entry, const char* codes) { force_(entry, codes); }
    int calls(const char* entry) const { return count_(entry); }
    void setDir(const char* d) { setDir_(d); }
    void reset() { reset_(); }
    QStringList callLog() const {
        QByteArray b(log_(nullptr, 0) + 1, '\0');
        log_(b.data(), static_cast<int>(b.size()));
        return QString::fromUtf8(b.constData()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    QTemporaryDir dir;

  private:
    QLibrary controls;
    void (*force_)(const char*, const char*) = nullptr;
    int (*count_)(const char*) = nullptr;
    int (*log_)(char*, int) = nullptr;
    void (*setDir_)(const char*) = nullptr;
    void (*reset_)() = nullptr;
};
