#pragma once
// Damage as a disk or a careless copy leaves it: bytes of a file overwritten at random, or the
// file cut short.

#include <QFile>
#include <QRandomGenerator>
#include <QString>
#include <stdexcept>

inline void OverwriteWithRandomBytes(const QString& path, qint64 offset, int count) {
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite) || !file.seek(offset))
        throw std::runtime_error("cannot damage " + path.toStdString());
    QByteArray bytes(count, Qt::Uninitialized);
    QRandomGenerator generator(20261210);
    for (char& byte : bytes) byte = static_cast<char>(generator.bounded(256));
    file.write(bytes);
}

// 64 random bytes in the middle of the file, which a large table fills.
inline void DamageTheMiddlePage(const QString& path) {
    const qint64 pageSize = 1024;
    OverwriteWithRandomBytes(path, QFile(path).size() / 2 / pageSize * pageSize + 100, 64);
}

inline void CutShort(const QString& path, qint64 bytes) {
    QFile file(path);
    if (!file.resize(bytes)) throw std::runtime_error("cannot cut " + path.toStdString());
}
