#pragma once
// A stand-in for the insurer's cloud record site, served over HTTPS on 127.0.0.1:
// the portal with its login buttons, the record page with the menu, the function
// tabs and a paged record table drawn by the page's own script, for the patient
// whose card is in the simulated reader. Switches make it fail the ways the
// real site can. The pages "away?to=ADDRESS" (a link, a link into a new window
// and a script go() leading there) and "redirect?to=ADDRESS" try to take the
// browser elsewhere.

#include <QJsonObject>
#include <QString>
#include <atomic>
#include <memory>

namespace cloudsite {

struct Switches {
    std::atomic<bool> maintenance{false};     // every page says "網頁維護中..請稍候再試"
    std::atomic<bool> noPortalText{false};    // the start page lacks the login text
    std::atomic<bool> loginFails{false};      // the login never leads to the record page
    std::atomic<bool> neverLoads{false};      // the start page never answers
    std::atomic<bool> pagerThousands{false};  // the pager counts from 1,001 (separators)
    std::atomic<bool> nextWithoutNumber{false};  // the next button names no table number
    std::atomic<bool> pageStuck{false};          // a click on next changes nothing
    std::atomic<int> pageDelayMs{300};           // a new page shows this long after the click
    std::atomic<int> pageSize{10};
    // The change-card click: the site reads the new card this long before its page
    // answers (the earlier patient's page stays meanwhile).
    std::atomic<int> changeDelayMs{0};
    std::atomic<bool> changeIgnored{false};  // the click leads back to the old patient
    // Every record page holds a hidden frame answered this long later: the page is
    // still loading when the program moves on, and its end comes after the next
    // navigation has started.
    std::atomic<int> staleLoadMs{0};
    std::atomic<bool> noTable{false};   // an open tab with records shows no table
    std::atomic<int> answerDelayMs{0};  // every answer, of any page, comes this long late
};

struct Options {
    QString certFile;  // PEM certificate and key of the server
    QString keyFile;
    QString fixtureFile;  // the cloud records by patient ID
    QString simDir;       // the folder whose card state says which card is inserted
};

class Site {
  public:
    explicit Site(Options options);
    ~Site();
    Site(const Site&) = delete;
    Site& operator=(const Site&) = delete;

    // Listens on 127.0.0.1; port 0 takes a free one. False (with error()) when the
    // certificate, the fixture or the port cannot be used.
    bool start(int port = 0);
    // The same on another loopback address (a second host for the tests that the
    // program must not follow a page to).
    bool start(const QString& address, int port);
    void stop();
    int port() const;
    QString error() const;
    // https://<address>:<port>/imu/IMUE1000/
    QString startAddress() const;
    // Requests answered or being answered since the site was made.
    int requests() const;

    Switches& switches();

    // The record table texts the fixture holds: column captions and rows of cells.
    static QJsonObject loadFixture(const QString& path, QString* error);

  private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace cloudsite
