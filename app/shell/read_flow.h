#pragma once
// The two queries of the top bar: "Read" (the card in the reader, then the
// cloud records) and "Direct Read" (the cloud records of a patient page the
// user opened by hand). The flow decides the order of the steps, their gates,
// messages and which per-patient state each query resets; the steps themselves
// belong to the card, cloud and report code.

#include <QString>
#include <functional>
#include <optional>

#include "card/patient_state.h"
#include "card/read_ic_card_data.h"
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
    virtual void setReferralMemo(const QString& text) = 0;
    virtual void fillPTdata() = 0;
    virtual void fillCloudData() = 0;
    virtual void showCloud(const QString& kind) = 0;
    // Empties the hidden record lists and the report (a card-only query).
    virtual void clearCloudRecords() = 0;
};

// Steps that come with later work. Until they are wired they give their
// documented empty results: no eligibility text, no referral, nothing archived.
struct ReadFlowSteps {
    std::function<QString()> getAdultPrevent = [] { return QString(); };
    // The referral text, or nothing when the query failed.
    std::function<std::optional<QString>()> GetRefDataJSON = [] { return std::nullopt; };
    // Writes the archive; false (after its own message) when it could not.
    std::function<bool(const QString& patientId, const QString& ae)> writeArchive =
        [](const QString&, const QString&) { return true; };
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
    PatientState& patient;
    // The VPN state and the control software's version come from here.
    const StartupResult& startup;
};

class ReadFlow {
  public:
    static constexpr int kReferralMaxChars = 500;
    static constexpr int kReferralMaxBytes = 500;

    ReadFlow(ReadFlowContext ctx, ReadFlowSteps steps = {});

    void Read();
    void DirectRead();

    // The ID typed for Direct Read, trimmed and upper-cased; nullopt unless it is
    // ten ASCII letters or digits (it names the archive file).
    static std::optional<QString> normalisedPatientId(const QString& typed);

  private:
    // These return false after showing the flow's failure message.
    bool ensureControlSoftware();
    bool readInstitutionCode();
    // The steps both queries start with (after disabling the window).
    bool beginQuery();
    void referralStep();
    // The steps both queries end with; drawPages: refresh the patient pages.
    void finishQuery(ReadMode mode, const QString& patientId, const QString& ae, bool drawPages);
    // Runs a query with the window disabled; an unexpected failure gets its own
    // message and the window is enabled on every way out.
    void runDisabled(const std::function<void()>& query);
    void runRead();
    void runDirectRead(const QString& patientId);
    void fail(const QString& message);

    ReadFlowContext ctx_;
    ReadFlowSteps steps_;
};
