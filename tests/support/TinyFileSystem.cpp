#include "tests/support/TinyFileSystem.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

TinyFileSystem::TinyFileSystem(const QString& mountPoint, qint64 sizeBytes)
    : m_mountPoint(mountPoint)
{
    if (::geteuid() != 0) {
        m_skipReason = u"mounting a small file system needs the superuser"_s;
        return;
    }
    if (!QDir().mkpath(mountPoint)) {
        m_skipReason = u"cannot create the mount point "_s + mountPoint;
        return;
    }
    const QByteArray options = "size=" + QByteArray::number(sizeBytes) + ",mode=0700";
    if (::mount("tmpfs", QFile::encodeName(mountPoint).constData(), "tmpfs", MS_NOSUID | MS_NODEV, options.constData())
        != 0) {
        m_skipReason = u"cannot mount a tmpfs here: "_s + QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    m_mounted = true;
}

TinyFileSystem::~TinyFileSystem()
{
    if (m_mounted)
        ::umount2(QFile::encodeName(m_mountPoint).constData(), MNT_DETACH);
}

bool TinyFileSystem::fill() const
{
    const QByteArray path = QFile::encodeName(m_mountPoint + u"/filler"_s);
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    const QByteArray page(4096, 'f');
    ssize_t written = 0;
    do
        written = ::write(fd, page.constData(), static_cast<size_t>(page.size()));
    while (written > 0 || (written < 0 && errno == EINTR));
    const bool full = written < 0 && errno == ENOSPC;
    ::close(fd);
    return full;
}
