#include "qt_prompts_view.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

void QtPrompts::message(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), text,
                    QMessageBox::Ok);
    box.exec();
}

std::optional<QString> QtPrompts::inputBox(const QString& caption, const QString& prompt,
                                           const QString& defaultText) {
    bool ok = false;
    const QString text =
        QInputDialog::getText(nullptr, caption, prompt, QLineEdit::Normal, defaultText, &ok);
    if (!ok) return std::nullopt;
    return text;
}

Prompts::Answer QtPrompts::question(const QString& text) {
    QMessageBox box(QMessageBox::Question, QApplication::applicationDisplayName(), text,
                    QMessageBox::Yes | QMessageBox::No);
    box.setEscapeButton(static_cast<QAbstractButton*>(nullptr));
    const int r = box.exec();
    if (r == QMessageBox::Yes) return Answer::Yes;
    if (r == QMessageBox::No) return Answer::No;
    return Answer::Closed;
}

Prompts::Answer QtPrompts::warningQuestion(const QString& text) {
    QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(), text,
                    QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(static_cast<QAbstractButton*>(nullptr));
    const int r = box.exec();
    if (r == QMessageBox::Yes) return Answer::Yes;
    if (r == QMessageBox::No) return Answer::No;
    return Answer::Closed;
}

std::optional<QString> QtPrompts::openFile(const QString& startDir, const QString& filterName,
                                           const QString& pattern) {
    const QString file = QFileDialog::getOpenFileName(
        nullptr, QString(), startDir,
        filterName + QStringLiteral(" (") + pattern + QLatin1Char(')'));
    if (file.isEmpty()) return std::nullopt;
    return QDir::toNativeSeparators(file);
}

std::optional<QString> QtPrompts::saveFile(const QString& defaultPath, const QString& filterName,
                                           const QString& pattern) {
    const QString file = QFileDialog::getSaveFileName(
        nullptr, QString(), defaultPath,
        filterName + QStringLiteral(" (") + pattern + QLatin1Char(')'));
    if (file.isEmpty()) return std::nullopt;
    return QDir::toNativeSeparators(file);
}
