#pragma once
// The insurer's card control software: the entry points the program calls, typed.
// Every entry point returns a 32-bit result (0 = success); a buffer argument is owned by
// the caller and is always followed by a pointer to its length in bytes.
//
// The program binds the library it loads at run time (LoadedControlSoftware); the
// unit tests use an in-process fake answering from the same card description as the
// stand-in library.

#include <QString>
#include <cstdint>
#include <optional>

#include "card/control_software_entries.h"

// Declares one entry point of the list as a member: pure here, overridden by every
// implementation (TOLVANE_CS_OVERRIDE inside its class).
#define TOLVANE_CS_PURE(result, name, exportName, params, args) \
    virtual std::optional<result> name params = 0;
#define TOLVANE_CS_OVERRIDE(result, name, exportName, params, args) \
    std::optional<result> name params override;

class ControlSoftware {
  public:
    ControlSoftware() = default;
    virtual ~ControlSoftware() = default;
    ControlSoftware(const ControlSoftware&) = delete;
    ControlSoftware& operator=(const ControlSoftware&) = delete;

    // True when loaded (already, or now). Binds every entry once after the first
    // successful load; a failed load is simply tried again at the next call.
    virtual bool LoadLibraryCshis() = 0;
    virtual bool isLoaded() const = 0;
    // Releases the library; entry points become missing until the next load.
    virtual void unload() = 0;
    // Whether the loaded library offers this export (export names, e.g. "csGetHospID").
    virtual bool has(const char* exportName) const = 0;
    // Why the last load failed (empty after a successful one).
    virtual QString loadError() const = 0;

    // One typed call per entry point of the list (control_software_entries.h), e.g.
    //   std::optional<int32_t> hisGetRegisterBasic(char* buffer, int32_t* bufLen);
    // std::nullopt: the export is missing (or the library is not loaded) and nothing was
    // called. Buffers are caller-owned.
    TOLVANE_CONTROL_SOFTWARE_ENTRIES(TOLVANE_CS_PURE)

    // The text for an operation that found its entry point missing.
    static QString missingEntryMessage(const char* exportName);
};
