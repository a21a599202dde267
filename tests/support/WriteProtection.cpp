#include "tests/support/WriteProtection.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <QFile>

ScopedWriteProtection::ScopedWriteProtection(const QString& path) : path_(path) {
    QFile::setPermissions(path_, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    active_ = geteuid() != 0 || setImmutable(true);
}

ScopedWriteProtection::~ScopedWriteProtection() {
    if (geteuid() == 0) setImmutable(false);
    QFile::setPermissions(
        path_, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
}

bool ScopedWriteProtection::setImmutable(bool immutable) const {
    const int fd = open(QFile::encodeName(path_).constData(), O_RDONLY);
    if (fd < 0) return false;
    int flags = 0;
    bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = immutable ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        done = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    close(fd);
    return done;
}
