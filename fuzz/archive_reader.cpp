// The archive reader on any file: it never reads outside the input, never
// allocates more than the input holds, and what it accepts is whole.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "query/archive_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<archive::ArchivedQuery> q = archive::decodeArchive(bytes);
    if (q && size < std::size_t(archive::kTextOffset)) std::abort();
    // The text alone, as reopening wraps and reads it.
    (void)archive::readArchiveText(QString::fromUtf8(bytes));
    return 0;
}
