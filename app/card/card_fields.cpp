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

QString referralNote(const tICcardInfo& card) {
    const char* p = card.ReferralNote;
    const void* end = std::memchr(p, 0, sizeof card.ReferralNote);
    const qsizetype n =
        end ? static_cast<const char*>(end) - p : qsizetype(sizeof card.ReferralNote);
    return fromAnsi(QByteArrayView(p, n));
}
