#include "edge_chart.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include "browser_driver.h"
#include "common/atomic_file.h"
#include "common/clock.h"
#include "common/prompts.h"
#include "common/status_sink.h"

namespace {
const QString kLoggedIn = QStringLiteral("請換卡再按我");
const QString kPortal = QStringLiteral("健保雲端系統2.0(實體健保卡)");
const QString kMaintenance = QStringLiteral("網頁維護中..請稍候再試");
const QString kDrugTab = QStringLiteral("西醫用藥");
const QString kLabTab = QStringLiteral("檢查與檢驗");
const QString kClickError = QStringLiteral("點擊查詢頁錯誤");
const QString kIdCaption = QStringLiteral("身分證號");
}  // namespace

EdgeChartLoader::EdgeChartLoader(BrowserDriver& driver, Clock& clock, Prompts& prompts,
                                 StatusSink& status, const EdgeChartSettings& settings)
    : driver_(driver), clock_(clock), prompts_(prompts), status_(status), settings_(settings) {}

QString EdgeChartLoader::loginClick(const QString& caption) {
    return "var nodeList = document.getElementsByClassName(\"login-btn blue2\");for (let i = 0; "
           "i < nodeList.length; i++) {if (nodeList[i].innerText == \"" +
           caption + "\") {nodeList[i].click();break;}" + "}";
}

QString EdgeChartLoader::tabSelector(int n) {
    return "document.querySelector(\"#menu-div > div.function-tab > a:nth-child(" +
           QString::number(n) + ")\")";
}

QString EdgeChartLoader::tabClick(int n) { return tabSelector(n) + ".click();"; }

QString EdgeChartLoader::tabHtml(int n) { return "encodeURI(" + tabSelector(n) + ".outerHTML)"; }

void EdgeChartLoader::startRead() {
    driver_.setFastWaits(settings_.fastRead);
    if (settings_.reinitializeWeb) driver_.browser().reinitialize();
    if (closeReaderPort) closeReaderPort();
    driver_.clearNavigationFlags();
}

QString EdgeChartLoader::pagePatientId(const QString& page) {
    const qsizetype at = page.indexOf(kIdCaption);
    if (at < 0) return {};
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    QString rest = page.mid(at + kIdCaption.size(), 400);
    rest.replace(tag, QStringLiteral(" "));
    qsizetype i = 0;
    auto idChar = [](QChar c) { return c.unicode() < 128 && c.isLetterOrNumber(); };
    // Between the caption and the ID only blanks, colons and markup.
    while (i < rest.size() && (rest.at(i).isSpace() || rest.at(i) == u':' || rest.at(i) == u'：'))
        ++i;
    const qsizetype from = i;
    while (i < rest.size() && idChar(rest.at(i))) ++i;
    return rest.mid(from, i - from).toUpper();
}

QString EdgeChartLoader::mismatchMessage(const QString& pageId, const QString& cardId) {
    return QStringLiteral("雲端藥歷病人與健保卡不符\r\n雲端藥歷: ") + pageId +
           QStringLiteral("\r\n健保卡: ") + cardId;
}

bool EdgeChartLoader::loadEdgeChart(const QString& patientId, QString& sDrug, QString& sLab) {
    startRead();
    const bool result = true;
    if (driver_.GetEdgeText(kMenuText).contains(kLoggedIn)) {
        // Logged in with an earlier card: take the card now in the reader. The
        // earlier patient's page stays until the site has read the new card, so
        // only the end of the navigation this click starts can say it has.
        driver_.clearNavigationFlags();
        driver_.runScript(kChangeCardClick);
        driver_.waitEdgeComplete();
    } else if (!loginAndConfirm()) {
        return false;
    }

    driver_.browser().setZoomFactor(settings_.zoomTenths / 10.0);
    if (!confirmPatientPage(patientId)) return false;

    status_.setMsg1(QStringLiteral("雲端藥歷登入正常"));
    EdgeTableReader tables(driver_, prompts_, settings_.errorFileFolder);
    sDrug.clear();
    if (openTab(kDrugTab, EdgeTableKind::Drug)) {
        driver_.fixedPause(500);
        tables.readEdgeTable(EdgeTableKind::Drug, sDrug);
    }
    writeCheckLog(sDrug);
    sLab.clear();
    if (openTab(kLabTab, EdgeTableKind::Lab)) {
        driver_.fixedPause(500);
        tables.readEdgeTable(EdgeTableKind::Lab, sLab);
    }
    return result;
}

bool EdgeChartLoader::confirmPatientPage(const QString& patientId) {
    const QString wanted = patientId.trimmed().toUpper();
    bool loggedIn = false;
    QString shown;
    const std::uint32_t mark = clock_.tickCount();
    do {
        driver_.fixedPause(500);
        const QString webText = driver_.GetEdgeText(kPageText);
        if (webText.contains(kLoggedIn)) {
            loggedIn = true;
            shown = pagePatientId(webText);
            if (!wanted.isEmpty() && shown == wanted) return true;
        }
        driver_.pollGap();
    } while (Clock::elapsed(mark, clock_.tickCount()) <= kConfirmWaitMs);
    prompts_.message(loggedIn ? mismatchMessage(shown, wanted) : kClickError);
    return false;
}

bool EdgeChartLoader::loginAndConfirm() {
    driver_.navigate(settings_.URLaddr);
    if (!driver_.waitEdgeComplete()) {
        prompts_.message(QStringLiteral("網頁下載錯誤或逾時1"));
        return false;
    }
    QString webText;
    std::uint32_t mark = clock_.tickCount();
    do {
        webText = driver_.GetEdgeText(kPageText);
        driver_.fixedPause(500);
        if (webText.isEmpty()) driver_.pollGap();
    } while (webText.isEmpty() && Clock::elapsed(mark, clock_.tickCount()) <= kHomeWaitMs);
    if (webText.isEmpty()) {
        prompts_.message(
            QStringLiteral("無法取得網頁內容(首頁)%1秒)").arg(driver_.elapsedSeconds()));
        return false;
    }
    if (webText.contains(kMaintenance)) {
        prompts_.message(kMaintenance);
        return false;
    }
    if (!webText.contains(kPortal)) {
        prompts_.message(QStringLiteral("網頁下載錯誤或逾時2"));
        return false;
    }
    for (int attempt = 0; attempt < kLoginAttempts; ++attempt) {
        driver_.runScript(loginClick(settings_.loginCaption));
        mark = clock_.tickCount();
        do {
            clock_.pump();
            if (driver_.GetEdgeText(kPageText).contains(kLoggedIn)) return true;
            driver_.pollGap();
        } while (Clock::elapsed(mark, clock_.tickCount()) <= kLoginWaitMs);
    }
    prompts_.message(QStringLiteral("嘗試點擊查詢頁錯誤"));
    return false;
}

int EdgeChartLoader::tabNumber(const QString& caption) {
    const QStringList captions = driver_.GetEdgeText(kTabList).split(u'\n');
    const qsizetype i = captions.indexOf(caption);
    return i < 0 ? 0 : int(i) + 1;
}

bool EdgeChartLoader::openTab(const QString& caption, EdgeTableKind kind) {
    const int n = tabNumber(caption);
    if (n == 0) return false;  // the site has no such tab: nothing to wait for
    // The tab is a link: until its page has loaded, the page before it stays, and
    // shows this very tab open when it was open already (the record page comes
    // with the first tab open). Only the fast pacing looks soon enough to see that
    // page, so it takes "open" only once the page the click started has loaded.
    driver_.clearNavigationFlags();
    driver_.runScript(tabClick(n));
    const QString title = "title=" + caption;
    const std::uint32_t mark = clock_.tickCount();
    do {
        driver_.fixedPause(500);
        // The first look comes a poll gap after the click, once the navigation
        // it starts has made itself known.
        driver_.pollGap();
        const QString html = driver_.GetEdgeText(tabHtml(n));
        if (html.contains(title)) {
            if (html.contains(QLatin1String("class=current"))) {
                if (!driver_.fastWaits() || driver_.navigationSettled()) return true;
            } else if (html.contains(QStringLiteral("個案查無資料")) ||
                       html.contains(QLatin1String("class=disable"))) {
                return false;
            }
        }
    } while (Clock::elapsed(mark, clock_.tickCount()) <= kTabWaitMs);
    prompts_.message(EdgeTableReader::countMessage(kind));
    return false;
}

void EdgeChartLoader::writeCheckLog(const QString& sDrug) {
    const QString path = QDir(settings_.appPath).filePath(QStringLiteral("check.log"));
    if (sDrug.isEmpty() || QFile::exists(path)) return;
    // A failed write is skipped: the file is only a sample for diagnosis.
    writeTextFileAtomically(path, sDrug + "\r\n");
}

bool EdgeChartLoader::loadEdgeChartNoLogin(const QString& patientId, QString& sDrug,
                                           QString& sLab) {
    startRead();
    driver_.browser().setZoomFactor(settings_.zoomTenths / 10.0);
    bool found = false;
    QString webText;
    const std::uint32_t mark = clock_.tickCount();
    do {
        clock_.pump();
        webText = driver_.GetEdgeText(kPageText);
        found = webText.contains(kLabTab);
        if (!found) driver_.pollGap();
    } while (!found && Clock::elapsed(mark, clock_.tickCount()) <= kConfirmWaitMs);
    if (!found) {
        prompts_.message(kClickError);
        return false;
    }
    // The user may have opened another patient's page since the ID was typed.
    const QString wanted = patientId.trimmed().toUpper();
    if (const QString shown = pagePatientId(webText); wanted.isEmpty() || shown != wanted) {
        prompts_.message(mismatchMessage(shown, wanted));
        return false;
    }

    status_.setMsg1(QStringLiteral("雲端藥歷查詢中..."));
    EdgeTableReader tables(driver_, prompts_, settings_.errorFileFolder);
    sDrug.clear();
    // Like the full read, a table is read only once its own tab shows open, so
    // the laboratory table can never end up in the drug text.
    if (driver_.browser().currentAddress().contains(QLatin1String("/IMUE1000/"))) {
        const int n = tabNumber(kDrugTab);
        if (n != 0 && !driver_.GetEdgeText(tabHtml(n)).contains(QLatin1String("class=disable")) &&
            openTab(kDrugTab, EdgeTableKind::Drug))
            tables.readEdgeTable(EdgeTableKind::Drug, sDrug);
    }
    writeCheckLog(sDrug);
    sLab.clear();
    const int n = tabNumber(kLabTab);
    if (n == 0 || driver_.GetEdgeText(tabHtml(n)).contains(QLatin1String("class=disable")))
        return true;
    if (openTab(kLabTab, EdgeTableKind::Lab)) {
        driver_.fixedPause(500);
        tables.readEdgeTable(EdgeTableKind::Lab, sLab);
    }
    return true;
}

bool EdgeChartLoader::runCloudRead(bool direct, int xHISversion, const QString& patientId,
                                   QString& sDrug, QString& sLab) {
    driver_.startWebTimer();
    const bool ok = direct ? loadEdgeChartNoLogin(patientId, sDrug, sLab)
                           : loadEdgeChart(patientId, sDrug, sLab);
    driver_.stopWebTimer();
    if (!ok && xHISversion >= 5000) {
        // The flow ends here: the seconds of the read must not stay on show.
        const QString failed = QStringLiteral("雲端藥歷網頁無法登入");
        status_.setMsg1(failed);
        prompts_.message(failed);
        return false;
    }
    return true;
}

std::optional<QString> EdgeChartLoader::patientPageOpen() {
    driver_.setFastWaits(settings_.fastRead);
    const std::uint32_t mark = clock_.tickCount();
    do {
        clock_.pump();
        const QString html = driver_.GetEdgeText(kPageHtml);
        if (html.contains(kIdCaption)) return pagePatientId(html);
        driver_.pollGap();
    } while (Clock::elapsed(mark, clock_.tickCount()) <= kPatientPageWaitMs);
    prompts_.message(QStringLiteral("需在病人雲端藥歷用藥頁面才能正常執行"));
    return std::nullopt;
}
