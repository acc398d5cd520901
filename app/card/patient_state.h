#pragma once
// The current patient: everything one query reads, shows and archives. Owned by
// the main window and passed by reference; one query replaces it piece by piece.

#include <QString>

#include "card/card_records.h"

struct PatientState {
    treadCard ptData;          // the basic data's summary
    BasicInfo PtBuffer{};      // the raw 78-byte basic data block
    tICcardInfo ICcardInfo{};  // the card's medical content
    QString sHospitalCode;     // the institution code read from the SAM
    QString sDrug;             // cloud drug records (record text)
    QString sLab;              // cloud laboratory records (record text)
    QString sRef;              // referral text
};
