#pragma once
// Small recording doubles for the cloud tests: messages shown and status texts.

#include <QString>
#include <QStringList>
#include <optional>

#include "common/prompts.h"
#include "common/status_sink.h"

struct MessageLog : Prompts {
    QStringList messages;
    std::optional<QString> answer;
    void message(const QString& text) override { messages.append(text); }
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override {
        return answer;
    }
    Answer question(const QString&) override { return Answer::No; }
    std::optional<QString> openFile(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
};

struct StatusLog : StatusSink {
    QStringList msg1;
    void setMsg1(const QString& text) override { msg1.append(text); }
    void setMsg2(const QString&) override {}
    void setMsg3(const QString&) override {}
    void setBusyCursor(bool) override {}
};
