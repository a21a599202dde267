#pragma once
// A small file system of its own (tmpfs) on a temporary folder, for what a lab meets on real
// disks: a disk that fills up, a folder that is read-only. It is mounted in a mount namespace
// private to the test process, so it vanishes with the process whatever happens.

#include <QString>
#include <QTemporaryDir>

class ScratchDisk {
  public:
    enum class Access { Writable, ReadOnly };

    // Throws std::runtime_error when the system refuses the mount.
    explicit ScratchDisk(qint64 bytes, Access access = Access::Writable);
    ~ScratchDisk();
    ScratchDisk(const ScratchDisk&) = delete;
    ScratchDisk& operator=(const ScratchDisk&) = delete;

    QString path() const { return dir_.path(); }
    QString filePath(const QString& name) const { return dir_.filePath(name); }
    // Takes every free byte, so the next write fails for want of space.
    void fill() const;
    // From now on nothing on the disk can be written.
    void makeReadOnly() const;

  private:
    QTemporaryDir dir_;
};
