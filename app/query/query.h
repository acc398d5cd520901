#pragma once
// One query: what a Read, a Direct Read or a reopened archive file found about one
// patient. It is built aside while the query runs and handed to the window in one
// call when the query ends, however it ends; every view of the window (pages,
// status texts, memo, report and aids, summary, export) renders the query it was
// last handed, and the archive writes the one it is given. Nothing else holds
// per-patient state, so nothing of one patient can stay beside another's.

#include <QDate>
#include <QDateTime>
#include <QString>

#include "card/patient_state.h"

enum class QueryOrigin { None, Read, DirectRead, Reopen };

struct Query {
    QueryOrigin origin = QueryOrigin::None;
    // The card part (ptData, PtBuffer, ICcardInfo), the institution code, the
    // record texts and the referral text.
    PatientState patient;
    // Whose query this is, upper-case: the card's ID, the ID typed for Direct
    // Read, or the ID of the reopened file.
    QString patientId;
    // The adult preventive-care answer shown after the name (AE).
    QString eligibility;
    // When it was made, from the program's clock; a reopened query: its stored day.
    QDateTime time;
    // The card part is this patient's (read now, kept from the same patient's
    // earlier query, or stored in the file); false: the card part is empty.
    bool cardRead = false;
    // The query reached its end; false: a step stopped it and it holds what was
    // read up to then.
    bool completed = false;

    bool isEmpty() const { return origin == QueryOrigin::None; }
    QDate day() const { return time.date(); }
    // The first line of the summary and Cmsg3: the card's name, or the ID alone
    // when no card part belongs to the query.
    QString patientLine() const {
        if (!cardRead) return patientId;
        return patient.ptData.name + QLatin1Char(' ') + eligibility;
    }
};
