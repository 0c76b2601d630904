#pragma once

#include <QString>

// A file system of a few kilobytes (a tmpfs) mounted on a folder for the life of the object, so
// a test can fill a disk without touching a real one. Mounting needs the superuser; when the
// mount cannot be made, isMounted() is false and skipReason() says why.
class TinyFileSystem final {
public:
    // Creates `mountPoint` when missing; whatever it held stays hidden while mounted.
    explicit TinyFileSystem(const QString& mountPoint, qint64 sizeBytes = 16 * 1024);
    ~TinyFileSystem();
    TinyFileSystem(const TinyFileSystem&) = delete;
    TinyFileSystem& operator=(const TinyFileSystem&) = delete;

    bool isMounted() const { return m_mounted; }
    const QString& skipReason() const { return m_skipReason; }

    // Writes a filler file until the file system refuses more bytes; true when it is full.
    bool fill() const;

private:
    QString m_mountPoint;
    QString m_skipReason;
    bool m_mounted = false;
};
