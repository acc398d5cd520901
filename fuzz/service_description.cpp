// The referral service's description: any document gives an address or nothing.
#include <cstddef>
#include <cstdint>

#include "cloud/referral_documents.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    (void)referral::serviceEndpoint(bytes);
    return 0;
}
