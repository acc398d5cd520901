#pragma once
// Prompts on Qt dialogs: modal, without a parent window, so they are centred on
// the screen.

#include "common/prompts.h"

class QtPrompts : public Prompts {
  public:
    void message(const QString& text) override;
    std::optional<QString> inputBox(const QString& caption, const QString& prompt,
                                    const QString& defaultText) override;
    Answer question(const QString& text) override;
    Answer warningQuestion(const QString& text) override;
    std::optional<QString> openFile(const QString& startDir, const QString& filterName,
                                    const QString& pattern) override;
    std::optional<QString> saveFile(const QString& defaultPath, const QString& filterName,
                                    const QString& pattern) override;
};
