#pragma once
// The two queries of the top bar: "Read" (the card in the reader, then the
// cloud records) and "Direct Read" (the cloud records of a patient page the
// user opened by hand). The flow decides the order of the steps, their gates
// and messages; it builds the query aside and hands it to the window once, at the
// end, however the query ends. The steps themselves belong to the card, cloud and
// report code.

#include <QString>
#include <functional>
#include <optional>

#include "card/patient_state.h"
#include "card/read_ic_card_data.h"
#include "query/query.h"
#include "startup_flow.h"
#include "system_settings.h"

class CardCodeLookups;
class Clock;
class ControlSoftware;
class EdgeChartLoader;
class Prompts;
class ReaderConnection;
class StatusSink;

enum class ReadMode { IcCard, Cloud, All };

// What the flows ask of the window.
class ReadFlowView {
  public:
    virtual ~ReadFlowView() = default;
    virtual ReadMode mode() const = 0;
    // The settings page as it is now (card categories, CcloudRefCheck, CsaveDataCheck).
    virtual settings::SystemSettings currentSettings() const = 0;
    // The whole window while a query runs.
    virtual void setWindowEnabled(bool enabled) = 0;
    // "Read" and "Direct Read" alone (Direct Read's page check pumps messages
    // before the window is disabled).
    virtual void setReadButtonsEnabled(bool enabled) = 0;
    virtual void showEdgePage() = 0;
    // The query on screen now.
    virtual const Query& shownQuery() const = 0;
    // The query replaces the one on screen, every view at once; showReport: the
    // drug report comes to the front (a query that reached its end).
    virtual void commitQuery(const Query& query, bool showReport) = 0;
};

// The steps of the services and the archive. Each one is required: the window
// gives a step that answers "nothing" itself where a partner is missing.
struct ReadFlowSteps {
    // The eligibility text for the query's patient. A card read it needs goes into
    // a record of its own and must find the same patient.
    std::function<QString(const PatientState& patient)> getAdultPrevent;
    // The referral text, or nothing when the query failed.
    std::function<std::optional<QString>(const PatientState& patient)> GetRefDataJSON;
    // Writes the query to the archive; false (after its own message) when it could not.
    std::function<bool(const Query& query)> writeArchive;
};

struct ReadFlowContext {
    ControlSoftware& cs;
    ReaderConnection& reader;
    EdgeChartLoader& cloud;
    CardCodeLookups& names;
    Clock& clock;
    Prompts& prompts;
    StatusSink& status;
    ReadFlowView& view;
    // The VPN state and the control software's version come from here.
    const StartupResult& startup;
};

class ReadFlow {
  public:
    static constexpr int kReferralMaxChars = 500;
    static constexpr int kReferralMaxBytes = 500;

    // Throws std::invalid_argument when a step is missing.
    ReadFlow(ReadFlowContext ctx, ReadFlowSteps steps);

    void Read();
    void DirectRead();

    // The ID typed for Direct Read, trimmed and upper-cased; nullopt unless it is
    // ten ASCII letters or digits (it names the archive file).
    static std::optional<QString> normalisedPatientId(const QString& typed);

  private:
    // These return false after showing the flow's failure message.
    bool ensureControlSoftware();
    std::optional<QString> readInstitutionCode();
    // The steps both queries start with (after disabling the window): the
    // institution code, or nullopt after the failure's message.
    std::optional<QString> beginQuery();
    void referralStep(Query& query);
    // The cloud read into the query; false when the flow ends here.
    bool cloudStep(bool direct, Query& query);
    // The steps both queries end with; false when the archive could not be written.
    bool finishQuery(Query& query);
    // Runs a query with the window disabled; an unexpected failure gets its own
    // message and the window is enabled on every way out.
    void runDisabled(const std::function<void()>& query);
    void runRead();
    void runDirectRead(const QString& patientId);
    void fail(const QString& message);

    ReadFlowContext ctx_;
    ReadFlowSteps steps_;
};
