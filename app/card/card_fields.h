#pragma once
// Reading fixed-width byte fields of the card buffers and writing the length-prefixed
// text fields of the card record.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstring>

#include "card/card_records.h"

// A byte field decoded from the ANSI code page and trimmed (GetFromBuffer).
QString fieldText(QByteArrayView bytes);
// The same field as single-byte text, trimmed, without decoding (GetAnsiFromBuffer).
QByteArray fieldAnsi(QByteArrayView bytes);

template <std::size_t N>
QString fieldText(const char (&field)[N]) {
    return fieldText(QByteArrayView(field, qsizetype(N)));
}
template <std::size_t N>
QByteArray fieldAnsi(const char (&field)[N]) {
    return fieldAnsi(QByteArrayView(field, qsizetype(N)));
}

// ANSI bytes cut to at most maxBytes at the end of the last whole character, so a
// two-byte character is never split; a lead byte left alone at the end is dropped.
QByteArray cutAnsi(QByteArrayView bytes, int maxBytes);

// Stores ANSI bytes, keeping what fits in whole characters. The bytes after the text
// keep what was there before, as the archived files have it.
template <int N>
void setAnsi(LpText<N>& field, QByteArrayView bytes) {
    const QByteArray cut = cutAnsi(bytes, N);
    field.len = static_cast<std::uint8_t>(cut.size());
    if (!cut.isEmpty()) std::memcpy(field.text, cut.constData(), std::size_t(cut.size()));
}
// Stores text in the ANSI code page, cut at a whole character.
template <int N>
void setText(LpText<N>& field, const QString& text);

// The field's text decoded from the ANSI code page; a half character left at the end
// by older files is dropped.
template <int N>
QString text(const LpText<N>& field);

// The referral text in the card record, as the read's referral step stored it: up to
// its terminator; a damaged record without one ends at the field's end.
QString referralNote(const tICcardInfo& card);

// --- implementation of the templates that need the code page ------------------------

QByteArray ansiOf(const QString& text, int maxBytes);
QString textOfAnsi(QByteArrayView bytes);

template <int N>
void setText(LpText<N>& field, const QString& value) {
    setAnsi(field, ansiOf(value, N));
}
template <int N>
QString text(const LpText<N>& field) {
    return textOfAnsi(field.bytes());
}
