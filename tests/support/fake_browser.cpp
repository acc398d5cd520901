#include "fake_browser.h"

FakeBrowser::FakeBrowser(VirtualClock& clock) : clock_(clock) {}

QString FakeBrowser::encodedJson(const QString& text) {
    // encodeURI leaves these unescaped; everything else goes as UTF-8 %XX.
    static const QByteArray kKeep = ";,/?:@&=+$-_.!~*'()#";
    return "\"" + QString::fromLatin1(text.toUtf8().toPercentEncoding(kKeep)) + "\"";
}

quint64 FakeBrowser::scheduleNavigation(std::uint32_t startMs, std::uint32_t completeMs,
                                        bool isSuccess, int status, bool frame) {
    const quint64 id = nextNavigationId_++;
    clock_.after(startMs, [this, id] { emit navigationStarting(address, id); });
    clock_.after(completeMs, [this, isSuccess, status, frame, id] {
        if (frame)
            emit frameNavigationCompleted(isSuccess, status, id);
        else
            emit navigationCompleted(isSuccess, status, id);
    });
    return id;
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
