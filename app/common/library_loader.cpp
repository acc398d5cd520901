#include "library_loader.h"

#include <QDir>
#include <QStringList>

std::unique_ptr<QLibrary> loadBesideProgram(const QString& programDir, const QString& baseName,
                                            QString* error, const LibraryCheck& check) {
    QStringList errors;
    const QStringList candidates = {QDir(programDir).filePath(baseName), baseName};
    for (const QString& name : candidates) {
        if (name.isEmpty() || (name != baseName && programDir.isEmpty())) continue;
        auto lib = std::make_unique<QLibrary>(name);
        if (!lib->load()) {
            errors << lib->errorString();
            continue;
        }
        const QString refused = check ? check(*lib) : QString();
        if (!refused.isEmpty()) {
            errors << refused;
            lib->unload();
            continue;
        }
        if (error) error->clear();
        return lib;
    }
    if (error) *error = errors.join(QStringLiteral("; "));
    return nullptr;
}
