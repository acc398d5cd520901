#pragma once
// A Prompts for tests: records every prompt in order and answers from scripted
// queues, one per kind of prompt. Without a scripted answer a question counts as
// closed and an input box or file dialog as cancelled, the way a user who just
// closes the box would leave it.
//
//   RecordingPrompts prompts;
//   prompts.scriptQuestion(Prompts::Answer::Yes);
//   ... run the code ...
//   EXPECT_THAT(prompts.messages(), ElementsAre("讀卡機Timeout!"));
//   EXPECT_TRUE(prompts.allScriptUsed());

#include <QString>
#include <QStringList>
#include <deque>
#include <optional>
#include <vector>

#include "common/prompts.h"

class RecordingPrompts : public Prompts {
  public:
    enum class Kind { Message, Input, Question, OpenFile, SaveFile };

    struct Record {
        Kind kind;
        QString text;         // message or question text; input box prompt
        QString caption;      // input box caption
        QString defaultText;  // input box default; file dialog start folder or path
        QString filter;       // file dialog: filter name and pattern, "name|pattern"
        bool scripted = false;
    };

    void message(const QString& text) override;
    std::optional<QString> inputBox(const QString& caption, const QString& prompt,
                                    const QString& defaultText) override;
    Answer question(const QString& text) override;
    std::optional<QString> openFile(const QString& startDir, const QString& filterName,
                                    const QString& pattern) override;
    std::optional<QString> saveFile(const QString& defaultPath, const QString& filterName,
                                    const QString& pattern) override;

    void scriptQuestion(Answer answer) { questions_.push_back(answer); }
    // nullopt scripts a cancelled box.
    void scriptInput(std::optional<QString> answer) { inputs_.push_back(std::move(answer)); }
    void scriptOpenFile(std::optional<QString> path) { files_.push_back(std::move(path)); }
    void scriptSaveFile(std::optional<QString> path) { saves_.push_back(std::move(path)); }

    const std::vector<Record>& records() const { return records_; }
    // The texts of the message boxes shown, in order.
    QStringList messages() const;
    // The texts of the questions asked, in order.
    QStringList questions() const;
    // True when every scripted answer was taken: a test whose code asked fewer
    // questions than it expected sees it here.
    bool allScriptUsed() const {
        return questions_.empty() && inputs_.empty() && files_.empty() && saves_.empty();
    }
    // Prompts that found no scripted answer and got the default one.
    int unscriptedCount() const;
    void clear();

  private:
    std::vector<Record> records_;
    std::deque<Answer> questions_;
    std::deque<std::optional<QString>> inputs_;
    std::deque<std::optional<QString>> files_;
    std::deque<std::optional<QString>> saves_;
};
