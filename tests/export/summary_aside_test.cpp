// The summary's pages made beside the window: the calling thread's event loop
// keeps running meanwhile (a timer on it never waits long), and the progress of
// every page arrives on the calling thread, in order.

#include "export/summary_aside.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

#include "export/summary_document.h"
#include "export_fixtures.h"

namespace {

TEST(SummaryAside, TheCallingThreadKeepsAnsweringWhileALongSummaryIsMade) {
    fixtures::FakeLookups lookups;
    const fixtures::Query q = fixtures::longQuery(1000, 1000);
    const summary::SummaryDocument doc =
        summary::buildSummary(q.state, q.tables, q.extras, q.context, lookups);

    // A timer on this thread stands in for the window's painting and input.
    QElapsedTimer sinceTick;
    qint64 longestWait = 0;
    int ticks = 0;
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        longestWait = std::max(longestWait, sinceTick.restart());
        ++ticks;
    });
    QList<std::pair<int, int>> progress;
    bool progressOnThisThread = true;
    QThread* const self = QThread::currentThread();

    QElapsedTimer took;
    took.start();
    sinceTick.start();
    timer.start();
    const QByteArray pdf = summary::summaryPdfAside(doc, [&](int page, int pages) {
        progressOnThisThread = progressOnThisThread && QThread::currentThread() == self;
        progress.append({page, pages});
    });
    timer.stop();

    ASSERT_TRUE(pdf.startsWith("%PDF-"));
    const int pages = int(pdf.count("/Type /Page\n"));
    EXPECT_GE(pages, 30);
    ASSERT_EQ(progress.size(), pages);
    for (int i = 0; i < pages; ++i) EXPECT_EQ(progress[i], std::make_pair(i + 1, pages));
    EXPECT_TRUE(progressOnThisThread);
    // The loop ran throughout: no wait between two ticks anywhere near the time
    // the whole summary took (a busy machine may delay a tick now and then).
    EXPECT_GT(ticks, 3) << took.elapsed() << " ms";
    EXPECT_LT(longestWait, 150) << "summary took " << took.elapsed() << " ms";
}

TEST(SummaryAside, ProgressTextNamesThePage) {
    EXPECT_EQ(summary::progressText(3, 45), QStringLiteral("製作摘要中… 第3/45頁"));
}

}  // namespace
