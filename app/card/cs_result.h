#pragma once
// Result codes of control-software calls as the card code handles them: a missing
// entry point is folded into one code of its own, so callers keep a single int path
// and still report the missing export by name.

#include <QString>
#include <cstdint>
#include <limits>
#include <optional>

#include "card/control_software.h"
#include "card/err_message.h"

// No control-software code is this small; it stands for "the export is missing".
inline constexpr int32_t kEntryMissing = std::numeric_limits<int32_t>::min();

inline int32_t csResult(std::optional<int32_t> r) { return r.value_or(kEntryMissing); }

// The message for a result of the call to `exportName`.
inline QString csResultMessage(int32_t code, const char* exportName) {
    return code == kEntryMissing ? ControlSoftware::missingEntryMessage(exportName)
                                 : GetErrMessage(code);
}
