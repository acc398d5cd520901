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
//
// Lines the program does not understand are kept as they are: comments (";"),
// lines without "=", blank lines and anything before the first section take no part
// in look-ups and survive every write byte for byte, as do the line ends (the files
// come from Windows, so lines the program adds end in CRLF unless the file already
// uses bare LF). A file that starts with a UTF-8 byte-order mark was saved by an
// editor as UTF-8 and is read and written as UTF-8, mark kept.

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
    // Decimal, or hexadecimal with "$" or "0x"; anything else, or a value outside
    // the 32-bit range, counts as missing.
    int readInteger(const QString& section, const QString& key, int defaultValue) const;
    // Non-zero integer is true, 0 false; a value that is not an integer counts as missing.
    bool readBool(const QString& section, const QString& key, bool defaultValue) const;
    // The section's pairs in file order, duplicate keys included.
    Pairs readSection(const QString& section) const;
    QStringList sections() const;
    bool hasSection(const QString& section) const;
    bool hasKey(const QString& section, const QString& key) const;

    // Writes return false when the file could not be written; nothing is half-written.
    // A line break inside a value would end the line early and turn the rest into
    // a line of its own, so line breaks are written as spaces. Section and key names
    // that cannot be stored (empty, holding a line break, a key holding "=", a
    // section holding "]") make the write fail without touching the file.
    bool writeString(const QString& section, const QString& key, const QString& value);
    // Several keys of one section in one write, each as writeString would put it;
    // a crash leaves either the old values or all the new ones.
    bool writeStrings(const QString& section, const Pairs& values);
    bool writeInteger(const QString& section, const QString& key, int value);
    bool writeBool(const QString& section, const QString& key, bool value);
    // Deleting what is not there succeeds and leaves the file alone.
    bool deleteKey(const QString& section, const QString& key);
    bool eraseSection(const QString& section);
    // Replaces the section's pairs in one write: the new pairs take the old ones'
    // lines in order, more follow the last of them, fewer drop the rest; comments
    // and lines without "=" stay as they are (a new section goes to the end of
    // the file).
    bool writeSection(const QString& section, const Pairs& pairs);

  private:
    QString path_;
};
