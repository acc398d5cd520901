#pragma once
// The control software's behaviour over the readable card description: every entry
// point with the arguments of the real library, answering from the fixture and the
// state file of one folder (sim/cardstate), with forced results, a call log and the
// simulated reader's session.
//
// The stand-in library (cshis.cpp) exports one of these under the entry points' names;
// the tests' in-process fake holds one of its own. Both therefore answer alike.
//
// Every call re-reads the fixture and the state file (so a card change takes effect at
// once), logs itself, and first consumes the next forced result of its entry point: a
// non-zero forced code is returned as it is without touching any buffer; a forced 0, or
// no forced code, runs the normal behaviour.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>

#include "card/control_software_entries.h"

namespace simcshis {

class Simulator {
  public:
    Simulator();
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Every entry point of the list under its export name, e.g.
    //   int32_t csGetHospID(char* buffer, int32_t* bufLen);
#define SIMCSHIS_DECLARE(result, name, exportName, params, args) result exportName params;
    TOLVANE_CONTROL_SOFTWARE_ENTRIES(SIMCSHIS_DECLARE)
#undef SIMCSHIS_DECLARE

    // Test controls.
    // Forgets the calls, the forced results and the reader's session.
    void reset();
    // Reads the fixture and the state file from `dir` (empty: the default folder).
    void setDir(const QString& dir);
    // Forces the results of `entry` from a comma-separated list such as "4000,4000,0",
    // consumed in order, the last repeating; empty codes remove the forcing. A code
    // written "w4000" makes a card read deliver the first half of its data first.
    void force(const QString& entry, const QString& codes);
    // Puts the card `key` into the reader just before the `call`-th call of `entry`
    // from now (1: the next one), as a patient swapping cards between two reads
    // would; call 0 removes it.
    void swapCardAt(const QString& entry, int call, const QString& key);
    // How often `entry` was called since the last reset (empty: all calls).
    int callCount(const QString& entry) const;
    // The calls since the last reset, one "entry(arguments)" each; buffer arguments are
    // logged as their length on entry, e.g. "hisGetRegisterBasic(78)".
    QStringList callLog() const;

    struct State;  // opaque: the session, the log and the forced results

  private:
    std::unique_ptr<State> state_;
};

}  // namespace simcshis
