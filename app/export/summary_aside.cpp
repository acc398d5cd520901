#include "export/summary_aside.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPagedPaintDevice>
#include <QThread>
#include <memory>

#include "common/atomic_file.h"
#include "export/summary_document.h"
#include "export/summary_pages.h"

namespace summary {

namespace {

// Runs `work` on a thread of its own and waits in an event loop until it ends.
// The progress calls are posted to `receiver`, which lives on this thread and
// drops what is still queued when it goes out of scope.
void runAside(const std::function<void(const PageProgress&)>& work, const ShownProgress& shown) {
    QObject receiver;
    const PageProgress progress = [&receiver, &shown](int page, int pages) {
        if (shown)
            QMetaObject::invokeMethod(
                &receiver, [&shown, page, pages] { shown(page, pages); }, Qt::QueuedConnection);
        return true;
    };
    QEventLoop loop;
    std::unique_ptr<QThread> thread(QThread::create([&work, &progress] { work(progress); }));
    // Queued to this thread: the loop ends once the pages are done.
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit,
                     Qt::QueuedConnection);
    thread->start();
    loop.exec();
    thread->wait();
    // The last page's progress may still be queued: show it before returning.
    QCoreApplication::sendPostedEvents(&receiver);
}

}  // namespace

QByteArray summaryPdfAside(const SummaryDocument& doc, const ShownProgress& progress) {
    QByteArray bytes;
    runAside([&](const PageProgress& p) { bytes = summaryPdf(doc, p); }, progress);
    return bytes;
}

bool writeSummaryPdfAside(const SummaryDocument& doc, const QString& path, QString* errorText,
                          const ShownProgress& progress) {
    const QByteArray bytes = summaryPdfAside(doc, progress);
    if (bytes.isEmpty()) {
        if (errorText) *errorText = QStringLiteral("PDF無法產生");
        return false;
    }
    return writeFileAtomically(path, bytes, errorText);
}

int paintSummaryPagesAside(const SummaryDocument& doc, QPagedPaintDevice& device,
                           const ShownProgress& progress) {
    int pages = 0;
    runAside([&](const PageProgress& p) { pages = paintSummaryPages(doc, device, p); }, progress);
    return pages;
}

QString progressText(int page, int pages) {
    return QStringLiteral("製作摘要中… 第%1/%2頁")
        .arg(QString::number(page), QString::number(pages));
}

}  // namespace summary
