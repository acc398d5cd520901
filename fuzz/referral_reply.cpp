// The referral reply and its record fields: any text gives a referral text or
// nothing, and text without quotes splits into exactly its comma-separated parts.
#include <QStringList>
#include <cstddef>
#include <cstdint>

#include "cloud/referral_documents.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    (void)referral::referralText(text);

    const QStringList fields = referral::splitFields(text);
    if (fields.isEmpty()) __builtin_trap();
    if (!text.contains(u'"') && fields.join(u',') != text) __builtin_trap();
    return 0;
}
