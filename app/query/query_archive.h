#pragma once
// The local query archive's three operations: write today's query of a patient,
// list the days stored for an ID, and reopen one of them as the query on screen.
// The file itself is archive_file.h.

#include <QDate>
#include <QString>
#include <QStringList>

#include "query.h"

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
    // The reopened query replaces the one on screen, every view at once.
    virtual void commitQuery(const Query& query, bool showReport) = 0;
};

struct QueryArchiveContext {
    QString appPath;  // the program folder, ending in "/"
    Clock& clock;     // message pumping
    Prompts& prompts;
    StatusSink& status;
    QueryArchiveView& view;
};

class QueryArchive {
  public:
    explicit QueryArchive(QueryArchiveContext ctx) : ctx_(ctx) {}

    // Writes the file of the query's day for its patient (the hand-off of both
    // queries). False after its own message when the ID cannot name a file or the
    // folder or file cannot be written; an earlier file of the day stays whole.
    bool write(const Query& query);

    // The stored dates of the ID typed in CsrID, newest first, without repeats. An
    // ID that cannot name a file lists nothing.
    QStringList storedDates(const QString& typedId) const;
    // Enter in CsrID: fills the date list and opens the newest date once.
    void listStoredDates(const QString& typedId);
    // Opens the query of `date` (CdateList's text) for the ID typed in CsrID. A
    // text that is not a seven-digit date, or an ID that cannot name a file, opens
    // nothing. A file read whole is committed as the query on screen, dated its
    // stored day; a damaged file commits nothing. Not re-entered while it runs.
    void reopen(const QString& date, const QString& typedId);

  private:
    QString absolute(const QString& relative) const { return ctx_.appPath + relative; }
    // The stored file of this date and ID, found without regard to case.
    QString findStoredFile(const QString& date, const QString& id) const;

    QueryArchiveContext ctx_;
    bool reopening_ = false;
};
