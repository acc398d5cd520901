#include "fake_browser.h"

#include <QDateTime>

void BrowserTestClock::pumpUpTo(std::uint32_t maxMs) {
    // Skip straight to the next event when it comes before maxMs.
    std::uint32_t step = maxMs == 0 ? 1 : maxMs;
    if (!due_.empty() && due_.begin()->first > total_)
        step = std::min<std::uint64_t>(step, due_.begin()->first - total_);
    advance(step);
}

QDateTime BrowserTestClock::now() {
    return QDateTime(QDate(2026, 1, 2), QTime(9, 0)).addMSecs(qint64(total_));
}

void BrowserTestClock::schedule(std::uint32_t delayMs, std::function<void()> action) {
    due_.emplace(total_ + delayMs, std::move(action));
}

void BrowserTestClock::advance(std::uint32_t ms) {
    total_ += ms;
    now_ += ms;
    // Events may schedule further events; take them one at a time.
    while (!due_.empty() && due_.begin()->first <= total_) {
        auto action = std::move(due_.begin()->second);
        due_.erase(due_.begin());
        action();
    }
}

FakeBrowser::FakeBrowser(BrowserTestClock& clock) : clock_(clock) {}

QString FakeBrowser::encodedJson(const QString& text) {
    // encodeURI leaves these unescaped; everything else goes as UTF-8 %XX.
    static const QByteArray kKeep = ";,/?:@&=+$-_.!~*'()#";
    return "\"" + QString::fromLatin1(text.toUtf8().toPercentEncoding(kKeep)) + "\"";
}

void FakeBrowser::scheduleNavigation(std::uint32_t startMs, std::uint32_t completeMs,
                                     bool isSuccess, int status, bool frame) {
    clock_.schedule(startMs, [this] { emit navigationStarting(address); });
    clock_.schedule(completeMs, [this, isSuccess, status, frame] {
        if (frame)
            emit frameNavigationCompleted(isSuccess, status);
        else
            emit navigationCompleted(isSuccess, status);
    });
}

void FakeBrowser::navigate(const QUrl& url) {
    navigations.append(url);
    address = url.toString();
    if (onNavigate)
        onNavigate(url);
    else
        scheduleNavigation(50, 200);
}

void FakeBrowser::runScript(const QString& script, quint64 requestId) {
    scripts.append(script);
    if (pageGone_) return;
    std::optional<Reply> reply = onScript ? onScript(script) : Reply{"null"};
    if (!reply) return;
    clock_.schedule(reply->delayMs, [this, requestId, json = reply->json] {
        emit scriptCompleted(requestId, json);
    });
}

void FakeBrowser::reinitialize() {
    ++reinitializations;
    pageGone_ = true;
    clock_.schedule(reinitializeMs, [this] { pageGone_ = false; });
}
