#pragma once
// Stand-ins for the two web services, served over HTTPS on 127.0.0.1: the
// health-promotion API (POST /bhpApi/api/All/Valid), the referral service's
// description (GET /ipie0000/IPIE0000S01.asmx?wsdl) and its SOAP endpoint (POST on
// the same path). Answers come from a fixture keyed by the national ID of the card
// in the simulated reader; requests whose card values or signature are not those
// of the inserted card are rejected. Every request is recorded.

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <atomic>
#include <memory>

namespace services {

// Failure switches. A test sets them here; the demo writes their names, one per
// line, into "services-switches.txt" in the sim folder (read on every request).
struct Switches {
    std::atomic<int> httpStatus{0};            // "http404" / "http500": every answer with it
    std::atomic<bool> notJson{false};          // "not-json": bodies that are not JSON
    std::atomic<bool> wrongTypes{false};       // "wrong-types": members of the wrong JSON type
    std::atomic<bool> soapFault{false};        // "soap-fault": the SOAP call answers a fault
    std::atomic<bool> noResult{false};         // "no-result": a SOAP reply without GetRefDataResult
    std::atomic<int> slowMs{0};                // "slow MS": every answer this much later
    std::atomic<bool> noReply{false};          // "no-reply": no answer at all (until stopped)
    std::atomic<bool> cutBody{false};          // "cut-body": the connection ends mid-body
    std::atomic<bool> noDescription{false};    // "no-description": the description is 404
    std::atomic<bool> httpDescription{false};  // "http-description": it names an http:// endpoint
    std::atomic<bool> huge{false};             // "huge": every answer padded with blanks past 5 MiB
};

inline constexpr const char* kSwitchFile = "services-switches.txt";
inline constexpr const char* kFixtureFile = "services.json";

struct Options {
    QString certFile;  // PEM certificate and key of the server
    QString keyFile;
    QString fixtureFile;  // services.json
    QString simDir;       // the folder with the card state and the switch file
};

struct Recorded {
    QString method;
    QString target;  // path and query
    QList<QPair<QString, QString>> headers;
    QByteArray body;
    int status = 0;  // what was answered (0: nothing)
};

class Server {
  public:
    explicit Server(Options options);
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // Listens on 127.0.0.1; port 0 takes a free one. False (with error()) when the
    // certificate, the fixture or the port cannot be used.
    bool start(int port = 0);
    void stop();
    int port() const;
    QString error() const;
    // 127.0.0.1:<port>, as the settings name a host.
    QString host() const;

    Switches& switches();
    QList<Recorded> recorded() const;
    void clearRecorded();

  private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace services
