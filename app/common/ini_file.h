#pragma once
// The settings file, with the semantics of the Windows private-profile functions
// that stored files and users rely on:
// - section and key names compare without regard to case; the first match wins;
// - a missing file, section or key gives the default;
// - values read lose surrounding blanks and one pair of enclosing quotes;
// - writing a key replaces its value in place; a new key goes to the end of its
//   section, a new section to the end of the file;
// - the file is CP950 text; every operation opens and closes it, and every write
//   replaces the file atomically (temporary file + rename).

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

class IniFile {
public:
    using Pairs = QList<QPair<QString, QString>>;

    explicit IniFile(QString path);
    const QString& path() const { return path_; }

    QString readString(const QString& section, const QString& key,
                       const QString& defaultValue) const;
    int readInteger(const QString& section, const QString& key, int defaultValue) const;
    // Non-zero integer is true, 0 false; a value that is not an integer counts as missing.
    bool readBool(const QString& section, const QString& key, bool defaultValue) const;
    // The section's pairs in file order, duplicate keys included.
    Pairs readSection(const QString& section) const;
    QStringList sections() const;

    // Writes return false when the file could not be written; nothing is half-written.
    bool writeString(const QString& section, const QString& key, const QString& value);
    bool writeInteger(const QString& section, const QString& key, int value);
    bool writeBool(const QString& section, const QString& key, bool value);
    bool deleteKey(const QString& section, const QString& key);
    bool eraseSection(const QString& section);
    // Replaces the whole section's content in one write.
    bool writeSection(const QString& section, const Pairs& pairs);

private:
    QString path_;
};
