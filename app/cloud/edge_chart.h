#pragma once
// Logs in to the cloud record site with the card in the reader and reads its
// drug and laboratory tables (loadEdgeChart), or reads them from a patient page
// the user opened by hand (loadEdgeChartNoLogin).
//
// Nothing is read from a page before its "身分證號" is the patient's: the card's
// ID for "Read", the ID typed (and checked against the page) for "Direct Read".

#include <QString>
#include <QUrl>
#include <cstdint>
#include <functional>
#include <optional>

#include "edge_table.h"

class BrowserDriver;
class Clock;
class Prompts;
class StatusSink;

// What the cloud read takes from the window and the settings file. Held by
// reference, so a change of the check box or the spinner applies to the next read.
struct EdgeChartSettings {
    bool reinitializeWeb = false;  // CReinitializeWebCheck
    bool fastRead = false;         // CfastCloudRead: wait for conditions, not fixed times
    int zoomTenths = 8;            // Czoomfactor
    QString loginCaption = QStringLiteral("健保雲端系統2.0(實體健保卡)");  // CloginType
    QUrl URLaddr;
    QString appPath;          // where "check.log" goes
    QString errorFileFolder;  // where the laboratory error file goes; empty: current folder
};

class EdgeChartLoader {
  public:
    static constexpr std::uint32_t kHomeWaitMs = 20000;
    static constexpr std::uint32_t kLoginWaitMs = 10000;
    static constexpr int kLoginAttempts = 3;
    static constexpr std::uint32_t kConfirmWaitMs = 10000;
    static constexpr std::uint32_t kTabWaitMs = 10000;
    static constexpr std::uint32_t kPatientPageWaitMs = 1000;

    EdgeChartLoader(BrowserDriver& driver, Clock& clock, Prompts& prompts, StatusSink& status,
                    const EdgeChartSettings& settings);

    // Closes the card reader's port; called at the start of a read, so that the
    // site's login can reach the card.
    std::function<void()> closeReaderPort;

    // patientId: whose records may be read; a page of anyone else is refused with
    // "雲端藥歷病人與健保卡不符" and both IDs, and nothing is read from it.
    bool loadEdgeChart(const QString& patientId, QString& sDrug, QString& sLab);
    bool loadEdgeChartNoLogin(const QString& patientId, QString& sDrug, QString& sLab);

    // The cloud step of both flows: the elapsed-seconds display runs during the
    // read. False (after "雲端藥歷網頁無法登入") when the read failed and the
    // control software is of version 5000 or more: the flow ends there.
    bool runCloudRead(bool direct, int xHISversion, const QString& patientId, QString& sDrug,
                      QString& sLab);
    // Direct Read's first check: the open page is a patient page (holds "身分證號").
    // Shows "需在病人雲端藥歷用藥頁面才能正常執行" when not. The page's ID, empty
    // when it cannot be made out.
    std::optional<QString> patientPageOpen();

    // The ID that follows "身分證號" in a page's text or markup (tags are skipped),
    // upper-cased; empty when there is none.
    static QString pagePatientId(const QString& page);
    static QString mismatchMessage(const QString& pageId, const QString& cardId);

    // Scripts, exactly as the site expects them.
    static inline const QString kMenuText =
        QStringLiteral("encodeURI(document.querySelector(\"#menu-div\").innerText)");
    static inline const QString kChangeCardClick = QStringLiteral(
        "var nodeLista = document.getElementsByClassName(\"green-btn\");for (let i = 0; i < "
        "nodeLista.length; i++) {if (nodeLista[i].innerText == \"請換卡再按我\") "
        "{nodeLista[i].click();break;}}");
    static inline const QString kPageText =
        QStringLiteral("encodeURI(document.documentElement.innerText)");
    static inline const QString kPageHtml =
        QStringLiteral("encodeURI(document.documentElement.innerHTML)");
    static inline const QString kTabList = QStringLiteral(
        "encodeURI(document.querySelector(\"#menu-div > div.function-tab\").innerText)");
    static QString loginClick(const QString& caption);
    static QString tabSelector(int n);
    static QString tabClick(int n);
    static QString tabHtml(int n);

  private:
    bool loginAndConfirm();
    // After a login or a change of card: waits until the page is a logged-in record
    // page of patientId. False after its message.
    bool confirmPatientPage(const QString& patientId);
    // The 1-based position of caption in the tab list, 0 when absent.
    int tabNumber(const QString& caption);
    // Clicks the tab and waits until its link shows it open. A tab without data
    // or disabled is skipped quietly; a wait that runs out shows the kind's
    // count message.
    bool openTab(const QString& caption, EdgeTableKind kind);
    void writeCheckLog(const QString& sDrug);
    void startRead();

    BrowserDriver& driver_;
    Clock& clock_;
    Prompts& prompts_;
    StatusSink& status_;
    const EdgeChartSettings& settings_;
};
