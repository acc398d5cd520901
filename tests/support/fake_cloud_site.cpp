#include "fake_cloud_site.h"

#include "cloud/edge_chart.h"
#include "cloud/edge_table.h"

namespace {
FakeBrowser::Reply text(const QString& t) { return {FakeBrowser::encodedJson(t), 30}; }
FakeBrowser::Reply none() { return {QStringLiteral("null"), 30}; }
}  // namespace

FakeCloudSite::FakeCloudSite(VirtualClock& clock, FakeBrowser& browser)
    : clock_(clock), browser_(browser) {
    browser_.onScript = [this](const QString& s) { return answer(s); };
    browser_.onNavigate = [this](const QUrl&) {
        state = State::NotLoaded;
        openTab = 0;
        if (!pageNeverLoads) clock_.after(200, [this] { state = afterNavigate; });
        lastNavigation_ = browser_.scheduleNavigation(50, pageNeverLoads ? 1000000 : 200);
    };
    browser_.address = "https://127.0.0.1/imu/IMUE1000/";
}

QString FakeCloudSite::tablePage(const QStringList& columns, const QList<QStringList>& rows,
                                 const QString& pager) {
    QString t = columns.join('\t') + "\n" + columns.join('\t') + "\n";
    for (const QStringList& r : rows) t += r.join('\t') + "\n";
    return t + pager + "\nPrevious\n1\n2\nNext";
}

const QList<FakeTab>& FakeCloudSite::shownTabs() const {
    const auto own = byPatient.find(sessionId);
    return own != byPatient.end() ? *own : tabs;
}

void FakeCloudSite::showRecordPage(int tab) {
    openTab = tab;
    page = 0;
    ++document_;
    drawnAt_ = clock_.elapsedMs() + tableDrawMs;
}

const FakeTab* FakeCloudSite::current() const {
    const QList<FakeTab>& t = shownTabs();
    return openTab >= 1 && openTab <= t.size() ? &t.at(openTab - 1) : nullptr;
}

QString FakeCloudSite::pageText() const {
    switch (state) {
        case State::NotLoaded:
            return {};
        case State::Portal:
            return "健保雲端系統2.0(實體健保卡)\n健保雲端系統2.0(虛擬健保卡)";
        case State::Maintenance:
            return "網頁維護中..請稍候再試";
        case State::NoPortalText:
            return "歡迎";
        case State::LoggedIn:
            break;
    }
    QString t = "身分證號 " + sessionId + "\n請換卡再按我\n";
    for (const FakeTab& tab : shownTabs()) t += tab.caption + "\n";
    if (const FakeTab* tab = current(); tab && tab->pages.isEmpty()) t += "個案查無資料";
    return t;
}

QString FakeCloudSite::tabHtml(int n) const {
    const FakeTab& tab = shownTabs().at(n - 1);
    const QString cls = tab.disabled ? "disable" : (n == openTab ? "current" : "");
    return "<a href=\"#\" title=\"" + tab.caption + "\" class=\"" + cls + "\">" + tab.caption +
           "</a>";
}

std::optional<FakeBrowser::Reply> FakeCloudSite::answer(const QString& s) {
    const bool loggedIn = state == State::LoggedIn;
    if (s == EdgeChartLoader::kPageText)
        return state == State::NotLoaded ? none() : text(pageText());
    if (s == EdgeChartLoader::kPageHtml)
        return loggedIn ? text("<td>身分證號</td><td>" + sessionId + "</td>")
                        : text("<p>" + pageText() + "</p>");
    if (s == EdgeChartLoader::kMenuText) return loggedIn ? text(pageText()) : none();
    if (s == EdgeChartLoader::loginClick("健保雲端系統2.0(實體健保卡)")) {
        ++loginClicks;
        if (state == State::Portal && loginWorks)
            clock_.after(loginMs, [this] {
                state = State::LoggedIn;
                sessionId = cardId;
                showRecordPage(landingTab);
            });
        return none();
    }
    if (s == EdgeChartLoader::kChangeCardClick) {
        ++changeCardClicks;
        if (!loggedIn) return none();
        // The old page stays until the site has read the card; then the new one loads.
        const std::uint32_t done = 200 + changeDelayMs;
        clock_.after(done, [this] {
            if (!changeNeverHappens) sessionId = cardId;
            showRecordPage(landingTab);
        });
        if (staleLoadMs > 0)
            clock_.after(staleLoadMs, [this, old = lastNavigation_] {
                emit browser_.navigationCompleted(true, 0, old);
            });
        lastNavigation_ = browser_.scheduleNavigation(50, done);
        return none();
    }
    if (!loggedIn) return none();
    const QList<FakeTab>& tabs = shownTabs();
    if (s == EdgeChartLoader::kTabList) {
        QStringList captions;
        for (const FakeTab& tab : tabs) captions << tab.caption;
        return text(captions.join('\n'));
    }
    for (int n = 1; n <= tabs.size(); ++n) {
        if (s == EdgeChartLoader::tabHtml(n)) return text(tabHtml(n));
        if (s == EdgeChartLoader::tabClick(n)) {
            if (!tabs.at(n - 1).disabled) {
                // A tab is a link: the page shown stays until the tab's page has loaded.
                lastNavigation_ = browser_.scheduleNavigation(10, tabOpenMs);
                clock_.after(tabOpenMs, [this, n] { showRecordPage(n); });
            }
            return none();
        }
    }
    const FakeTab* tab = current();
    // The table scripts give empty text without a table, or the page's no-data text.
    const bool table = tab && !tab->pages.isEmpty() && !tableNeverAppears;
    if (s == EdgeTableReader::kTableText) {
        if (table && clock_.elapsedMs() < drawnAt_) {
            if (oldTableUntilDrawn) return text(lastTableText_);
            const QString header = tab->pages.at(0).section(u'\n', 0, 0);
            return text(header + "\n" + header +
                        "\nNo data available in table\nShowing 0 to 0 of 0 entries");
        }
        if (table) lastTableText_ = tab->pages.at(page);
        return text(table ? tab->pages.at(page)
                          : (tab && tab->pages.isEmpty() ? EdgeTableReader::kNoData : QString()));
    }
    if (s == EdgeTableReader::kTableHtml && !table) return text(QString());
    if (!table) return none();
    if (s == EdgeTableReader::kTableHtml) {
        QString html = "<div id=\"TableDiv\"><table></table>";
        if (tab->hasNextButton)
            html += "<a class=\"paginate_button next\" aria-controls=\"DataTables_Table_" +
                    tab->tableNumber + "\" id=\"DataTables_Table_" + tab->tableNumber +
                    "_next\">Next</a>";
        return text(html + "</div>");
    }
    for (const QString& n : {tab->tableNumber, QString()}) {
        if (s == EdgeTableReader::nextClickScript(n)) {
            ++nextClicks;
            clickedNext << n;
            // A click naming no element does nothing, as on the real page.
            if (!n.isEmpty() && n == tab->tableNumber && !nextDoesNothing)
                clock_.after(repaintMs, [this, doc = document_] {
                    // A page loaded meanwhile has its own table; the old one's
                    // repaint is gone with it.
                    if (doc != document_) return;
                    if (const FakeTab* t = current(); t && page + 1 < t->pages.size()) ++page;
                });
            return none();
        }
    }
    return none();
}
