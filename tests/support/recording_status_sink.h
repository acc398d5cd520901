#pragma once
// A StatusSink for tests: keeps the current texts and every change in order.

#include <QString>
#include <QStringList>

#include "common/status_sink.h"

class RecordingStatusSink : public StatusSink {
  public:
    void setMsg1(const QString& text) override { set(msg1, "1:", text); }
    void setMsg2(const QString& text) override { set(msg2, "2:", text); }
    void setMsg3(const QString& text) override { set(msg3, "3:", text); }
    void setBusyCursor(bool on) override {
        busy = on;
        history.append(on ? QStringLiteral("busy") : QStringLiteral("idle"));
    }

    QString msg1, msg2, msg3;
    bool busy = false;
    // Every change as "1:text", "2:text", "3:text", "busy" or "idle".
    QStringList history;

  private:
    void set(QString& field, const char* tag, const QString& text) {
        field = text;
        history.append(QLatin1String(tag) + text);
    }
};
