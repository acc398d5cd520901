#pragma once
// One archived query on disk: where it lives and what its bytes are.
//
//   cloudData/<yyymm>/<yyymmdd><ID>.dat under the program folder (ROC date)
//
//   offset  bytes  content
//        0     78  PtBuffer   (BasicInfo, as read from the card)
//       78   8824  ICcardInfo (tICcardInfo)
//     8902      4  N, signed 32-bit little-endian
//     8906      N  archive text in CP950, not terminated
//
// The archive text is "<HospID>…</HospID><AE>…</AE><Ref>…</Ref><Drug>…</Drug>
// <Lab>…</Lab>" without separators; it is read back with the record-text element
// reader, wrapped as "<DE>…</DE>". Nothing is escaped, so a value that would end
// its own element early has the "<" of its own markers replaced by "＜" before
// it is written (see neutraliseMarkers).

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <optional>

#include "card/card_records.h"

namespace archive {

inline constexpr int kTextLengthOffset = int(sizeof(BasicInfo) + sizeof(tICcardInfo));
inline constexpr int kTextOffset = kTextLengthOffset + 4;
static_assert(kTextLengthOffset == 8902);
static_assert(kTextOffset == 8906);

inline const QString kFolder = QStringLiteral("cloudData");

// The five texts between the markers, in file order.
struct ArchiveTexts {
    QString sHospitalCode;
    QString AE;
    QString sRef;
    QString sDrug;
    QString sLab;
    bool operator==(const ArchiveTexts&) const = default;
};

struct ArchivedQuery {
    BasicInfo PtBuffer{};
    tICcardInfo ICcardInfo{};
    ArchiveTexts texts;
};

// --- names ------------------------------------------------------------------------

// A patient ID that may name a file: ten ASCII letters or digits, after trimming and
// upper-casing; nullopt for anything else ("../x", 9 or 11 characters, empty).
std::optional<QString> archiveId(const QString& typed);
// Seven ASCII digits.
bool isArchiveDate(const QString& date);
// "cloudData/11312/1131209A123456789.dat"; both parts must have passed the checks.
QString relativePath(const QString& date, const QString& id);

// --- the archive text -----------------------------------------------------------

// `value` with the "<" of every "<name>" and "</name>" (letters in any case)
// replaced by "＜" when the value would not read back as itself inside that element;
// otherwise unchanged.
QString neutraliseMarkers(const QString& value, const QString& name);
// The text as written: each value neutralised where it must be.
QString archiveText(const ArchiveTexts& texts);
// The five values of an archive text; a missing one is empty, the first of two
// with the same name counts.
ArchiveTexts readArchiveText(const QString& text);

// --- the file -------------------------------------------------------------------

QByteArray encodeArchive(const ArchivedQuery& query);
// nullopt for a damaged file: shorter than the two blocks and N, or N above the
// bytes that follow. N <= 0 gives empty texts; bytes after the text are ignored;
// bytes that are not CP950 become replacement characters.
std::optional<ArchivedQuery> decodeArchive(QByteArrayView bytes);

struct ReadResult {
    enum class Status { Ok, OpenFailed, Damaged } status = Status::Damaged;
    ArchivedQuery query;  // Ok only
    QString reason;       // OpenFailed: the system's reason
};
// Reads only what the header says is there: N is checked against the file's size
// before anything is allocated for it.
ReadResult readArchiveFile(const QString& path);

}  // namespace archive
