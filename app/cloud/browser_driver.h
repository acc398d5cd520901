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

#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <cstdint>

#include "browser.h"

class Clock;
class StatusSink;

class BrowserDriver : public QObject {
    Q_OBJECT
  public:
    // How long GetEdgeText waits for a result; it never ends early.
    static constexpr std::uint32_t kScriptWindowMs = 500;
    static constexpr std::uint32_t kStartWaitMs = 10000;
    static constexpr std::uint32_t kCompleteWaitMs = 30000;

    BrowserDriver(Browser& browser, Clock& clock, StatusSink& status);

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

    // Forget every earlier navigation; call just before the navigate or click
    // that the next waitEdgeComplete (or flag check) is to confirm.
    void clearNavigationFlags();
    // clearNavigationFlags() and navigate.
    void navigate(const QUrl& url);

    bool bWebLoadStart() const { return bWebLoadStart_; }
    bool bWebLoadComplete() const { return bWebLoadComplete_; }
    bool bEdgeErr() const { return bEdgeErr_; }
    bool bDoGetEdgeText() const { return bDoGetEdgeText_; }

    // The elapsed-seconds display of a cloud read: startWebTimer() notes the
    // start and ticks WebTimerTimer once a second until stopWebTimer().
    void startWebTimer();
    void stopWebTimer();
    bool webTimerActive() const { return webTimer_.isActive(); }
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
    quint64 textReads_ = 0;

    QTimer webTimer_;
    std::uint32_t webReadStartTime_ = 0;
};
