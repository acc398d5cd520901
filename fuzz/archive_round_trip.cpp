// Writing then reading an archive gives back both card blocks byte for byte and
// the five texts, less the markers that had to be neutralised and what the code
// page cannot hold.
//
// Input: the 78 + 8824 bytes of the two blocks (missing bytes are zero), then the
// five texts as UTF-8, separated by 0xFF bytes.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "common/codepage.h"
#include "query/archive_file.h"

namespace {

QString expected(const QString& value, const char* name) {
    return fromAnsi(toAnsi(archive::neutraliseMarkers(value, QString::fromLatin1(name))));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* bytes = reinterpret_cast<const char*>(data);
    archive::ArchivedQuery in;
    const std::size_t blocks = sizeof in.PtBuffer + sizeof in.ICcardInfo;
    const std::size_t head = size < blocks ? size : blocks;
    char raw[sizeof in.PtBuffer + sizeof in.ICcardInfo] = {};
    std::memcpy(raw, bytes, head);
    std::memcpy(&in.PtBuffer, raw, sizeof in.PtBuffer);
    std::memcpy(&in.ICcardInfo, raw + sizeof in.PtBuffer, sizeof in.ICcardInfo);

    const QList<QByteArray> parts = QByteArray(bytes + head, qsizetype(size - head)).split('\xFF');
    QString texts[5];
    for (int i = 0; i < 5 && i < parts.size(); ++i) texts[i] = QString::fromUtf8(parts[i]);
    in.texts = {texts[0], texts[1], texts[2], texts[3], texts[4]};

    const std::optional<archive::ArchivedQuery> out =
        archive::decodeArchive(archive::encodeArchive(in));
    if (!out) std::abort();
    if (std::memcmp(&out->PtBuffer, &in.PtBuffer, sizeof in.PtBuffer) != 0) std::abort();
    if (std::memcmp(&out->ICcardInfo, &in.ICcardInfo, sizeof in.ICcardInfo) != 0) std::abort();
    const archive::ArchiveTexts want{expected(texts[0], "HospID"), expected(texts[1], "AE"),
                                     expected(texts[2], "Ref"), expected(texts[3], "Drug"),
                                     expected(texts[4], "Lab")};
    if (!(out->texts == want)) std::abort();
    return 0;
}
