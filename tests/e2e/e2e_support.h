#pragma once
// What the end-to-end tests share: a VPN that answers, the record count of a
// record text, and the one application object the browser engine needs.
#include <QApplication>
#include <QCoreApplication>
#include <QString>
#include <cstdint>

#include "cloud/webengine_browser_view.h"
#include "flow/pinger.h"

namespace e2e {

struct AnswersAlways : Pinger {
    bool echo(const QString&, int, std::uint32_t) override { return true; }
};

inline int records(const QString& text) { return int(text.count(QStringLiteral("<D>"))); }

// Made once per test program, before any window; the engine wants its settings
// in place before the application exists.
inline void ensureApplication() {
    if (QApplication::instance() != nullptr) return;
    WebEngineBrowser::prepareEnvironment();
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    static int argc = 1;
    static char name[] = "e2e_test";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

}  // namespace e2e
