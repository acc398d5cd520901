#include "browser_driver.h"

#include <QByteArray>

#include "common/clock.h"
#include "common/status_sink.h"

BrowserDriver::BrowserDriver(Browser& browser, Clock& clock, StatusSink& status)
    : browser_(browser), clock_(clock), status_(status) {
    connect(&browser_, &Browser::navigationStarting, this, &BrowserDriver::CedgeNavigationStarting);
    connect(&browser_, &Browser::navigationCompleted, this,
            &BrowserDriver::CedgeNavigationCompleted);
    connect(&browser_, &Browser::frameNavigationCompleted, this,
            &BrowserDriver::CedgeFrameNavigationCompleted);
    connect(&browser_, &Browser::scriptCompleted, this, &BrowserDriver::CedgeExecuteScript);
}

BrowserDriver::~BrowserDriver() = default;

QString BrowserDriver::GetEdgeText(const QString& sJava) {
    sEdgeText_.clear();
    ++textReads_;
    awaitedRequestId_ = nextRequestId_++;
    resultArrived_ = false;
    bDoGetEdgeText_ = true;
    browser_.runScript(sJava, awaitedRequestId_);
    if (fastWaits_) {
        // Only this request's answer ends the wait; nothing else can come for it.
        WaitFor(clock_, kScriptWindowMs, [this] { return resultArrived_; });
    } else {
        Delay(clock_, kScriptWindowMs);
    }
    bDoGetEdgeText_ = false;
    awaitedRequestId_ = 0;
    return sEdgeText_;
}

void BrowserDriver::fixedPause(std::uint32_t ms) {
    if (!fastWaits_) Delay(clock_, ms);
}

void BrowserDriver::pollGap() {
    if (fastWaits_) Delay(clock_, kFastPollMs);
}

void BrowserDriver::runScript(const QString& script) {
    browser_.runScript(script, nextRequestId_++);
}

bool BrowserDriver::waitEdgeComplete() {
    // Both waits sleep between the browser's events; a slow site costs no processor
    // time. A loss of the network after the start ends neither: only a completion does.
    if (!WaitFor(clock_, kStartWaitMs, [this] { return bWebLoadStart_; }) || bEdgeErr_)
        return false;
    return WaitFor(clock_, kCompleteWaitMs, [this] { return bWebLoadComplete_; });
}

void BrowserDriver::clearNavigationFlags() {
    startedNavigation_ = 0;
    bWebLoadStart_ = false;
    bWebLoadComplete_ = false;
    bEdgeErr_ = false;
}

void BrowserDriver::navigate(const QUrl& url) {
    clearNavigationFlags();
    browser_.navigate(url);
}

void BrowserDriver::startWebTimer() {
    webReadStartTime_ = clock_.tickCount();
    webTimer_ = clock_.startTimer(kWebTimerMs, [this] { WebTimerTimer(); });
}

void BrowserDriver::stopWebTimer() { webTimer_.reset(); }

int BrowserDriver::elapsedSeconds() {
    return roundedSeconds(Clock::elapsed(webReadStartTime_, clock_.tickCount()));
}

void BrowserDriver::WebTimerTimer() {
    status_.setMsg1(QStringLiteral("讀雲端藥歷中(%1秒)...").arg(elapsedSeconds()));
}

void BrowserDriver::CedgeNavigationStarting(const QString& uri, quint64 navigationId) {
    Q_UNUSED(uri);
    bWebLoadStart_ = true;
    startedNavigation_ = navigationId;
}

void BrowserDriver::CedgeNavigationCompleted(bool isSuccess, int webErrorStatus,
                                             quint64 navigationId) {
    completed(isSuccess, webErrorStatus, navigationId);
}

void BrowserDriver::CedgeFrameNavigationCompleted(bool isSuccess, int webErrorStatus,
                                                  quint64 navigationId) {
    completed(isSuccess, webErrorStatus, navigationId);
}

void BrowserDriver::completed(bool isSuccess, int webErrorStatus, quint64 navigationId) {
    // Only the end of the navigation whose start was seen counts: anything else is
    // the tail of an earlier one, however late it arrives.
    if (!bWebLoadStart_ || navigationId != startedNavigation_) return;
    if (!isSuccess && webErrorStatus == Browser::kErrorStatusDisconnected)
        bEdgeErr_ = true;
    else
        bWebLoadComplete_ = true;
}

void BrowserDriver::CedgeExecuteScript(quint64 requestId, const QString& resultJson) {
    if (!bDoGetEdgeText_ || requestId != awaitedRequestId_) return;
    resultArrived_ = true;
    if (resultJson == QLatin1String("null")) return;
    sEdgeText_ = decodeScriptResult(resultJson);
}

namespace {
int hexValue(QChar c) {
    if (c >= u'0' && c <= u'9') return c.unicode() - u'0';
    if (c >= u'a' && c <= u'f') return c.unicode() - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c.unicode() - u'A' + 10;
    return -1;
}
}  // namespace

QString BrowserDriver::decodeScriptResult(const QString& json) {
    QByteArray bytes;
    bytes.reserve(json.size());
    const qsizetype n = json.size();
    for (qsizetype i = 0; i < n;) {
        const QChar c = json.at(i);
        if (c == u'%' && i + 2 < n && hexValue(json.at(i + 1)) >= 0 &&
            hexValue(json.at(i + 2)) >= 0) {
            bytes.append(char(hexValue(json.at(i + 1)) * 16 + hexValue(json.at(i + 2))));
            i += 3;
        } else if (c == u'%' && i + 1 < n && json.at(i + 1) == u'%') {
            bytes.append('%');
            i += 2;
        } else if (c.unicode() < 128) {
            // A "+" is left alone: encodeURI keeps the page's "+" as it is.
            bytes.append(char(c.unicode()));
            ++i;
        } else {
            qsizetype j = i;
            while (j < n && json.at(j).unicode() >= 128) ++j;
            bytes.append(json.mid(i, j - i).toUtf8());
            i = j;
        }
    }
    const QString text = QString::fromUtf8(bytes);
    if (text.size() < 2 || !text.startsWith(u'"') || !text.endsWith(u'"')) return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 1; i < text.size() - 1; ++i) {
        if (text.at(i) != u'"') {
            out += text.at(i);
        } else if (i + 1 < text.size() - 1 && text.at(i + 1) == u'"') {
            out += u'"';
            ++i;
        }
    }
    return out;
}

int BrowserDriver::roundedSeconds(std::uint32_t ms) {
    std::uint32_t q = ms / 1000;
    const std::uint32_t r = ms % 1000;
    if (r > 500 || (r == 500 && (q % 2) == 1)) ++q;
    return int(q);
}
