#pragma once
// The production side of ControlSoftware: the insurer's library, loaded at run time by
// plain name and bound by export name.

#include <QLibrary>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

#include "card/control_software.h"

// The control software is built for the 32-bit Windows calling convention.
#if defined(_WIN32) && !defined(_WIN64)
#define TOLVANE_CSAPI __stdcall
#else
#define TOLVANE_CSAPI
#endif

// Procedure types of the entry points, named after their exports (FcsOpenCom, ...,
// FcsGetHospID).
#define TOLVANE_CS_PROCEDURE_TYPE(result, name, exportName, params, args) \
    using F##exportName = result(TOLVANE_CSAPI*) params;
TOLVANE_CONTROL_SOFTWARE_ENTRIES(TOLVANE_CS_PROCEDURE_TYPE)
#undef TOLVANE_CS_PROCEDURE_TYPE

// Loaded at run time by plain name; searched first in the program's own folder (as the
// Windows loader does), then by the platform's search order.
class LoadedControlSoftware final : public ControlSoftware {
  public:
    explicit LoadedControlSoftware(QString programDir, QString baseName = "cshis");
    ~LoadedControlSoftware() override;

    // True when loaded (already, or now). Binds every entry once after the first
    // successful load; a failed load is simply tried again at the next call.
    bool LoadLibraryCshis() override;
    bool isLoaded() const override;
    // Releases the library; entry points become missing until the next load.
    void unload() override;
    // Whether the loaded library offers this export (export names, e.g. "csGetHospID").
    bool has(const char* exportName) const override;
    // Why the last load failed (empty after a successful one).
    QString loadError() const override;

    TOLVANE_CONTROL_SOFTWARE_ENTRIES(TOLVANE_CS_OVERRIDE)

  private:
    struct Entries;
    void bind();

    QString programDir_;
    QString baseName_;
    std::unique_ptr<QLibrary> lib_;
    std::unique_ptr<Entries> entries_;
    QString loadError_;
};
