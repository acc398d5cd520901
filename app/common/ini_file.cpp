#include "ini_file.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <limits>
#include <optional>
#include <utility>

#include "ascii_text.h"
#include "atomic_file.h"
#include "codepage.h"

namespace {

const QByteArray kUtf8Bom("\xEF\xBB\xBF");

struct Line {
    enum class Kind { Other, Section, Pair };
    QByteArray raw;  // the line as stored, without its line end
    QByteArray eol;  // "\r\n", "\n", or empty for a last line without one
    Kind kind = Kind::Other;
    QString name;   // section name or key
    QString value;  // pairs only: blanks and one pair of quotes removed
    bool blank = false;
};

QString unquote(const QString& v) {
    if (v.size() >= 2 && v.front() == v.back() && (v.front() == u'"' || v.front() == u'\''))
        return v.mid(1, v.size() - 2);
    return v;
}

bool sameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

class Document {
  public:
    enum class State { Missing, Loaded, Unreadable };

    // Every operation reads the file afresh and lets it go at once.
    static Document load(const QString& path) {
        Document doc;
        QFile file(path);
        if (!file.exists()) return doc;
        if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
            doc.state_ = State::Unreadable;
            return doc;
        }
        QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            doc.state_ = State::Unreadable;
            return doc;
        }
        file.close();
        doc.state_ = State::Loaded;
        if (bytes.startsWith(kUtf8Bom)) {
            doc.utf8_ = true;
            bytes.remove(0, kUtf8Bom.size());
        }
        qsizetype pos = 0;
        while (pos < bytes.size()) {
            qsizetype nl = bytes.indexOf('\n', pos);
            Line line;
            if (nl < 0) {
                line.raw = bytes.mid(pos);
                pos = bytes.size();
            } else {
                line.raw = bytes.mid(pos, nl - pos);
                line.eol = "\n";
                pos = nl + 1;
                if (line.raw.endsWith('\r')) {
                    line.raw.chop(1);
                    line.eol = "\r\n";
                }
                if (doc.eol_.isEmpty()) doc.eol_ = line.eol;
            }
            doc.parse(line);
            doc.lines_.append(std::move(line));
        }
        return doc;
    }

    State state() const { return state_; }

    // Index of the first header of `section`, or -1.
    qsizetype findSection(const QString& section) const {
        for (qsizetype i = 0; i < lines_.size(); ++i)
            if (lines_[i].kind == Line::Kind::Section && sameName(lines_[i].name, section))
                return i;
        return -1;
    }

    // One past the last line that belongs to the section opened at `header`.
    qsizetype sectionEnd(qsizetype header) const {
        qsizetype i = header + 1;
        while (i < lines_.size() && lines_[i].kind != Line::Kind::Section) ++i;
        return i;
    }

    // One past the section's last non-blank line: where a new key goes, so the
    // blank lines that part it from the next section stay after it.
    qsizetype contentEnd(qsizetype header) const {
        qsizetype end = sectionEnd(header);
        while (end > header + 1 && lines_[end - 1].blank) --end;
        return end;
    }

    qsizetype findKey(const QString& section, const QString& key) const {
        qsizetype header = findSection(section);
        if (header < 0) return -1;
        for (qsizetype i = header + 1, end = sectionEnd(header); i < end; ++i)
            if (lines_[i].kind == Line::Kind::Pair && sameName(lines_[i].name, key)) return i;
        return -1;
    }

    const Line& line(qsizetype i) const { return lines_[i]; }
    qsizetype size() const { return lines_.size(); }

    Line makeLine(const QString& text) const {
        Line line;
        line.raw = utf8_ ? text.toUtf8() : toAnsi(text);
        line.eol = newLineEnd();
        parse(line);
        return line;
    }

    void insert(qsizetype at, Line line) {
        // A last line without a line end gets one before anything follows it.
        if (at > 0 && at == lines_.size() && lines_[at - 1].eol.isEmpty())
            lines_[at - 1].eol = newLineEnd();
        lines_.insert(at, std::move(line));
    }
    void replace(qsizetype at, Line line) {
        line.eol =
            lines_[at].eol.isEmpty() && at + 1 < lines_.size() ? newLineEnd() : lines_[at].eol;
        lines_[at] = std::move(line);
    }
    void remove(qsizetype from, qsizetype to) { lines_.remove(from, to - from); }

    bool save(const QString& path) const {
        QByteArray bytes;
        if (utf8_) bytes += kUtf8Bom;
        for (const Line& line : lines_) bytes += line.raw + line.eol;
        return writeFileAtomically(path, bytes);
    }

  private:
    QByteArray newLineEnd() const { return eol_.isEmpty() ? QByteArray("\r\n") : eol_; }

    void parse(Line& line) const {
        const QString text = trimControls(utf8_ ? QString::fromUtf8(line.raw) : fromAnsi(line.raw));
        line.blank = text.isEmpty();
        if (line.blank || text.startsWith(u';')) return;
        if (text.startsWith(u'[')) {
            qsizetype close = text.indexOf(u']');
            line.kind = Line::Kind::Section;
            line.name = trimControls(text.mid(1, close < 0 ? -1 : close - 1));
            return;
        }
        qsizetype eq = text.indexOf(u'=');
        if (eq < 0) return;
        line.kind = Line::Kind::Pair;
        line.name = trimControls(text.left(eq));
        line.value = unquote(trimControls(text.mid(eq + 1)));
    }

    State state_ = State::Missing;
    bool utf8_ = false;
    QByteArray eol_;
    QList<Line> lines_;
};

bool hasLineBreak(const QString& s) { return s.contains(u'\r') || s.contains(u'\n'); }

bool validSection(const QString& s) {
    return !trimControls(s).isEmpty() && !hasLineBreak(s) && !s.contains(u']');
}

bool validKey(const QString& k) {
    return !trimControls(k).isEmpty() && !hasLineBreak(k) && !k.contains(u'=') &&
           !trimControls(k).startsWith(u'[') && !trimControls(k).startsWith(u';');
}

QString pairText(const QString& key, QString value) {
    value.replace(QLatin1String("\r\n"), QLatin1String(" "));
    value.replace(u'\r', u' ');
    value.replace(u'\n', u' ');
    return key + u'=' + value;
}

std::optional<int> parseInteger(const QString& text) {
    QString t = text;
    bool negative = false;
    if (t.startsWith(u'-') || t.startsWith(u'+')) {
        negative = t.front() == u'-';
        t.remove(0, 1);
    }
    int base = 10;
    if (t.startsWith(u'$')) {
        base = 16;
        t.remove(0, 1);
    } else if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        base = 16;
        t.remove(0, 2);
    }
    if (t.isEmpty()) return std::nullopt;
    for (QChar c : t) {
        const char16_t u = c.unicode();
        const bool digit = (u >= u'0' && u <= u'9') ||
                           (base == 16 && ((u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F')));
        if (!digit) return std::nullopt;
    }
    bool ok = false;
    qlonglong magnitude = t.toLongLong(&ok, base);
    if (!ok) return std::nullopt;
    qlonglong v = negative ? -magnitude : magnitude;
    if (v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max())
        return std::nullopt;
    return static_cast<int>(v);
}

}  // namespace

IniFile::IniFile(QString path) : path_(std::move(path)) {}

QString IniFile::readString(const QString& section, const QString& key,
                            const QString& defaultValue) const {
    Document doc = Document::load(path_);
    qsizetype at = doc.findKey(section, key);
    return at < 0 ? defaultValue : doc.line(at).value;
}

int IniFile::readInteger(const QString& section, const QString& key, int defaultValue) const {
    Document doc = Document::load(path_);
    qsizetype at = doc.findKey(section, key);
    if (at < 0) return defaultValue;
    return parseInteger(doc.line(at).value).value_or(defaultValue);
}

bool IniFile::readBool(const QString& section, const QString& key, bool defaultValue) const {
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

IniFile::Pairs IniFile::readSection(const QString& section) const {
    Document doc = Document::load(path_);
    Pairs pairs;
    qsizetype header = doc.findSection(section);
    if (header < 0) return pairs;
    for (qsizetype i = header + 1, end = doc.sectionEnd(header); i < end; ++i)
        if (doc.line(i).kind == Line::Kind::Pair)
            pairs.append({doc.line(i).name, doc.line(i).value});
    return pairs;
}

QStringList IniFile::sections() const {
    Document doc = Document::load(path_);
    QStringList names;
    for (qsizetype i = 0; i < doc.size(); ++i) {
        const Line& line = doc.line(i);
        if (line.kind == Line::Kind::Section && !names.contains(line.name, Qt::CaseInsensitive))
            names.append(line.name);
    }
    return names;
}

bool IniFile::hasSection(const QString& section) const {
    return Document::load(path_).findSection(section) >= 0;
}

bool IniFile::hasKey(const QString& section, const QString& key) const {
    return Document::load(path_).findKey(section, key) >= 0;
}

bool IniFile::writeString(const QString& section, const QString& key, const QString& value) {
    return writeStrings(section, {{key, value}});
}

bool IniFile::writeStrings(const QString& section, const Pairs& values) {
    if (!validSection(section)) return false;
    for (const auto& [key, value] : values)
        if (!validKey(key)) return false;
    Document doc = Document::load(path_);
    if (doc.state() == Document::State::Unreadable) return false;  // never overwrite blind
    for (const auto& [key, value] : values) {
        const qsizetype at = doc.findKey(section, key);
        if (at >= 0) {
            // In place, keeping the key as the file spells it.
            doc.replace(at, doc.makeLine(pairText(doc.line(at).name, value)));
        } else if (qsizetype header = doc.findSection(section); header >= 0) {
            doc.insert(doc.contentEnd(header), doc.makeLine(pairText(key, value)));
        } else {
            doc.insert(doc.size(), doc.makeLine(u'[' + section + u']'));
            doc.insert(doc.size(), doc.makeLine(pairText(key, value)));
        }
    }
    return doc.save(path_);
}

bool IniFile::writeInteger(const QString& section, const QString& key, int value) {
    return writeString(section, key, QString::number(value));
}

bool IniFile::writeBool(const QString& section, const QString& key, bool value) {
    return writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool IniFile::deleteKey(const QString& section, const QString& key) {
    Document doc = Document::load(path_);
    if (doc.state() == Document::State::Unreadable) return false;
    const qsizetype at = doc.findKey(section, key);
    if (at < 0) return true;
    doc.remove(at, at + 1);
    return doc.save(path_);
}

bool IniFile::eraseSection(const QString& section) {
    Document doc = Document::load(path_);
    if (doc.state() == Document::State::Unreadable) return false;
    const qsizetype header = doc.findSection(section);
    if (header < 0) return true;
    doc.remove(header, doc.sectionEnd(header));
    return doc.save(path_);
}

bool IniFile::writeSection(const QString& section, const Pairs& pairs) {
    if (!validSection(section)) return false;
    for (const auto& [key, value] : pairs)
        if (!validKey(key)) return false;
    Document doc = Document::load(path_);
    if (doc.state() == Document::State::Unreadable) return false;
    const qsizetype header = doc.findSection(section);
    if (header < 0) {
        doc.insert(doc.size(), doc.makeLine(u'[' + section + u']'));
        for (const auto& [key, value] : pairs)
            doc.insert(doc.size(), doc.makeLine(pairText(key, value)));
        return doc.save(path_);
    }
    // The new pairs take the places of the old ones in order; comments and other
    // lines stay where they are. Extra pairs follow the last old one; extra old
    // ones go.
    QList<qsizetype> places;
    for (qsizetype i = header + 1, end = doc.sectionEnd(header); i < end; ++i)
        if (doc.line(i).kind == Line::Kind::Pair) places.append(i);
    const qsizetype reused = std::min(places.size(), pairs.size());
    for (qsizetype k = 0; k < reused; ++k)
        doc.replace(places[k], doc.makeLine(pairText(pairs[k].first, pairs[k].second)));
    for (qsizetype k = places.size() - 1; k >= reused; --k) doc.remove(places[k], places[k] + 1);
    qsizetype at = reused > 0 ? places[reused - 1] + 1 : doc.contentEnd(header);
    for (qsizetype k = reused; k < pairs.size(); ++k)
        doc.insert(at++, doc.makeLine(pairText(pairs[k].first, pairs[k].second)));
    return doc.save(path_);
}
