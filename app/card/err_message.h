#pragma once
// Messages for the control software's result codes.

#include <QString>
#include <cstdint>
#include <span>

struct ErrMessageEntry {
    int32_t code;
    const char* message;  // UTF-8
};

// The message for a result code; a code without an entry gives
// "未定義的錯誤代碼! Error Code=<code>".
QString GetErrMessage(int32_t code);

// The whole table, ordered by code.
std::span<const ErrMessageEntry> errMessageTable();
