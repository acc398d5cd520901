#include "atomic_file.h"

#include <QFileInfo>
#include <QSaveFile>
#include <atomic>

#include "codepage.h"

namespace {

std::atomic<std::uint64_t> writesDone{0};

bool fail(QString* errorText, const QString& what) {
    if (errorText) *errorText = what;
    return false;
}

}  // namespace

bool writeFileAtomically(const QString& path, QByteArrayView data, QString* errorText) {
    if (path.isEmpty()) return fail(errorText, QStringLiteral("no file name given"));
    if (QFileInfo(path).isDir()) return fail(errorText, QStringLiteral("%1 is a folder").arg(path));

    // QSaveFile writes to a temporary file beside the target, syncs it to disk on
    // commit and renames it over the target; cancelled or failed, it removes the
    // temporary file. Writing straight into the target is never allowed.
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    // Unbuffered, so a write the disk cut short is seen here: a buffered one is
    // flushed by commit, which does not notice that part of it never arrived.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(errorText,
                    QStringLiteral("cannot create %1: %2").arg(path, file.errorString()));
    if (file.write(data.data(), data.size()) != data.size()) {
        const QString why = file.errorString();
        file.cancelWriting();
        file.commit();  // discards the temporary file
        return fail(errorText, QStringLiteral("cannot write %1: %2").arg(path, why));
    }
    if (!file.commit())
        return fail(errorText,
                    QStringLiteral("cannot replace %1: %2").arg(path, file.errorString()));
    if (errorText) errorText->clear();
    ++writesDone;
    return true;
}

std::uint64_t atomicFileWrites() { return writesDone; }

bool writeTextFileAtomically(const QString& path, const QString& text, QString* errorText) {
    return writeFileAtomically(path, toAnsi(text), errorText);
}
