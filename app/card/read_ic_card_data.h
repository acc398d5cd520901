#pragma once
// Reading every card category the settings page enables into the card record.

#include <QString>

#include "card/card_records.h"

class CardCodeLookups;
class Clock;
class ControlSoftware;
class Prompts;
class StatusSink;

// The check boxes of the settings page that choose the card categories.
struct CardReadSettings {
    bool CGetTreatment = true;
    bool CReadPrescription = true;
    bool CGetRegisterPrevent = true;
    bool CGetRegisterPregnant = true;
    bool CGetCumulativeData = true;
    bool CGetInoculateData = true;
    bool CGetOrganDonate = true;
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
