#pragma once
// The thin layer between the cloud logic and the embedded browser: the
// navigation flags set by the browser's events, GetEdgeText (run a script and
// read its decoded text), waitEdgeComplete (wait for a navigation the caller
// just started) and the elapsed-seconds status tick.
//
// Two rules keep stale events from confirming the wrong thing:
// - every script run carries its own request id, and GetEdgeText takes only the
//   result of the request it sent; a late result of an earlier call is dropped;
// - clearNavigationFlags() starts a new navigation; a completion counts only
//   when it carries the number of a start seen since then, so the tail of an
//   earlier navigation (or a frame of the old page), even one arriving after the
//   new start, never confirms the new one.
//
// The pacing of a cloud read has two forms. The default one waits fixed times:
// a text read always fills its whole window, and the polls of the cloud pages
// pause a fixed time before each look. The fast one (an opt-in setting) waits
// for conditions under the same limits: a text read ends as soon as its own
// result is in, and a poll looks at once and again every kFastPollMs. Every
// guard stays as it is; only the time spent waiting for a condition that
// already holds goes.

#include <QObject>
#include <QString>
#include <QUrl>
#include <cstdint>
#include <memory>

#include "browser.h"

class Clock;
class ClockTimer;
class StatusSink;

class BrowserDriver : public QObject {
    Q_OBJECT
  public:
    // How long GetEdgeText waits for a result; with the default pacing it never
    // ends early.
    static constexpr std::uint32_t kScriptWindowMs = 500;
    // The gap between two looks of a poll with the fast pacing.
    static constexpr std::uint32_t kFastPollMs = 50;
    static constexpr std::uint32_t kStartWaitMs = 10000;
    static constexpr std::uint32_t kCompleteWaitMs = 30000;
    static constexpr std::uint32_t kWebTimerMs = 1000;

    BrowserDriver(Browser& browser, Clock& clock, StatusSink& status);
    ~BrowserDriver() override;

    Browser& browser() { return browser_; }
    Clock& clock() { return clock_; }

    // Runs sJava (an "encodeURI(...)" expression) and returns its decoded text,
    // or empty text when no result of this request came within the window.
    QString GetEdgeText(const QString& sJava);
    // How many GetEdgeText calls were made (each costs one window).
    quint64 textReads() const { return textReads_; }
    // A script whose result is not read (a click).
    void runScript(const QString& script);
    // Waits for the navigation that the caller has just started.
    bool waitEdgeComplete();

    // The pacing of the reads from now on (see the top of this file).
    void setFastWaits(bool fast) { fastWaits_ = fast; }
    bool fastWaits() const { return fastWaits_; }
    // A fixed pause of the default pacing; with the fast one nothing (the poll
    // that follows waits for what the pause was there for).
    void fixedPause(std::uint32_t ms);
    // The gap between two looks of a poll with the fast pacing; with the default
    // one nothing, as its text reads and fixed pauses pace the poll.
    void pollGap();

    // Forget every earlier navigation; call just before the navigate or click
    // that the next waitEdgeComplete (or flag check) is to confirm.
    void clearNavigationFlags();
    // clearNavigationFlags() and navigate.
    void navigate(const QUrl& url);

    // No navigation has started since the flags were cleared, or the one that
    // started has ended (either way).
    bool navigationSettled() const { return !bWebLoadStart_ || bWebLoadComplete_ || bEdgeErr_; }

    bool bWebLoadStart() const { return bWebLoadStart_; }
    bool bWebLoadComplete() const { return bWebLoadComplete_; }
    bool bEdgeErr() const { return bEdgeErr_; }
    bool bDoGetEdgeText() const { return bDoGetEdgeText_; }

    // The elapsed-seconds display of a cloud read: startWebTimer() notes the
    // start and ticks WebTimerTimer once a second, on the clock, until stopWebTimer().
    void startWebTimer();
    void stopWebTimer();
    bool webTimerActive() const { return webTimer_ != nullptr; }
    void WebTimerTimer();
    std::uint32_t webReadStartTime() const { return webReadStartTime_; }
    // Seconds since the start of the cloud read, rounded halves to even.
    int elapsedSeconds();

    // Event handlers (connected to the browser's signals).
    void CedgeNavigationStarting(const QString& uri, quint64 navigationId);
    void CedgeNavigationCompleted(bool isSuccess, int webErrorStatus, quint64 navigationId);
    void CedgeFrameNavigationCompleted(bool isSuccess, int webErrorStatus, quint64 navigationId);
    void CedgeExecuteScript(quint64 requestId, const QString& resultJson);

    // Percent-decoding (a "+" stays a "+") then removal of the outer quotes,
    // dropping single inner quotes and halving doubled ones.
    static QString decodeScriptResult(const QString& json);
    // ms / 1000 rounded to the nearest whole number, halves to the even one.
    static int roundedSeconds(std::uint32_t ms);

  private:
    void completed(bool isSuccess, int webErrorStatus, quint64 navigationId);

    Browser& browser_;
    Clock& clock_;
    StatusSink& status_;

    bool bWebLoadStart_ = false;
    bool bWebLoadComplete_ = false;
    bool bEdgeErr_ = false;
    bool bDoGetEdgeText_ = false;
    // The number of the navigation whose start was seen since the flags were cleared.
    quint64 startedNavigation_ = 0;
    QString sEdgeText_;
    quint64 nextRequestId_ = 1;
    quint64 awaitedRequestId_ = 0;
    bool resultArrived_ = false;  // the awaited request has answered, "null" included
    bool fastWaits_ = false;
    quint64 textReads_ = 0;

    std::unique_ptr<ClockTimer> webTimer_;
    std::uint32_t webReadStartTime_ = 0;
};
