#include "card/card_fields.h"

#include <cstring>

#include "common/card_text.h"
#include "common/codepage.h"

QString fieldText(QByteArrayView bytes) { return GetFromBuffer(bytes); }

QByteArray fieldAnsi(QByteArrayView bytes) { return GetAnsiFromBuffer(bytes); }

QByteArray cutAnsi(QByteArrayView bytes, int maxBytes) {
    if (maxBytes <= 0) return {};
    qsizetype end = 0;
    qsizetype i = 0;
    while (i < bytes.size()) {
        const bool lead = codepage::isLeadByte(static_cast<unsigned char>(bytes[i]));
        const qsizetype width = lead ? 2 : 1;
        if (i + width > bytes.size()) break;  // half a character at the end
        if (i + width > maxBytes) break;
        i += width;
        end = i;
    }
    return bytes.first(end).toByteArray();
}

QByteArray ansiOf(const QString& text, int maxBytes) { return toAnsiCut(text, maxBytes); }

QString textOfAnsi(QByteArrayView bytes) { return fromAnsi(bytes); }

void storeReferralNote(tICcardInfo& card, const QString& text) {
    constexpr int kMaxChars = 500;
    constexpr int kMaxBytes = int(sizeof card.ReferralNote) - 1;
    const QByteArray b = toAnsiCut(text.left(kMaxChars), kMaxBytes);
    std::memset(card.ReferralNote, 0, sizeof card.ReferralNote);
    std::memcpy(card.ReferralNote, b.constData(), std::size_t(b.size()));
}

QString referralNote(const tICcardInfo& card) {
    const char* p = card.ReferralNote;
    const void* end = std::memchr(p, 0, sizeof card.ReferralNote);
    const qsizetype n =
        end ? static_cast<const char*>(end) - p : qsizetype(sizeof card.ReferralNote);
    return fromAnsi(QByteArrayView(p, n));
}
