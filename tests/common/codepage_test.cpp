#include "common/codepage.h"

#include <gtest/gtest.h>

namespace {

QByteArray hex(const char* h) { return QByteArray::fromHex(h); }

struct KnownText {
    const char* text;
    const char* cp950;  // hex
};

// Captions and messages of the program with their Big5 bytes.
const KnownText kKnown[] = {
    {"雲端藥歷讀取", "b6b3baddc3c4befac5aaa8fa"},
    {"讀卡機Timeout!", "c5aaa564bef754696d656f757421"},
    {"讀卡機埠", "c5aaa564bef7b0f0"},
    {"王小明", "a4fda470a9fa"},
    {"版本 1.0", "aaa9a5bb20312e30"},
    {"€", "a3e1"},  // only in the Windows variant of Big5
    {"", ""},
};

TEST(Codepage, KnownTextsEncodeToBig5AndBack) {
    for (const auto& k : kKnown) {
        const QString text = QString::fromUtf8(k.text);
        EXPECT_EQ(toAnsi(text), hex(k.cp950)) << k.text;
        EXPECT_EQ(fromAnsi(hex(k.cp950)), text) << k.text;
    }
}

// Rare characters in names are user-defined characters; they must come back as the
// bytes the card holds. Both ends of each area, as the Windows code page maps them.
TEST(Codepage, UserDefinedCharactersRoundTrip) {
    const struct {
        const char* cp950;
        char16_t code;
    } cases[] = {
        {"fa40", 0xE000}, {"fefe", 0xE310}, {"8e40", 0xE311}, {"a0fe", 0xEEB7}, {"8140", 0xEEB8},
        {"8da1", 0xF653}, {"8dfe", 0xF6B0}, {"c6a1", 0xF6B1}, {"c740", 0xF70F}, {"c8fe", 0xF848},
    };
    for (const auto& c : cases) {
        const QString text = QStringLiteral("王") + QChar(c.code) + u'A';
        const QByteArray bytes = hex("a4fd") + hex(c.cp950) + "A";
        EXPECT_EQ(fromAnsi(bytes), text) << c.cp950;
        EXPECT_EQ(toAnsi(text), bytes) << c.cp950;
    }
    EXPECT_EQ(toAnsi(QString(QChar(0xF849))), "?");  // just past the last area
}

TEST(Codepage, CharactersOutsideTheCodePageBecomeOneQuestionMarkEach) {
    const struct {
        QString text;
        QByteArray expected;
    } cases[] = {
        {QStringLiteral("A한B"), "A?B"},
        {QStringLiteral("é雲"), "?" + hex("b6b3")},
        {QString::fromUtf8("x\xF0\x9F\x98\x80y"), "x?y"},  // outside the basic plane
        {QString(QChar(0xD800)) + u'z', "?z"},             // lone surrogate
        {QString(QChar(0)) + u'a', QByteArray("\0a", 2)},
    };
    for (const auto& c : cases) EXPECT_EQ(toAnsi(c.text), c.expected) << c.text.toStdString();
}

TEST(Codepage, BadBytesDoNotLoseTheRest) {
    const struct {
        QByteArray bytes;
        QString expected;
    } cases[] = {
        // a lead byte whose partner is no trail byte: mark it, keep the partner
        {hex("b620") + "AB", QString(QChar(0xFFFD)) + QStringLiteral(" AB")},
        {hex("ff") + hex("b6b3"), QString(QChar(0xFFFD)) + QStringLiteral("雲")},
        {hex("b6b3ff41"), QStringLiteral("雲") + QChar(0xFFFD) + u'A'},
        // an unassigned pair: its trail byte must not start a bogus character
        {hex("a3c0a4fd"), QString(QChar(0xFFFD)) + QStringLiteral("王")},
        // a fixed-width field that cut the last character in half
        {hex("a4fda470a9"), QStringLiteral("王小")},
        {hex("a9"), QString()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fromAnsi(c.bytes), c.expected) << c.bytes.toHex().toStdString();
}

TEST(Codepage, CutKeepsWholeCharactersOnly) {
    const QString mixed = QStringLiteral("A王小明");  // bytes: 1 + 2 + 2 + 2
    const struct {
        QString text;
        int maxBytes;
        QByteArray expected;
    } cases[] = {
        {mixed, 0, ""},
        {mixed, -3, ""},
        {mixed, 1, "A"},
        {mixed, 2, "A"},  // the next character needs two bytes
        {mixed, 3, "A" + hex("a4fd")},
        {mixed, 6, "A" + hex("a4fda470")},
        {mixed, 7, "A" + hex("a4fda470a9fa")},
        {mixed, 100, "A" + hex("a4fda470a9fa")},
        {QStringLiteral("한한한"), 2, "??"},
    };
    for (const auto& c : cases) EXPECT_EQ(toAnsiCut(c.text, c.maxBytes), c.expected) << c.maxBytes;
}

}  // namespace
