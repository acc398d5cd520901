#pragma once
// A scripted Browser for unit tests, and a virtual clock that delivers its
// events: every pump moves virtual time on and hands out the events that are due,
// so a 30-second browser wait runs in microseconds.

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>

#include "cloud/browser.h"
#include "common/clock.h"

class BrowserTestClock : public Clock {
  public:
    // Virtual milliseconds one pump() moves on.
    static constexpr std::uint32_t kPumpStepMs = 10;

    explicit BrowserTestClock(std::uint32_t start = 0) : now_(start) {}

    std::uint32_t tickCount() override { return now_; }
    void pump() override { advance(kPumpStepMs); }
    void pumpUpTo(std::uint32_t maxMs) override;
    QDateTime now() override;

    // Runs `action` once `delayMs` of virtual time have passed.
    void schedule(std::uint32_t delayMs, std::function<void()> action);
    std::uint32_t passedSince(std::uint32_t mark) const { return now_ - mark; }

  private:
    void advance(std::uint32_t ms);

    std::uint32_t now_;
    std::uint64_t total_ = 0;  // unwrapped time, orders the events
    std::multimap<std::uint64_t, std::function<void()>> due_;
};

class FakeBrowser : public Browser {
    Q_OBJECT
  public:
    struct Reply {
        QString json;                // the JSON text the script gives
        std::uint32_t delayMs = 20;  // when it arrives
    };
    // Answers a script, or nullopt for no answer at all.
    using ScriptHandler = std::function<std::optional<Reply>(const QString& script)>;
    using NavigateHandler = std::function<void(const QUrl& url)>;

    explicit FakeBrowser(BrowserTestClock& clock);

    void navigate(const QUrl& url) override;
    void runScript(const QString& script, quint64 requestId) override;
    void setZoomFactor(double factor) override { zooms.append(factor); }
    void reinitialize() override;
    QString currentAddress() const override { return address; }

    // A JSON string as a script returning encodeURI() of `text` gives it.
    static QString encodedJson(const QString& text);

    // Emits the events of a navigation at the given virtual times from now.
    void scheduleNavigation(std::uint32_t startMs, std::uint32_t completeMs, bool isSuccess = true,
                            int status = 0, bool frame = false);

    ScriptHandler onScript;              // default: every script answers "null"
    NavigateHandler onNavigate;          // default: start after 50 ms, success after 200 ms
    std::uint32_t reinitializeMs = 300;  // how long the page is gone after reinitialize()

    QStringList scripts;  // every script run, in order (dropped ones included)
    QList<QUrl> navigations;
    QList<double> zooms;
    int reinitializations = 0;
    QString address;

  private:
    BrowserTestClock& clock_;
    bool pageGone_ = false;
};
