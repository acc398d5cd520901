#pragma once
// Answers of control-software calls as the card code handles them: the call's result
// code, or nothing when its export is missing (nothing was called). A missing export
// is reported by name; no result code stands in for it.

#include <QString>
#include <cstdint>
#include <optional>

#include "card/control_software.h"
#include "card/err_message.h"

using CsAnswer = std::optional<int32_t>;

// The message for an answer of the call to `exportName`.
inline QString csResultMessage(CsAnswer answer, const char* exportName) {
    return answer ? GetErrMessage(*answer) : ControlSoftware::missingEntryMessage(exportName);
}
