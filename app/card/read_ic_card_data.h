#pragma once
// Reading every card category the settings page enables into the card record.

#include <QString>

#include "card/card_records.h"

class CardCodeLookups;
class Clock;
class ControlSoftware;
class Prompts;
class StatusSink;

// The card categories to read: the check boxes of the settings page named in
// the comments. It belongs to the program's settings value (app/flow/system_settings.h).
struct CardReadSettings {
    bool getTreatment = true;      // CGetTreatment
    bool readPrescription = true;  // CReadPrescription
    bool registerPrevent = true;   // CGetRegisterPrevent
    bool registerPregnant = true;  // CGetRegisterPregnant
    bool cumulativeData = true;    // CGetCumulativeData
    bool inoculateData = true;     // CGetInoculateData
    bool organDonate = true;       // CGetOrganDonate
};

struct CardReadContext {
    ControlSoftware& cs;
    CardCodeLookups& names;
    StatusSink& status;
    Clock& clock;
    Prompts& prompts;
};

// Empties `ICcardInfo` and fills it category by category. Failures are collected and
// shown once at the end. False only when the visits are to be read and the control
// software cannot be loaded. Prescriptions are read only with a professional
// identified (`sReadCardDrID` not empty), pregnancy examinations not for a male patient.
bool ReadICcardData(const CardReadContext& ctx, const CardReadSettings& settings,
                    const treadCard& ptData, const QString& sReadCardDrID, tICcardInfo& ICcardInfo);
