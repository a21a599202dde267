#pragma once
// A file nobody may write, not even root (whose writes file permissions do not stop), for
// the life of the object.

#include <QString>

class ScopedWriteProtection {
  public:
    explicit ScopedWriteProtection(const QString& path);
    ~ScopedWriteProtection();
    ScopedWriteProtection(const ScopedWriteProtection&) = delete;
    ScopedWriteProtection& operator=(const ScopedWriteProtection&) = delete;

    // False when the file system cannot protect the file (a test then has nothing to show).
    bool active() const { return active_; }

  private:
    bool setImmutable(bool immutable) const;

    QString path_;
    bool active_ = false;
};
