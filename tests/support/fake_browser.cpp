#include "fake_browser.h"

FakeBrowser::FakeBrowser(VirtualClock& clock) : clock_(clock) {}

QString FakeBrowser::encodedJson(const QString& text) {
    // encodeURI leaves these unescaped; everything else goes as UTF-8 %XX.
    static const QByteArray kKeep = ";,/?:@&=+$-_.!~*'()#";
    return "\"" + QString::fromLatin1(text.toUtf8().toPercentEncoding(kKeep)) + "\"";
}

void FakeBrowser::scheduleNavigation(std::uint32_t startMs, std::uint32_t completeMs,
                                     bool isSuccess, int status, bool frame) {
    clock_.after(startMs, [this] { emit navigationStarting(address); });
    clock_.after(completeMs, [this, isSuccess, status, frame] {
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
    clock_.after(reply->delayMs,
                 [this, requestId, json = reply->json] { emit scriptCompleted(requestId, json); });
}

void FakeBrowser::reinitialize() {
    ++reinitializations;
    pageGone_ = true;
    clock_.after(reinitializeMs, [this] { pageGone_ = false; });
}
