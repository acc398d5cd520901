#pragma once
// The control software in process, for unit tests: every entry point answered from the
// readable card description (sim-cards.json and sim-card.txt of one folder) by the same
// Simulator and card-buffer encoder as the stand-in library, with nothing loaded.

#include <QString>
#include <QStringList>

#include "card/control_software.h"
#include "simulator.h"

class FakeControlSoftware final : public ControlSoftware {
  public:
    // Answers from the fixture and state file in `dir`.
    explicit FakeControlSoftware(const QString& dir);

    // Whether LoadLibraryCshis succeeds, as if the library were (not) beside the program.
    void setLoadable(bool loadable) { loadable_ = loadable; }
    // Leaves these exports out, as a library that lacks them.
    void setMissing(const QStringList& exportNames) { missing_ = exportNames; }
    // The behaviour behind the entry points: forced results, call counts and log.
    simcshis::Simulator& sim() { return sim_; }
    const simcshis::Simulator& sim() const { return sim_; }

    bool LoadLibraryCshis() override;
    bool isLoaded() const override { return loaded_; }
    void unload() override { loaded_ = false; }
    bool has(const char* exportName) const override;
    QString loadError() const override;

    TOLVANE_CONTROL_SOFTWARE_ENTRIES(TOLVANE_CS_OVERRIDE)

  private:
    // Runs `call` on the simulator when the export is there; std::nullopt otherwise.
    template <typename Call>
    std::optional<int32_t> enter(const char* exportName, Call call);

    simcshis::Simulator sim_;
    bool loadable_ = true;
    bool loaded_ = false;
    QStringList missing_;
};
