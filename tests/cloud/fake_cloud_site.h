#pragma once
// A model of the cloud record site behind the FakeBrowser: it answers the exact
// scripts the program sends (page text, menu, tabs, table text and HTML, clicks)
// from a small state, with switches for the ways the site goes wrong.

#include <QList>
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
    std::uint32_t tabOpenMs = 300;
    std::uint32_t repaintMs = 300;  // a next click shows the new page after this
    bool nextDoesNothing = false;
    QList<FakeTab> tabs;

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

    VirtualClock& clock_;
    FakeBrowser& browser_;
};
