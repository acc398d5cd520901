#pragma once
// Every file the program writes, text or binary, goes through here: the content is
// written whole to a temporary file in the same folder, flushed to disk and renamed
// over the old file. A crash or a full disk leaves the old file or the new one,
// never half of one, and a failed write is reported, never taken for success.

#include <QByteArrayView>
#include <QString>
#include <cstdint>

// Replaces (or creates) `path` with `data`. On failure returns false, leaves the old
// file as it was, removes the temporary file and, when `errorText` is given, says
// what went wrong. The folder must exist; it is not created here.
bool writeFileAtomically(const QString& path, QByteArrayView data, QString* errorText = nullptr);

// The same for text: written in CP950, the system's code page, as it stands (line
// ends are the caller's).
bool writeTextFileAtomically(const QString& path, const QString& text,
                             QString* errorText = nullptr);

// How many files this process has replaced so far. Each replacement syncs the disk,
// so the tests and benchmarks count them.
std::uint64_t atomicFileWrites();
