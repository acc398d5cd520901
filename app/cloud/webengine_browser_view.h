#pragma once
// The Browser on Qt WebEngine. One persistent profile in a folder of the user's
// local data (cookies and cache survive a restart); the page can be thrown away
// and recreated (re-initialise). A certificate error is accepted only for the one
// certificate whose SHA-256 fingerprint is configured, only on the site's host and
// only when no authority signed it (dates and name must still be right).
//
// The page stays on the site's host: a link, script, form or redirect leading
// elsewhere is refused before any request goes out, and the page opens no new
// windows. The site's host is the one set, or else the host of the address the
// program last navigated to (its addresses come from its settings).
//
// The engine reports loads of the main document only, so frameNavigationCompleted
// is never emitted here; a failed load gives the error status its cause maps to
// (webErrorStatus), a lost network the disconnected status. The engine gives its
// loads no number: each start gets the next one, and an end carries the number of
// the latest start, except a stopped load of another address, which is the tail of
// a navigation the latest one replaced. A navigation to the address being loaded
// is that load: it gets a new start at once and ends with it.

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QPointer>
#include <QString>
#include <QUrl>

#include "browser.h"

class QWidget;
class QWebEngineView;
class QWebEngineProfile;
class QWebEnginePage;
class QWebEngineLoadingInfo;
class QWebEngineCertificateError;
class QSslCertificate;

class WebEngineBrowser : public Browser {
    Q_OBJECT
  public:
    // profileFolder: where the profile keeps cookies and cache, created when missing.
    WebEngineBrowser(QWidget* parent, const QString& profileFolder);
    ~WebEngineBrowser() override;

    // The widget to embed (it fills the page "edge" of the main window).
    QWidget* view() const;

    void navigate(const QUrl& url) override;
    void runScript(const QString& script, quint64 requestId) override;
    void setZoomFactor(double factor) override;
    void reinitialize() override;
    QString currentAddress() const override;

    // Hex SHA-256 of the one server certificate we accept despite a certificate
    // error (colons and case do not matter); empty accepts none.
    void setTrustedCertificateFingerprint(const QString& sha256Hex);
    // The configured cloud host the page may stay on.
    void setSiteHost(const QString& host);
    QString siteHost() const;

    // Whether a certificate error of the engine (its error type) at `url` is let
    // through for the pinned certificate.
    static bool pinnedCertificateAccepted(int errorType, const QUrl& url,
                                          const QList<QSslCertificate>& chain,
                                          const QString& siteHost, const QByteArray& pinned,
                                          const QDateTime& now);

    // Chromium switches that keep the engine from calling home; call before the
    // QApplication is created. Keeps flags already set in the environment.
    static void prepareEnvironment();

    // The folder the program uses for the profile: AppLocalDataLocation + "/edge".
    static QString defaultProfileFolder();

    // Maps a failed load onto the engine-neutral error status of the events.
    static int webErrorStatus(int errorDomain, int errorCode);

  private:
    void createPage(const QUrl& reopen);
    void onLoadingChanged(const QWebEngineLoadingInfo& info);
    void onCertificateError(const QWebEngineCertificateError& error);
    bool onSite(const QUrl& url) const;

    QPointer<QWebEngineView> view_;  // the window may destroy it first
    QWebEngineProfile* profile_ = nullptr;
    QPointer<QWebEnginePage> page_;
    QUrl pendingUrl_;  // a navigation asked for while the page is being recreated
    double zoom_ = 1.0;
    QByteArray trustedFingerprint_;  // raw 32 bytes
    quint64 navigationId_ = 0;       // the latest start's number
    QUrl navigationUrl_;             // and its address
    bool loading_ = false;           // that load has not ended yet
    QString siteHost_;               // as set
    QString programHost_;            // of the program's latest navigate()
};
