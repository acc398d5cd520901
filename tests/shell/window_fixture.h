#pragma once
// The main window on a program folder of its own: a copy of the stand-in control
// software with its fixture (version chosen per test), a fake pinger, scripted
// prompts, a virtual clock and a fake browser.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <memory>
#include <ostream>
#include <stdexcept>

#include "card/loaded_control_software.h"
#include "common/ini_file.h"
#include "fake_browser.h"
#include "qstring_printer.h"
#include "recording_prompts.h"
#include "flow/pinger.h"
#include "shell/tftolv_view.h"
#include "virtual_clock.h"

struct FakePinger : Pinger {
    bool answer = true;
    QStringList pinged;
    bool echo(const QString& address, int, std::uint32_t) override {
        pinged << address;
        return answer;
    }
};

class WindowTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (QApplication::instance() == nullptr) {
            static int argc = 1;
            static char name[] = "shell_window_test";
            static char* argv[] = {name, nullptr};
            new QApplication(argc, argv);
        }
    }

    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    void TearDown() override { destroy(); }

    QString path(const QString& name) const { return dir.filePath(name); }
    IniFile ini() const { return IniFile(path("tolvane.ini")); }

    // The stand-in control software, reporting `version`; `library` may be the
    // variant that lacks some exports.
    void installControlSoftware(int version = 5230, const char* library = SHELL_CSHIS_LIBRARY) {
        // The stand-in reads its fixture on every call, so one copy serves every version.
        if (!QFile::exists(path("libcshis.so"))) {
            ASSERT_TRUE(QFile::copy(library, path("libcshis.so")));
        }
        QFile src(SHELL_CSHIS_FIXTURE);
        ASSERT_TRUE(src.open(QIODevice::ReadOnly));
        QJsonObject fixture = QJsonDocument::fromJson(src.readAll()).object();
        QJsonObject reader = fixture["reader"].toObject();
        reader["version"] = version;
        fixture["reader"] = reader;
        QFile out(path("sim-cards.json"));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(QJsonDocument(fixture).toJson());
    }
    void writeEndpoints(const QString& vpn = "127.0.0.1") {
        ini().writeString("endpoints", "cloudHost", "127.0.0.1:8443");
        ini().writeString("endpoints", "vpnTestAddress", vpn);
    }

    TFtolv& start() {
        destroy();
        controlSoftware = std::make_unique<LoadedControlSoftware>(dir.path());
        TFtolv::Deps deps;
        deps.appPath = dir.path();
        deps.controlSoftware = controlSoftware.get();
        deps.pinger = &pinger;
        deps.prompts = &prompts;
        deps.clock = &clock;
        deps.healthPromotion = healthPromotion;
        deps.vpnAddOn = vpnAddOn;
        deps.browserFactory = [this](QWidget* host, const Endpoints&) -> Browser* {
            browser = new FakeBrowser(clock);
            browser->setParent(host);
            return browser;
        };
        window = std::make_unique<TFtolv>(deps);
        return *window;
    }
    // Closes and destroys the window, as the end of the program does.
    void destroy() {
        if (!window) return;
        window->close();
        window.reset();
        browser = nullptr;
        controlSoftware.reset();
    }
    // A widget of the window by its object name and type; a missing one fails the test.
    template <class T = QWidget>
    T* get(const char* name) {
        T* w = window->findChild<T*>(QString::fromLatin1(name));
        if (w == nullptr) {
            ADD_FAILURE() << "no widget " << name;
            throw std::runtime_error(name);
        }
        return w;
    }

    QTemporaryDir dir;
    FakePinger pinger;
    RecordingPrompts prompts;
    VirtualClock clock;
    FakeBrowser* browser = nullptr;
    // The web services' helpers; none by default, so "Read" asks neither service.
    HealthPromotionLibrary* healthPromotion = nullptr;
    VpnAddOn* vpnAddOn = nullptr;
    std::unique_ptr<ControlSoftware> controlSoftware;
    std::unique_ptr<TFtolv> window;
};
