#pragma once
// Helpers the fuzz targets share: the input as text in the encodings the outside
// world uses, and a cursor that takes small values off the front of it.
#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QString>
#include <cstddef>
#include <cstdint>

namespace fuzz {

inline QByteArray bytes(const std::uint8_t* data, std::size_t size) {
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// Page texts reach the program as UTF-8 from the browser; invalid sequences become
// U+FFFD as they would there.
inline QString utf8(const std::uint8_t* data, std::size_t size) {
    return QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// Where targets that must go through a file put it: memory when the system has a
// folder for it, since every settings write syncs the file to disk.
inline QString scratchFolder() {
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    return shm.isDir() && shm.isWritable() ? shm.filePath() : QDir::tempPath();
}

class Cursor {
  public:
    Cursor(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool empty() const { return pos_ >= size_; }
    std::size_t left() const { return size_ - pos_; }
    std::uint8_t byte() { return empty() ? 0 : data_[pos_++]; }
    // Up to n bytes as they are.
    QByteArray take(std::size_t n) {
        n = n < left() ? n : left();
        QByteArray out(reinterpret_cast<const char*>(data_ + pos_), static_cast<qsizetype>(n));
        pos_ += n;
        return out;
    }
    QByteArray rest() { return take(left()); }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

}  // namespace fuzz
