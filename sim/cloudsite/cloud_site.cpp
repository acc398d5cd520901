#include "cloud_site.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <atomic>
#include <map>
#include <mutex>
#include <string>

#include "card_state.h"
#include "loopback_server.h"

namespace cloudsite {

namespace {

const char* const kBase = "/imu/IMUE1000/";
const char* const kCookie = "IMUSID";
const QString kPhysicalCard = QStringLiteral("健保雲端系統2.0(實體健保卡)");

struct Tab {
    const char* caption;
    const char* kind;  // "drug", "lab" or nullptr for a tab the stand-in keeps empty
};
// The function tabs in the site's order.
const Tab kTabs[] = {
    {"西醫用藥", "drug"}, {"中醫用藥", nullptr}, {"檢查與檢驗", "lab"}, {"過敏藥物", nullptr}};
constexpr int kTabCount = int(sizeof kTabs / sizeof kTabs[0]);

std::string html(const QString& s) {
    QString out = s.toHtmlEscaped();
    return out.toStdString();
}

std::string page(const std::string& title, const std::string& body) {
    return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + title +
           "</title><style>body{font-family:sans-serif}.function-tab a{display:block}"
           ".function-tab a.disable{color:#999}table{border-collapse:collapse}"
           "td,th{border:1px solid #bbb;padding:2px 4px}</style></head><body>" +
           body + "</body></html>";
}

// JSON inside a script element: "</" must not close the element.
std::string scriptJson(const QJsonValue& v) {
    QByteArray text = QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact);
    text = text.mid(1, text.size() - 2);
    text.replace("</", "<\\/");
    return text.toStdString();
}

// Draws the record table like a paged data table with a scrolling header: the
// header row stands once above the body and once in the body's own table.
const char* const kTableScript = R"JS(
function cell(tag, text) {
  var c = document.createElement(tag);
  var parts = String(text).split("\n");
  for (var i = 0; i < parts.length; i++) {
    if (i) c.appendChild(document.createElement("br"));
    c.appendChild(document.createTextNode(parts[i]));
  }
  return c;
}
function headRow() {
  var thead = document.createElement("thead"), tr = document.createElement("tr");
  for (var i = 0; i < cols.length; i++) tr.appendChild(cell("th", cols[i]));
  thead.appendChild(tr);
  return thead;
}
function fmt(n) { return n.toLocaleString("en-US"); }
function render() {
  var div = document.getElementById("TableDiv");
  div.innerHTML = "";
  var wrap = document.createElement("div");
  wrap.className = "dataTables_wrapper";
  wrap.id = "DataTables_Table_0_wrapper";
  var head = document.createElement("div");
  head.className = "dataTables_scrollHead";
  var ht = document.createElement("table");
  ht.className = "dataTable";
  ht.appendChild(headRow());
  head.appendChild(ht);
  wrap.appendChild(head);
  var body = document.createElement("div");
  body.className = "dataTables_scrollBody";
  var bt = document.createElement("table");
  bt.className = "dataTable";
  bt.id = "DataTables_Table_0";
  bt.appendChild(headRow());
  var tbody = document.createElement("tbody");
  var first = page * pageSize, last = Math.min(rows.length, first + pageSize);
  for (var r = first; r < last; r++) {
    var tr = document.createElement("tr");
    for (var c = 0; c < cols.length; c++) tr.appendChild(cell("td", rows[r][c]));
    tbody.appendChild(tr);
  }
  bt.appendChild(tbody);
  body.appendChild(bt);
  wrap.appendChild(body);
  var info = document.createElement("div");
  info.className = "dataTables_info";
  info.id = "DataTables_Table_0_info";
  info.textContent = "Showing " + fmt(rows.length ? first + 1 + offset : 0) + " to " +
      fmt(rows.length ? last + offset : 0) + " of " + fmt(rows.length ? rows.length + offset : 0) +
      " entries";
  wrap.appendChild(info);
  var pager = document.createElement("div");
  pager.className = "dataTables_paginate paging_simple_numbers";
  var prev = document.createElement("a");
  prev.className = "paginate_button previous" + (page == 0 ? " disabled" : "");
  prev.textContent = "Previous";
  pager.appendChild(prev);
  var next = document.createElement("a");
  next.className = "paginate_button next" + (last >= rows.length ? " disabled" : "");
  if (!noNumber) {
    prev.setAttribute("aria-controls", "DataTables_Table_0");
    prev.id = "DataTables_Table_0_previous";
    next.setAttribute("aria-controls", "DataTables_Table_0");
    next.id = "DataTables_Table_0_next";
  } else {
    next.id = "TableNext";
  }
  next.textContent = "Next";
  next.onclick = function () {
    if (stuck || last >= rows.length) return;
    if (delayMs <= 0) { page++; render(); return; }
    setTimeout(function () { page++; render(); }, delayMs);
  };
  pager.appendChild(next);
  wrap.appendChild(pager);
  div.appendChild(wrap);
}
render();
)JS";

}  // namespace

struct Site::Impl {
    Options options;
    Switches switches;
    QJsonObject fixture;
    sim::LoopbackServer loopback;
    QString address = QStringLiteral("127.0.0.1");
    int port = 0;
    QString error;
    std::atomic<int> requests{0};

    std::mutex mutex;
    std::map<std::string, QString> sessions;  // cookie value -> patient ID

    std::optional<QString> sessionPatient(const httplib::Request& req) {
        const std::string cookies = req.get_header_value("Cookie");
        const std::string key = std::string(kCookie) + "=";
        const auto at = cookies.find(key);
        if (at == std::string::npos) return std::nullopt;
        std::string value = cookies.substr(at + key.size());
        value = value.substr(0, value.find(';'));
        std::lock_guard lock(mutex);
        const auto it = sessions.find(value);
        if (it == sessions.end()) return std::nullopt;
        return it->second;
    }

    void redirect(httplib::Response& res, const std::string& to) {
        res.status = 302;
        res.set_header("Location", to);
    }

    void serveStart(const httplib::Request&, httplib::Response& res) {
        if (switches.neverLoads) {
            // Holds the answer back until the site stops (bounded, so a forgotten
            // server still ends).
            loopback.hold(120000);
            res.status = 503;
            return;
        }
        if (switches.maintenance) {
            res.set_content(page("健保雲端系統", "<h2>網頁維護中..請稍候再試</h2>"),
                            "text/html; charset=utf-8");
            return;
        }
        if (switches.noPortalText) {
            res.set_content(page("健保雲端系統", "<h2>系統公告</h2><p>本系統僅供醫事機構使用</p>"),
                            "text/html; charset=utf-8");
            return;
        }
        std::string body = "<h2>健保雲端藥歷系統</h2><div class=\"login-box\">";
        const char* const buttons[] = {"健保雲端系統2.0(實體健保卡)", "健保雲端系統2.0(虛擬健保卡)",
                                       "健保雲端系統2.0(醫師卡無法使用)",
                                       "因應天災及緊急醫療查詢作業2.0"};
        for (int i = 0; i < 4; ++i) {
            body += "<a class=\"login-btn blue2\" href=\"" + std::string(kBase) +
                    (i == 0 ? "login" : "unavailable") + "\">" + buttons[i] + "</a><br>";
        }
        res.set_content(page("健保雲端系統", body + "</div>"), "text/html; charset=utf-8");
    }

    // The patient of the card in the reader, or empty when there is none.
    QString insertedPatient() {
        const std::optional<sim::PatientCard> card = sim::CardState::load(options.simDir);
        return card ? card->id.trimmed() : QString();
    }

    void serveLogin(const httplib::Request&, httplib::Response& res) {
        const QString id = insertedPatient();
        if (switches.loginFails || id.isEmpty()) {
            redirect(res, kBase);
            return;
        }
        const std::string token =
            QString::number(QRandomGenerator::global()->generate64(), 16).toStdString();
        {
            std::lock_guard lock(mutex);
            sessions[token] = id;
        }
        res.set_header("Set-Cookie", std::string(kCookie) + "=" + token + "; Path=/; Secure");
        redirect(res, std::string(kBase) + "IMUE0008?tab=1");
    }

    // Holds an answer back for ms, or until the site stops.
    void hold(int ms) { loopback.hold(ms); }

    void serveChangeCard(const httplib::Request& req, httplib::Response& res) {
        const std::string cookies = req.get_header_value("Cookie");
        if (!sessionPatient(req)) {
            redirect(res, kBase);
            return;
        }
        // Reading the new card takes a while; the old page stays until the answer.
        hold(switches.changeDelayMs);
        const QString id = insertedPatient();
        if (id.isEmpty()) {
            redirect(res, kBase);
            return;
        }
        const std::string key = std::string(kCookie) + "=";
        std::string value = cookies.substr(cookies.find(key) + key.size());
        value = value.substr(0, value.find(';'));
        if (!switches.changeIgnored) {
            std::lock_guard lock(mutex);
            sessions[value] = id;
        }
        redirect(res, std::string(kBase) + "IMUE0008?tab=1");
    }

    void serveRecords(const httplib::Request& req, httplib::Response& res) {
        if (switches.maintenance) {
            serveStart(req, res);
            return;
        }
        const std::optional<QString> id = sessionPatient(req);
        if (!id) {
            redirect(res, kBase);
            return;
        }
        int tab = 1;
        if (req.has_param("tab")) tab = std::atoi(req.get_param_value("tab").c_str());
        if (tab < 1 || tab > kTabCount) tab = 1;
        const QJsonObject patient = fixture.value("patients").toObject().value(*id).toObject();
        auto rowsOf = [&](const char* kind) {
            return kind ? patient.value(kind).toArray() : QJsonArray();
        };

        std::string body = "<div class=\"patient\"><span>身分證號</span> " + html(*id) +
                           "</div><div id=\"menu-div\"><a class=\"green-btn\" href=\"" +
                           std::string(kBase) +
                           "changecard\">請換卡再按我</a><div class=\"function-tab\">";
        for (int i = 0; i < kTabCount; ++i) {
            const bool empty = kTabs[i].kind && rowsOf(kTabs[i].kind).isEmpty();
            const char* cls = i + 1 == tab ? "current" : (empty ? "disable" : "");
            body += "<a href=\"" + std::string(kBase) + "IMUE0008?tab=" + std::to_string(i + 1) +
                    "\" title=\"" + kTabs[i].caption + "\" class=\"" + cls + "\">" +
                    kTabs[i].caption + "</a>";
        }
        body += "</div></div>";
        if (switches.staleLoadMs > 0)
            body +=
                "<iframe src=\"" + std::string(kBase) + "slow\" style=\"display:none\"></iframe>";
        const Tab& open = kTabs[tab - 1];
        const QJsonArray rows = rowsOf(open.kind);
        if (rows.isEmpty()) {
            body += "<div class=\"content\">個案查無資料</div>";
        } else if (switches.noTable) {
            body += "<div class=\"content\"></div>";
        } else {
            const QString colsKey = QString(open.kind) == "drug" ? "drugColumns" : "labColumns";
            body += "<div id=\"TableDiv\"></div><script>var cols = " +
                    scriptJson(fixture.value(colsKey)) + ";\nvar rows = " + scriptJson(rows) +
                    ";\nvar page = 0, pageSize = " +
                    std::to_string(std::max(1, int(switches.pageSize))) +
                    ", delayMs = " + std::to_string(int(switches.pageDelayMs)) +
                    ", offset = " + (switches.pagerThousands ? "1000" : "0") +
                    ", noNumber = " + (switches.nextWithoutNumber ? "true" : "false") +
                    ", stuck = " + (switches.pageStuck ? "true" : "false") + ";\n" + kTableScript +
                    "</script>";
        }
        res.set_content(page("雲端藥歷", body), "text/html; charset=utf-8");
    }
};

Site::Site(Options options) : d(std::make_unique<Impl>()) { d->options = std::move(options); }

Site::~Site() { stop(); }

Switches& Site::switches() { return d->switches; }
int Site::port() const { return d->port; }
QString Site::error() const { return d->error; }
QString Site::startAddress() const {
    return QStringLiteral("https://%1:%2%3")
        .arg(d->address, QString::number(d->port), QString::fromLatin1(kBase));
}

QJsonObject Site::loadFixture(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) *error = "cannot read " + path;
        return {};
    }
    QJsonParseError parse{};
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parse);
    if (!doc.isObject()) {
        if (error) *error = path + ": " + parse.errorString();
        return {};
    }
    return doc.object();
}

bool Site::start(int port) { return start(QStringLiteral("127.0.0.1"), port); }

bool Site::start(const QString& address, int port) {
    stop();
    d->fixture = loadFixture(d->options.fixtureFile, &d->error);
    if (d->fixture.isEmpty()) return false;
    if (!d->loopback.create(d->options.certFile, d->options.keyFile)) {
        d->error = d->loopback.error();
        return false;
    }
    httplib::SSLServer& s = d->loopback.server();
    Impl* impl = d.get();
    // Every request is counted, and answered late when the switch says so.
    s.set_pre_routing_handler([impl](const auto&, auto&) {
        ++impl->requests;
        impl->hold(impl->switches.answerDelayMs);
        return httplib::Server::HandlerResponse::Unhandled;
    });
    s.Get(kBase, [impl](const auto& req, auto& res) { impl->serveStart(req, res); });
    s.Get(std::string(kBase) + "login",
          [impl](const auto& req, auto& res) { impl->serveLogin(req, res); });
    s.Get(std::string(kBase) + "unavailable", [impl](const auto&, auto& res) {
        res.set_content(page("健保雲端系統", "<p>此登入方式不提供</p>"),
                        "text/html; charset=utf-8");
    });
    s.Get(std::string(kBase) + "changecard",
          [impl](const auto& req, auto& res) { impl->serveChangeCard(req, res); });
    s.Get(std::string(kBase) + "slow", [impl](const auto&, auto& res) {
        impl->hold(impl->switches.staleLoadMs);
        res.set_content(page("", ""), "text/html; charset=utf-8");
    });
    s.Get(std::string(kBase) + "IMUE0008",
          [impl](const auto& req, auto& res) { impl->serveRecords(req, res); });
    // Ways off the site: a link, a link into a new window, a script and a redirect,
    // all to the address in "to".
    s.Get(std::string(kBase) + "away", [](const auto& req, auto& res) {
        const std::string to = req.get_param_value("to");
        res.set_content(
            page("外部連結", "<a id=\"away\" href=\"" + to +
                                 "\">away</a>"
                                 "<a id=\"popup\" target=\"_blank\" href=\"" +
                                 to + "\">popup</a><script>function go() { location.href = \"" +
                                 to + "\"; }</script>"),
            "text/html; charset=utf-8");
    });
    s.Get(std::string(kBase) + "redirect",
          [impl](const auto& req, auto& res) { impl->redirect(res, req.get_param_value("to")); });
    s.Get("/", [impl](const auto&, auto& res) { impl->redirect(res, kBase); });

    if (!d->loopback.listen(address, port)) {
        d->error = d->loopback.error();
        d->port = 0;
        return false;
    }
    d->address = address;
    d->port = d->loopback.port();
    return true;
}

void Site::stop() {
    d->loopback.stop();
    d->port = 0;
}

int Site::requests() const { return d->requests; }

}  // namespace cloudsite
