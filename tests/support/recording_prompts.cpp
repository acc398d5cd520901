#include "recording_prompts.h"

#include <utility>

namespace {

template <typename T>
std::optional<T> take(std::deque<T>& queue) {
    if (queue.empty()) return std::nullopt;
    T value = std::move(queue.front());
    queue.pop_front();
    return value;
}

}  // namespace

void RecordingPrompts::message(const QString& text) {
    records_.push_back({Kind::Message, text, {}, {}, {}, true});
}

std::optional<QString> RecordingPrompts::inputBox(const QString& caption, const QString& prompt,
                                                  const QString& defaultText) {
    auto answer = take(inputs_);
    records_.push_back({Kind::Input, prompt, caption, defaultText, {}, answer.has_value()});
    return answer ? *answer : std::nullopt;
}

Prompts::Answer RecordingPrompts::question(const QString& text) {
    auto answer = take(questions_);
    records_.push_back({Kind::Question, text, {}, {}, {}, answer.has_value()});
    return answer.value_or(Answer::Closed);
}

std::optional<QString> RecordingPrompts::openFile(const QString& startDir,
                                                  const QString& filterName,
                                                  const QString& pattern) {
    auto answer = take(files_);
    records_.push_back(
        {Kind::OpenFile, {}, {}, startDir, filterName + u'|' + pattern, answer.has_value()});
    return answer ? *answer : std::nullopt;
}

std::optional<QString> RecordingPrompts::saveFile(const QString& defaultPath,
                                                  const QString& filterName,
                                                  const QString& pattern) {
    auto answer = take(saves_);
    records_.push_back(
        {Kind::SaveFile, {}, {}, defaultPath, filterName + u'|' + pattern, answer.has_value()});
    return answer ? *answer : std::nullopt;
}

QStringList RecordingPrompts::messages() const {
    QStringList texts;
    for (const Record& r : records_)
        if (r.kind == Kind::Message) texts.append(r.text);
    return texts;
}

QStringList RecordingPrompts::questions() const {
    QStringList texts;
    for (const Record& r : records_)
        if (r.kind == Kind::Question) texts.append(r.text);
    return texts;
}

int RecordingPrompts::unscriptedCount() const {
    int n = 0;
    for (const Record& r : records_)
        if (r.kind != Kind::Message && !r.scripted) ++n;
    return n;
}

void RecordingPrompts::clear() {
    records_.clear();
    questions_.clear();
    inputs_.clear();
    files_.clear();
    saves_.clear();
}
