#include "tests/support/ScratchDisk.h"

#include <sched.h>
#include <sys/mount.h>

#include <QFile>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

namespace {

[[noreturn]] void Refused(const char* what) {
    throw std::runtime_error(std::string("ScratchDisk: ") + what + ": " + std::strerror(errno));
}

// Once per process: later mounts are seen by this process only.
void MountPrivately() {
    static const bool done = [] {
        if (unshare(CLONE_NEWNS) != 0) Refused("unshare");
        if (mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) Refused("private /");
        return true;
    }();
    (void)done;
}

}  // namespace

ScratchDisk::ScratchDisk(qint64 bytes, Access access) {
    MountPrivately();
    const std::string options = "size=" + std::to_string(bytes);
    const unsigned long flags = access == Access::ReadOnly ? MS_RDONLY : 0;
    if (mount("fluxmere-scratch", QFile::encodeName(path()).constData(), "tmpfs", flags,
              options.c_str()) != 0)
        Refused("mount");
}

ScratchDisk::~ScratchDisk() {
    umount2(QFile::encodeName(path()).constData(), MNT_DETACH);
}

void ScratchDisk::makeReadOnly() const {
    if (mount("fluxmere-scratch", QFile::encodeName(path()).constData(), "tmpfs",
              MS_REMOUNT | MS_RDONLY, nullptr) != 0)
        Refused("remount read-only");
}

void ScratchDisk::fill() const {
    QFile filler(filePath(QStringLiteral("filler")));
    filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    const QByteArray block(4096, 'x');
    while (filler.write(block) > 0) {
    }
}
