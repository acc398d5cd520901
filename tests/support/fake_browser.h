#pragma once
// A scripted Browser for unit tests. Its events (navigation, script results)
// arrive through the VirtualClock at chosen virtual times, so a 30-second browser
// wait runs in microseconds.

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <cstdint>
#include <functional>
#include <optional>

#include "cloud/browser.h"
#include "virtual_clock.h"

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

    explicit FakeBrowser(VirtualClock& clock);

    void navigate(const QUrl& url) override;
    void runScript(const QString& script, quint64 requestId) override;
    void setZoomFactor(double factor) override { zooms.append(factor); }
    void reinitialize() override;
    QString currentAddress() const override { return address; }

    // A JSON string as a script returning encodeURI() of `text` gives it.
    static QString encodedJson(const QString& text);

    // Emits the events of a navigation at the given virtual times from now; returns
    // its number. Its completion arrives as scheduled even when a later navigation
    // has started meanwhile, as an aborted load's end does.
    quint64 scheduleNavigation(std::uint32_t startMs, std::uint32_t completeMs,
                               bool isSuccess = true, int status = 0, bool frame = false);

    // How many receivers each event has (the program must connect them once).
    int scriptCompletedReceivers() const {
        return receivers(SIGNAL(scriptCompleted(quint64, QString)));
    }
    int navigationCompletedReceivers() const {
        return receivers(SIGNAL(navigationCompleted(bool, int, quint64)));
    }

    ScriptHandler onScript;              // default: every script answers "null"
    NavigateHandler onNavigate;          // default: start after 50 ms, success after 200 ms
    std::uint32_t reinitializeMs = 300;  // how long the page is gone after reinitialize()

    QStringList scripts;  // every script run, in order (dropped ones included)
    QList<QUrl> navigations;
    QList<double> zooms;
    int reinitializations = 0;
    QString address;

  private:
    VirtualClock& clock_;
    bool pageGone_ = false;
    quint64 nextNavigationId_ = 1;
};
