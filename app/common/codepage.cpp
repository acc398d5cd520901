#include "codepage.h"

#include <QList>
#include <cstring>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>
#else
#include <iconv.h>

#include <QtGlobal>
#include <cerrno>
#endif

namespace {

constexpr char16_t kReplacement = 0xFFFD;

#ifndef _WIN32

// The user-defined characters (rare characters in names, made with the font
// editor) sit in four areas that the Windows code page maps onto the private use
// area; the POSIX converter knows at most the last of them. Mapped here the same
// way, so such a name decodes and encodes back to the bytes the card holds.
struct EudcArea {
    unsigned char firstLead, lastLead, firstTrail;
    char16_t firstCode;
};
constexpr EudcArea kEudc[] = {
    {0xFA, 0xFE, 0x40, 0xE000},
    {0x8E, 0xA0, 0x40, 0xE311},
    {0x81, 0x8D, 0x40, 0xEEB8},
    {0xC6, 0xC8, 0xA1, 0xF6B1},  // the row at 0xC6 starts at 0xA1
};
constexpr int kTrailsPerLead = 157;  // 0x40-0x7E and 0xA1-0xFE

constexpr int trailIndex(unsigned char t) {
    if (t >= 0x40 && t <= 0x7E) return t - 0x40;
    if (t >= 0xA1 && t <= 0xFE) return t - 0xA1 + 63;
    return -1;
}

constexpr unsigned char trailByte(int index) {
    return static_cast<unsigned char>(index < 63 ? 0x40 + index : 0xA1 + index - 63);
}

// The private-use character of a user-defined byte pair, or 0.
char16_t eudcToUnicode(unsigned char lead, unsigned char trail) {
    const int t = trailIndex(trail);
    if (t < 0) return 0;
    for (const EudcArea& a : kEudc) {
        const int first = trailIndex(a.firstTrail);
        if (lead < a.firstLead || lead > a.lastLead) continue;
        const int offset = (lead - a.firstLead) * kTrailsPerLead + t - first;
        return offset < 0 ? 0 : static_cast<char16_t>(a.firstCode + offset);
    }
    return 0;
}

// The byte pair of a private-use character, or false.
bool unicodeToEudc(char32_t code, char out[2]) {
    for (const EudcArea& a : kEudc) {
        const int first = trailIndex(a.firstTrail);
        const int size = (a.lastLead - a.firstLead + 1) * kTrailsPerLead - first;
        if (code < a.firstCode || code >= static_cast<char32_t>(a.firstCode + size)) continue;
        const int offset = static_cast<int>(code - a.firstCode) + first;
        out[0] = static_cast<char>(a.firstLead + offset / kTrailsPerLead);
        out[1] = static_cast<char>(trailByte(offset % kTrailsPerLead));
        return true;
    }
    return false;
}

#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr const char* kUcs4 = "UTF-32LE";
constexpr const char* kUtf16 = "UTF-16LE";
#else
constexpr const char* kUcs4 = "UTF-32BE";
constexpr const char* kUtf16 = "UTF-16BE";
#endif

// One converter per direction and thread, opened on first use: opening iconv for
// every short card field would cost more than the conversion.
class Iconv {
  public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {
        if (!ok()) qCritical("codepage: no %s converter in this C library", from);
    }
    ~Iconv() {
        if (ok()) iconv_close(cd_);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    // Back to the initial state, in case an earlier call stopped half-way.
    void reset() { iconv(cd_, nullptr, nullptr, nullptr, nullptr); }
    std::size_t operator()(char** in, std::size_t* inLeft, char** out, std::size_t* outLeft) {
        return iconv(cd_, in, inLeft, out, outLeft);
    }

  private:
    iconv_t cd_;
};

Iconv& encoder() {
    thread_local Iconv cd(codepage::kAnsiCodePageName, kUcs4);
    return cd;
}

Iconv& decoder() {
    thread_local Iconv cd(kUtf16, codepage::kAnsiCodePageName);
    return cd;
}

#endif  // !_WIN32

}  // namespace

#ifndef _WIN32

QByteArray toAnsi(const QString& text) {
    if (text.isEmpty()) return {};
    // Code points, so that a character outside the basic plane becomes one "?";
    // a lone surrogate arrives here as U+FFFD, which CP950 cannot hold either.
    QList<uint> ucs4 = text.toUcs4();
    QByteArray out;
    out.resize(ucs4.size() * 2);  // at most two bytes per character
    Iconv& cd = encoder();
    if (!cd.ok()) {
        for (qsizetype i = 0; i < ucs4.size(); ++i)
            out[i] = ucs4[i] < 0x80 ? static_cast<char>(ucs4[i]) : '?';
        out.resize(ucs4.size());
        return out;
    }
    cd.reset();
    char* in = reinterpret_cast<char*>(ucs4.data());
    std::size_t inLeft = static_cast<std::size_t>(ucs4.size()) * sizeof(uint);
    char* o = out.data();
    std::size_t outLeft = static_cast<std::size_t>(out.size());
    while (inLeft > 0) {
        if (cd(&in, &inLeft, &o, &outLeft) != static_cast<std::size_t>(-1)) break;
        if (errno == EILSEQ && outLeft >= 2) {
            // Not in the code page: one "?" and on with the next character, unless
            // it is a user-defined character.
            uint code = 0;
            std::memcpy(&code, in, sizeof code);
            if (unicodeToEudc(code, o)) {
                o += 2;
                outLeft -= 2;
            } else {
                *o++ = '?';
                --outLeft;
            }
            in += sizeof(uint);
            inLeft -= sizeof(uint);
            continue;
        }
        break;  // cannot happen with the buffer sized above; keep what we have
    }
    out.resize(o - out.data());
    return out;
}

QString fromAnsi(QByteArrayView bytes) {
    if (bytes.isEmpty()) return {};
    QString out;
    // Every CP950 character, one byte or two, is one UTF-16 unit; the two extra
    // units leave room for the replacement character at the very end.
    out.resize(bytes.size() + 2);
    Iconv& cd = decoder();
    if (!cd.ok()) {
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            auto b = static_cast<unsigned char>(bytes[i]);
            out[i] = b < 0x80 ? QChar(b) : QChar(kReplacement);
        }
        out.resize(bytes.size());
        return out;
    }
    cd.reset();
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = static_cast<std::size_t>(bytes.size());
    char* base = reinterpret_cast<char*>(out.data());
    char* o = base;
    std::size_t outLeft = static_cast<std::size_t>(out.size()) * sizeof(char16_t);
    while (inLeft > 0) {
        if (cd(&in, &inLeft, &o, &outLeft) != static_cast<std::size_t>(-1)) break;
        if (errno == EILSEQ && outLeft >= sizeof(char16_t)) {
            const char16_t eudc = inLeft >= 2 ? eudcToUnicode(static_cast<unsigned char>(in[0]),
                                                              static_cast<unsigned char>(in[1]))
                                              : 0;
            // An unassigned pair is skipped whole, so its trail byte is not taken
            // for the lead of a character that is not there; any other bad byte is
            // skipped alone, resynchronising on the next one.
            const bool pair = inLeft >= 2 &&
                              codepage::isLeadByte(static_cast<unsigned char>(in[0])) &&
                              codepage::isTrailByte(static_cast<unsigned char>(in[1]));
            std::memcpy(o, eudc ? &eudc : &kReplacement, sizeof(char16_t));
            o += sizeof(char16_t);
            outLeft -= sizeof(char16_t);
            in += pair ? 2 : 1;
            inLeft -= pair ? 2 : 1;
            cd.reset();
            continue;
        }
        // EINVAL: a lead byte with nothing after it; drop it.
        break;
    }
    out.resize(static_cast<qsizetype>((o - base) / sizeof(char16_t)));
    return out;
}

#else  // _WIN32

QByteArray toAnsi(const QString& text) {
    if (text.isEmpty()) return {};
    // Characters outside the basic plane become one "?" each before the call, so
    // the result does not depend on how the API treats surrogate pairs.
    std::wstring wide;
    wide.reserve(static_cast<std::size_t>(text.size()));
    for (uint c : text.toUcs4()) wide.push_back(c > 0xFFFF ? L'?' : static_cast<wchar_t>(c));
    int n = WideCharToMultiByte(codepage::kAnsiCodePage, 0, wide.data(),
                                static_cast<int>(wide.size()), nullptr, 0, "?", nullptr);
    QByteArray out(n, Qt::Uninitialized);
    WideCharToMultiByte(codepage::kAnsiCodePage, 0, wide.data(), static_cast<int>(wide.size()),
                        out.data(), n, "?", nullptr);
    return out;
}

QString fromAnsi(QByteArrayView bytes) {
    QString out;
    out.reserve(bytes.size());
    qsizetype i = 0;
    while (i < bytes.size()) {
        auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            out.append(QChar(b));
            ++i;
            continue;
        }
        if (!codepage::isLeadByte(b)) {
            // 0x80 and 0xFF: whatever single character the code page gives them.
            wchar_t w = 0;
            const bool ok = MultiByteToWideChar(codepage::kAnsiCodePage, MB_ERR_INVALID_CHARS,
                                                bytes.data() + i, 1, &w, 1) == 1;
            out.append(QChar(ok ? static_cast<char16_t>(w) : kReplacement));
            ++i;
            continue;
        }
        if (i + 1 >= bytes.size()) break;  // half a character at the end: dropped
        wchar_t w = 0;
        if (MultiByteToWideChar(codepage::kAnsiCodePage, MB_ERR_INVALID_CHARS, bytes.data() + i, 2,
                                &w, 1) == 1) {
            out.append(QChar(static_cast<char16_t>(w)));
            i += 2;
        } else {
            // An unassigned pair is skipped whole; a bad trail byte alone.
            out.append(QChar(kReplacement));
            i += codepage::isTrailByte(static_cast<unsigned char>(bytes[i + 1])) ? 2 : 1;
        }
    }
    return out;
}

#endif  // _WIN32

QByteArray toAnsiCut(const QString& text, int maxBytes) {
    if (maxBytes <= 0) return {};
    QByteArray bytes = toAnsi(text);
    if (bytes.size() <= maxBytes) return bytes;
    // The encoder's own output is well formed, so a lead byte always starts a pair.
    qsizetype end = 0;
    while (end < bytes.size()) {
        qsizetype width = codepage::isLeadByte(static_cast<unsigned char>(bytes[end])) ? 2 : 1;
        if (end + width > maxBytes) break;
        end += width;
    }
    bytes.truncate(end);
    return bytes;
}
