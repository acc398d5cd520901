#pragma once
// Message boxes, the input box, yes/no questions and the file dialog behind one
// interface; production shows Qt dialogs, tests use a recording fake.

#include <QString>
#include <optional>

class Prompts {
  public:
    enum class Answer { Yes, No, Closed };

    virtual ~Prompts() = default;

    // Modal, one OK button, centred on the screen.
    virtual void message(const QString& text) = 0;
    // nullopt when cancelled or closed.
    virtual std::optional<QString> inputBox(const QString& caption, const QString& prompt,
                                            const QString& defaultText) = 0;
    virtual Answer question(const QString& text) = 0;
    // The same question as a warning, No being the default button.
    virtual Answer warningQuestion(const QString& text) { return question(text); }
    // A file-open dialog with a single filter (name and pattern) whose file must
    // exist; nullopt when cancelled.
    virtual std::optional<QString> openFile(const QString& startDir, const QString& filterName,
                                            const QString& pattern) = 0;
    // A file-save dialog offering `defaultPath` (folder and name), with a single
    // filter; asks before replacing a file; nullopt when cancelled. Prompts that
    // have no such dialog answer as if it were cancelled.
    virtual std::optional<QString> saveFile(const QString& /*defaultPath*/,
                                            const QString& /*filterName*/,
                                            const QString& /*pattern*/) {
        return std::nullopt;
    }
};
