#pragma once
// The local query archive's three operations: write today's query of a patient,
// list the days stored for an ID, and reopen one of them into the patient state
// and the pages. The file itself is archive_file.h.

#include <QDate>
#include <QString>
#include <QStringList>

struct PatientState;
class Clock;
class Prompts;
class StatusSink;

// What the archive asks of the window.
class QueryArchiveView {
  public:
    virtual ~QueryArchiveView() = default;
    // Replaces the dates of CdateList without reopening anything.
    virtual void setDateList(const QStringList& dates) = 0;
    // "Read", "Direct Read", CsrID and CdateList: off while a stored query opens,
    // since opening lets window messages run.
    virtual void setArchiveControlsEnabled(bool enabled) = 0;
    // Cmsg3's text (its tooltip stays as the last Read left it).
    virtual void setPatientLine(const QString& text) = 0;
    virtual void setReferralMemo(const QString& text) = 0;
    virtual void clearCloudRecords() = 0;
    virtual void fillPTdata() = 0;
    virtual void fillCloudData() = 0;
    virtual void showCloud(const QString& kind) = 0;
    // The stored query of `day` now stands in the pages: what is made from it
    // (the printed summary, the exchange file) is dated that day and carries its
    // eligibility text, as the fresh query's would.
    virtual void reopenedQuery(const QDate& day, const QString& ae) {
        (void)day;
        (void)ae;
    }
};

struct QueryArchiveContext {
    QString appPath;  // the program folder, ending in "/"
    Clock& clock;     // today's date and message pumping
    Prompts& prompts;
    StatusSink& status;
    QueryArchiveView& view;
    PatientState& patient;
};

class QueryArchive {
  public:
    explicit QueryArchive(QueryArchiveContext ctx) : ctx_(ctx) {}

    // Writes today's file for this patient from the patient state (the hand-off of
    // both queries). False after its own message when the ID cannot name a file or
    // the folder or file cannot be written; an earlier file of the day stays whole.
    bool write(const QString& patientId, const QString& ae);

    // The stored dates of the ID typed in CsrID, newest first, without repeats. An
    // ID that cannot name a file lists nothing.
    QStringList storedDates(const QString& typedId) const;
    // Enter in CsrID: fills the date list and opens the newest date once.
    void listStoredDates(const QString& typedId);
    // Opens the query of `date` (CdateList's text) for the ID typed in CsrID. A
    // text that is not a seven-digit date, or an ID that cannot name a file, opens
    // nothing. A damaged file changes nothing. Not re-entered while it runs.
    void reopen(const QString& date, const QString& typedId);

  private:
    QString absolute(const QString& relative) const { return ctx_.appPath + relative; }
    // The stored file of this date and ID, found without regard to case.
    QString findStoredFile(const QString& date, const QString& id) const;

    QueryArchiveContext ctx_;
    bool reopening_ = false;
};
