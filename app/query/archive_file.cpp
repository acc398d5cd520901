#include "query/archive_file.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "common/ascii_text.h"
#include "common/codepage.h"
#include "common/record_text.h"

namespace archive {

namespace {

const QString kWrapper = QStringLiteral("DE");
const QString kHospId = QStringLiteral("HospID");
const QString kAe = QStringLiteral("AE");
const QString kRef = QStringLiteral("Ref");
const QString kDrug = QStringLiteral("Drug");
const QString kLab = QStringLiteral("Lab");
// FULLWIDTH LESS-THAN SIGN: looks like "<" to the reader of a page, is not one to
// the element reader, and CP950 holds it.
constexpr char16_t kNeutralLessThan = u'\uFF1C';

bool isAsciiAlnum(QChar c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9');
}

QString element(const QString& name, const QString& value) {
    return u'<' + name + u'>' + value + QStringLiteral("</") + name + u'>';
}

// The children of "<DE>" + text + "</DE>", first of each name, names without case.
struct Children {
    QStringList list;
    QString value(const QString& name) const {
        for (const QString& entry : list) {
            const qsizetype eq = entry.indexOf(u'=');
            if (eq == name.size() && sameAsciiNoCaseAt(entry, 0, name)) return entry.mid(eq + 1);
        }
        return {};
    }
};

Children readChildren(const QString& text) {
    Children c;
    getXMLitem(element(kWrapper, text), 1, kWrapper, c.list);
    return c;
}

}  // namespace

std::optional<QString> archiveId(const QString& typed) {
    const QString id = typed.trimmed().toUpper();
    if (id.size() != 10) return std::nullopt;
    for (QChar c : id)
        if (!isAsciiAlnum(c)) return std::nullopt;
    return id;
}

bool isArchiveDate(const QString& date) {
    if (date.size() != 7) return false;
    for (QChar c : date)
        if (c < u'0' || c > u'9') return false;
    return true;
}

QString relativePath(const QString& date, const QString& id) {
    return kFolder + u'/' + date.left(5) + u'/' + date + id + QStringLiteral(".dat");
}

QString neutraliseMarkers(const QString& value, const QString& name) {
    if (readChildren(element(name, value)).value(name) == value) return value;
    const QString open = u'<' + name + u'>';
    const QString close = QStringLiteral("</") + name + u'>';
    QString out = value;
    for (qsizetype i = 0; i < out.size(); ++i)
        if (out.at(i) == u'<' &&
            (sameAsciiNoCaseAt(out, i, open) || sameAsciiNoCaseAt(out, i, close)))
            out[i] = QChar(kNeutralLessThan);
    return out;
}

QString archiveText(const ArchiveTexts& t) {
    return element(kHospId, neutraliseMarkers(t.sHospitalCode, kHospId)) +
           element(kAe, neutraliseMarkers(t.AE, kAe)) +
           element(kRef, neutraliseMarkers(t.sRef, kRef)) +
           element(kDrug, neutraliseMarkers(t.sDrug, kDrug)) +
           element(kLab, neutraliseMarkers(t.sLab, kLab));
}

ArchiveTexts readArchiveText(const QString& text) {
    const Children c = readChildren(text);
    return {c.value(kHospId), c.value(kAe), c.value(kRef), c.value(kDrug), c.value(kLab)};
}

QByteArray encodeArchive(const ArchivedQuery& query) {
    const QByteArray text = toAnsi(archiveText(query.texts));
    QByteArray bytes(kTextOffset, '\0');
    std::memcpy(bytes.data(), &query.PtBuffer, sizeof query.PtBuffer);
    std::memcpy(bytes.data() + sizeof query.PtBuffer, &query.ICcardInfo, sizeof query.ICcardInfo);
    qToLittleEndian<qint32>(qint32(text.size()), bytes.data() + kTextLengthOffset);
    bytes.append(text);
    return bytes;
}

std::optional<ArchivedQuery> decodeArchive(QByteArrayView bytes) {
    if (bytes.size() < kTextOffset) return std::nullopt;
    const qint32 n = qFromLittleEndian<qint32>(bytes.data() + kTextLengthOffset);
    if (n > bytes.size() - kTextOffset) return std::nullopt;

    ArchivedQuery q;
    std::memcpy(&q.PtBuffer, bytes.data(), sizeof q.PtBuffer);
    std::memcpy(&q.ICcardInfo, bytes.data() + sizeof q.PtBuffer, sizeof q.ICcardInfo);
    if (n > 0) q.texts = readArchiveText(fromAnsi(bytes.sliced(kTextOffset, n)));
    return q;
}

ReadResult readArchiveFile(const QString& path) {
    ReadResult r;
    auto openFailed = [&r](const QString& why) {
        r.status = ReadResult::Status::OpenFailed;
        r.reason = why;
        return r;
    };
    // Only a plain file: reading a pipe or a device named like one would wait for
    // ever. What is checked is what was opened, so nothing can be swapped in between;
    // the open itself does not wait, even on a pipe.
    QFile file;
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return openFailed(QString::fromLocal8Bit(std::strerror(errno)));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return openFailed(QStringLiteral("not a regular file"));
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return openFailed(file.errorString());
    }
#else
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) return openFailed(QStringLiteral("not a regular file"));
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly)) return openFailed(file.errorString());
#endif
    QByteArray bytes = file.read(kTextOffset);
    if (bytes.size() < kTextOffset) return r;
    const qint64 n = qFromLittleEndian<qint32>(bytes.constData() + kTextLengthOffset);
    if (n > file.size() - kTextOffset) return r;
    if (n > 0) {
        const QByteArray text = file.read(n);
        if (text.size() < n) return r;  // the file shrank meanwhile
        bytes.append(text);
    }
    std::optional<ArchivedQuery> q = decodeArchive(bytes);
    if (!q) return r;
    r.status = ReadResult::Status::Ok;
    r.query = std::move(*q);
    return r;
}

}  // namespace archive
