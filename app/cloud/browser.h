#pragma once
// The embedded browser as the rest of the program sees it: navigate, run a
// script whose result comes back later as JSON text, zoom, re-initialise, the
// current address, and the navigation events.

#include <QObject>
#include <QString>
#include <QUrl>

class Browser : public QObject {
    Q_OBJECT
  public:
    // The engine's status for a navigation that failed because the network is gone.
    static constexpr int kErrorStatusDisconnected = 11;

    using QObject::QObject;
    ~Browser() override = default;

    virtual void navigate(const QUrl& url) = 0;
    // Fire and forget; the result arrives as scriptCompleted with the same id.
    // Dropped silently (no event) while the page does not exist.
    virtual void runScript(const QString& script, quint64 requestId) = 0;
    virtual void setZoomFactor(double factor) = 0;
    // Close the page and create it anew; it reopens the address it showed.
    virtual void reinitialize() = 0;
    virtual QString currentAddress() const = 0;

  signals:
    // Every navigation has its own number (never 0); its completion carries it, so
    // the end of an earlier, aborted load can be told from the end of the latest.
    // A frame's completion carries the number of the navigation of its page.
    void navigationStarting(const QString& uri, quint64 navigationId);
    void navigationCompleted(bool isSuccess, int webErrorStatus, quint64 navigationId);
    void frameNavigationCompleted(bool isSuccess, int webErrorStatus, quint64 navigationId);
    // resultJson is "null" when the script threw or its value was not expressible.
    void scriptCompleted(quint64 requestId, const QString& resultJson);
};
