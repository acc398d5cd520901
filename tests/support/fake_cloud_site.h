#pragma once
// A model of the cloud record site behind the FakeBrowser: it answers the exact
// scripts the program sends (page text, menu, tabs, table text and HTML, clicks)
// from a small state, with switches for the ways the site goes wrong.
//
// The site shows the patient of its session: the card in the reader when the
// login happened, or when the change-card click was taken. That click navigates;
// the site reads the new card before the page comes (changeDelayMs), may keep the
// old patient (changeNeverHappens), and the end of the page load before the click
// may arrive after the click's navigation has started (staleLoadMs).
//
// A tab is a link: its click navigates, and until the tab's page has loaded the
// page before it stays on show, with its own tab open (landingTab after a login
// or a change of card); a repaint that page had pending is lost with it.

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <cstdint>

#include "fake_browser.h"
#include "qstring_printer.h"

struct FakeTab {
    QString caption;
    bool disabled = false;
    QList<QString> pages;  // the table text of each page; empty: no data ("個案查無資料")
    QString tableNumber = "0";
    bool hasNextButton = true;
};

class FakeCloudSite {
  public:
    enum class State { NotLoaded, Portal, LoggedIn, Maintenance, NoPortalText };

    FakeCloudSite(VirtualClock& clock, FakeBrowser& browser);

    // A page text: header line twice, the rows (cells by tab), the pager line.
    static QString tablePage(const QStringList& columns, const QList<QStringList>& rows,
                             const QString& pager);

    State state = State::NotLoaded;
    State afterNavigate = State::Portal;  // what a navigation leads to
    bool loginWorks = true;
    bool pageNeverLoads = false;  // navigation starts but never completes
    std::uint32_t loginMs = 300;
    std::uint32_t tabOpenMs = 300;  // a tab click's page comes this much later
    int landingTab = 0;  // the tab open on the record page after a login or change of card
    std::uint32_t repaintMs = 300;  // a next click shows the new page after this
    bool nextDoesNothing = false;
    std::uint32_t changeDelayMs = 0;  // the change-card click's page comes this much later
    bool changeNeverHappens = false;  // the click leads back to the old patient's page
    std::uint32_t staleLoadMs = 0;    // 0: off; else the old load ends this long after the click
    bool tableNeverAppears = false;   // an open tab's table stays missing
    // An opened tab's table gets its rows this long after the tab shows open;
    // until then it is empty ("Showing 0 to 0 of 0"), or with oldTableUntilDrawn
    // still the table last shown.
    std::uint32_t tableDrawMs = 0;
    bool oldTableUntilDrawn = false;
    QList<FakeTab> tabs;                      // every patient's tabs...
    QMap<QString, QList<FakeTab>> byPatient;  // ...unless the patient has their own
    QString cardId = "A123456789";            // the patient card in the reader
    QString sessionId = "A123456789";         // the patient the site shows

    int openTab = 0;  // 1-based, 0: none
    int page = 0;     // 0-based page of the open tab
    int loginClicks = 0;
    int changeCardClicks = 0;
    int nextClicks = 0;
    QStringList clickedNext;  // the table numbers of the next clicks

  private:
    std::optional<FakeBrowser::Reply> answer(const QString& script);
    QString pageText() const;
    QString tabHtml(int n) const;
    const FakeTab* current() const;
    // A record page has loaded with the given tab open (0: none).
    void showRecordPage(int tab);
    const QList<FakeTab>& shownTabs() const;

    VirtualClock& clock_;
    FakeBrowser& browser_;
    quint64 lastNavigation_ = 0;
    int document_ = 0;           // counts the record pages loaded
    std::uint64_t drawnAt_ = 0;  // virtual ms at which the open tab's table has its rows
    QString lastTableText_;      // the table text last answered
};
