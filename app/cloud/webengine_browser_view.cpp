#include "webengine_browser_view.h"

#include <QCryptographicHash>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QSslCertificate>
#include <QStandardPaths>
#include <QTimer>
#include <QWebEngineCertificateError>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>
#include <functional>

#include "cloud/pinned_certificate.h"

namespace {
// Chromium's network error codes we tell apart (net/base/net_error_list.h).
constexpr int kNetInternetDisconnected = -106;
constexpr int kNetNameNotResolved = -105;
constexpr int kNetTimedOut = -7;
constexpr int kNetConnectionRefused = -102;
constexpr int kNetConnectionReset = -101;
constexpr int kNetConnectionAborted = -103;
constexpr int kNetAborted = -3;

// The error statuses of the navigation events.
enum Status {
    kUnknown = 0,
    kCertificateInvalid = 5,
    kTimeout = 7,
    kConnectionAborted = 9,
    kConnectionReset = 10,
    kCannotConnect = 12,
    kHostNameNotResolved = 13,
    kOperationCanceled = 14,
};

// A script value as JSON text: "null" for a thrown or undefined result.
QString toJsonText(const QVariant& v) {
    if (!v.isValid() || v.isNull()) return QStringLiteral("null");
    const QJsonValue value = QJsonValue::fromVariant(v);
    if (value.isNull() || value.isUndefined()) return QStringLiteral("null");
    // QJsonDocument writes arrays and objects only: wrap the value and strip the brackets.
    QByteArray text = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(text.mid(1, text.size() - 2));
}
}  // namespace

// The page keeps itself on the site: what it is asked to open elsewhere, by a link,
// a script, a form or a redirect, is refused before a request goes out, and it
// opens no windows of its own.
class SitePage : public QWebEnginePage {
  public:
    // onSite: whether an address is on the site; redirectRefused: called when a
    // redirect of the main document was refused, which ends its navigation.
    SitePage(QWebEngineProfile* profile, QObject* parent, std::function<bool(const QUrl&)> onSite,
             std::function<void()> redirectRefused)
        : QWebEnginePage(profile, parent),
          onSite_(std::move(onSite)),
          redirectRefused_(std::move(redirectRefused)) {
        settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    }

  protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override {
        // The program's own loads come from its settings; everything else is the page's.
        if (type == NavigationTypeTyped) return true;
        if (onSite_(url)) return true;
        if (type == NavigationTypeRedirect && isMainFrame) redirectRefused_();
        return false;
    }
    QWebEnginePage* createWindow(WebWindowType) override { return nullptr; }

  private:
    std::function<bool(const QUrl&)> onSite_;
    std::function<void()> redirectRefused_;
};

WebEngineBrowser::WebEngineBrowser(QWidget* parent, const QString& profileFolder)
    : Browser(parent) {
    QDir().mkpath(profileFolder);
    view_ = new QWebEngineView(parent);
    profile_ = new QWebEngineProfile(QStringLiteral("edge"), this);
    profile_->setPersistentStoragePath(profileFolder);
    profile_->setCachePath(QDir(profileFolder).filePath(QStringLiteral("cache")));
    profile_->setPersistentCookiesPolicy(QWebEngineProfile::ForcePersistentCookies);
    createPage(QUrl());
}

WebEngineBrowser::~WebEngineBrowser() {
    // The page must go before its profile.
    if (view_) view_->setPage(nullptr);
    delete page_;
}

QWidget* WebEngineBrowser::view() const { return view_; }

QString WebEngineBrowser::defaultProfileFolder() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation))
        .filePath(QStringLiteral("edge"));
}

void WebEngineBrowser::prepareEnvironment() {
    static const char* const kQuiet[] = {"--disable-background-networking",
                                         "--disable-component-update", "--no-first-run",
                                         "--disable-sync"};
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    for (const char* f : kQuiet) {
        if (flags.contains(f)) continue;
        if (!flags.isEmpty()) flags += ' ';
        flags += f;
    }
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
}

int WebEngineBrowser::webErrorStatus(int errorDomain, int errorCode) {
    switch (errorDomain) {
        case QWebEngineLoadingInfo::CertificateErrorDomain:
            return kCertificateInvalid;
        case QWebEngineLoadingInfo::DnsErrorDomain:
            return kHostNameNotResolved;
        case QWebEngineLoadingInfo::ConnectionErrorDomain:
            switch (errorCode) {
                case kNetInternetDisconnected:
                    return kErrorStatusDisconnected;
                case kNetNameNotResolved:
                    return kHostNameNotResolved;
                case kNetTimedOut:
                    return kTimeout;
                case kNetConnectionRefused:
                    return kCannotConnect;
                case kNetConnectionReset:
                    return kConnectionReset;
                case kNetConnectionAborted:
                    return kConnectionAborted;
                case kNetAborted:
                    return kOperationCanceled;
                default:
                    return kUnknown;
            }
        default:
            return kUnknown;
    }
}

void WebEngineBrowser::createPage(const QUrl& reopen) {
    loading_ = false;
    page_ = new SitePage(
        profile_, this, [this](const QUrl& url) { return onSite(url); },
        [this] {
            // The engine reports the cut-off load as a stop of the refused address,
            // which reads as the tail of another navigation: end this one here.
            loading_ = false;
            QMetaObject::invokeMethod(
                this,
                [this, id = navigationId_] {
                    if (id == navigationId_)
                        emit navigationCompleted(false, kOperationCanceled, id);
                },
                Qt::QueuedConnection);
        });
    page_->setZoomFactor(zoom_);
    connect(page_, &QWebEnginePage::loadingChanged, this, &WebEngineBrowser::onLoadingChanged);
    connect(page_, &QWebEnginePage::certificateError, this, &WebEngineBrowser::onCertificateError);
    if (view_) {
        view_->setPage(page_);
        view_->setZoomFactor(zoom_);
    }
    const QUrl target = pendingUrl_.isValid() ? pendingUrl_ : reopen;
    pendingUrl_.clear();
    if (target.isValid() && !target.isEmpty()) page_->load(target);
}

void WebEngineBrowser::setSiteHost(const QString& host) { siteHost_ = host; }

QString WebEngineBrowser::siteHost() const {
    return siteHost_.isEmpty() ? programHost_ : siteHost_;
}

bool WebEngineBrowser::onSite(const QUrl& url) const {
    if (url.scheme() == QLatin1String("about") || url.scheme() == QLatin1String("data"))
        return true;  // the page's own empty frames and inline content
    const QString host = siteHost();
    return url.scheme() == QLatin1String("https") && !host.isEmpty() &&
           url.host().compare(host, Qt::CaseInsensitive) == 0;
}

void WebEngineBrowser::navigate(const QUrl& url) {
    programHost_ = url.host();
    if (page_ && loading_ && url == navigationUrl_) {
        // The engine takes a load of the address it is loading as that load and
        // reports no new start, so the caller would wait for one in vain: the
        // load under way is the one asked for, under a new number.
        emit navigationStarting(url.toString(), ++navigationId_);
        return;
    }
    if (!page_) {
        pendingUrl_ = url;  // the page being recreated opens it once it is there
        return;
    }
    page_->load(url);
}

void WebEngineBrowser::runScript(const QString& script, quint64 requestId) {
    if (!page_) return;  // no page: dropped, as the caller expects
    QPointer<WebEngineBrowser> self(this);
    page_->runJavaScript(script, [self, requestId](const QVariant& result) {
        if (self) emit self->scriptCompleted(requestId, toJsonText(result));
    });
}

void WebEngineBrowser::setZoomFactor(double factor) {
    zoom_ = factor;
    if (page_) {
        page_->setZoomFactor(factor);
        if (view_) view_->setZoomFactor(factor);
    }
}

void WebEngineBrowser::reinitialize() {
    if (!page_) return;  // already being recreated
    const QUrl shown = page_->url();
    QWebEnginePage* old = page_;
    page_ = nullptr;
    if (view_) view_->setPage(nullptr);
    old->deleteLater();
    // The new page comes up later, as a freshly created web view does.
    QTimer::singleShot(0, this, [this, shown] { createPage(shown); });
}

QString WebEngineBrowser::currentAddress() const {
    return page_ ? page_->url().toString() : QString();
}

void WebEngineBrowser::setTrustedCertificateFingerprint(const QString& sha256Hex) {
    trustedFingerprint_ = pinnedFingerprint(sha256Hex);
}

void WebEngineBrowser::onLoadingChanged(const QWebEngineLoadingInfo& info) {
    const bool stopped = info.status() == QWebEngineLoadingInfo::LoadStoppedStatus ||
                         (info.status() == QWebEngineLoadingInfo::LoadFailedStatus &&
                          info.errorCode() == kNetAborted);
    const quint64 id = stopped && info.url() != navigationUrl_ ? 0 : navigationId_;
    switch (info.status()) {
        case QWebEngineLoadingInfo::LoadStartedStatus:
            loading_ = true;
            navigationUrl_ = info.url();
            emit navigationStarting(info.url().toString(), ++navigationId_);
            break;
        case QWebEngineLoadingInfo::LoadSucceededStatus:
            loading_ = false;
            emit navigationCompleted(true, 0, id);
            break;
        case QWebEngineLoadingInfo::LoadStoppedStatus:
            loading_ = false;
            emit navigationCompleted(false, kOperationCanceled, id);
            break;
        case QWebEngineLoadingInfo::LoadFailedStatus:
            loading_ = false;
            emit navigationCompleted(false, webErrorStatus(info.errorDomain(), info.errorCode()),
                                     id);
            break;
    }
}

void WebEngineBrowser::onCertificateError(const QWebEngineCertificateError& error) {
    QWebEngineCertificateError e = error;
    if (e.isOverridable() &&
        pinnedCertificateAccepted(e.type(), e.url(), e.certificateChain(), siteHost(),
                                  trustedFingerprint_, QDateTime::currentDateTimeUtc()))
        e.acceptCertificate();
    else
        e.rejectCertificate();
}

bool WebEngineBrowser::pinnedCertificateAccepted(int errorType, const QUrl& url,
                                                 const QList<QSslCertificate>& chain,
                                                 const QString& siteHost, const QByteArray& pinned,
                                                 const QDateTime& now) {
    // The pin stands in for the missing authority only, and on the site's host only:
    // the engine names that error first even when the dates or the name are wrong
    // too, so those are checked here.
    return errorType == QWebEngineCertificateError::CertificateAuthorityInvalid &&
           !chain.isEmpty() && !siteHost.isEmpty() &&
           url.host().compare(siteHost, Qt::CaseInsensitive) == 0 &&
           pinnedCertificateAcceptable(chain.first(), url.host(), pinned, now);
}
