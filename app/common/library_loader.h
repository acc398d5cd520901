#pragma once
// Loading a partner library by plain name ("cshis": cshis.dll on Windows, libcshis.so
// elsewhere) the way the Windows loader finds it: the program's own folder first, then
// the plain name through the platform's search order.

#include <QLibrary>
#include <QString>
#include <functional>
#include <memory>

// Says why a library that loaded cannot serve (empty: it can). A refused library is
// unloaded again and the next place is tried.
using LibraryCheck = std::function<QString(QLibrary& library)>;

// The first library that loads and passes `check` (none: every one passes), or null.
// Without a program folder only the plain name is tried. When nothing serves and
// `error` is given, it receives every attempt's reason, joined by "; ".
std::unique_ptr<QLibrary> loadBesideProgram(const QString& programDir, const QString& baseName,
                                            QString* error = nullptr,
                                            const LibraryCheck& check = {});
