#include "tool/common/OutputFile.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "tool/common/ToolError.h"

namespace tool {

namespace {

// The device's own reason when it has one; Qt leaves some failures (a short write of a
// buffered file) without one, and then the system's last error tells.
QString Reason(const QIODevice& device, int systemError) {
    const auto* file = qobject_cast<const QFileDevice*>(&device);
    if (file && file->error() != QFileDevice::NoError) return file->errorString();
    if (systemError != 0) return QString::fromLocal8Bit(std::strerror(systemError));
    return device.errorString();
}

QString NameOf(const QIODevice& device) {
    const auto* file = qobject_cast<const QFileDevice*>(&device);
    return file ? file->fileName() + QStringLiteral(": ") : QString();
}

[[noreturn]] void Fail(const QIODevice& device, const char* doing, int systemError) {
    throw ToolError(NameOf(device) + QString::fromLatin1(doing) + QStringLiteral(": ") +
                    Reason(device, systemError));
}

}  // namespace

void WriteAll(QIODevice& out, const char* data, qint64 size) {
    while (size > 0) {
        errno = 0;
        const qint64 written = out.write(data, size);
        if (written <= 0) Fail(out, "cannot write", errno);
        data += written;
        size -= written;
    }
}

void MakeFolder(const QString& path) {
    std::error_code error;
    const std::filesystem::path folder(QFile::encodeName(path).toStdString());
    std::filesystem::create_directories(folder, error);
    if (!error && !std::filesystem::is_directory(folder, error))
        error = std::make_error_code(std::errc::not_a_directory);
    if (error)
        throw ToolError(QStringLiteral("%1: cannot create the folder: %2")
                            .arg(path, QString::fromLocal8Bit(error.message().c_str())));
}

OutputFile::OutputFile(const QString& path) : file_(path) {
    errno = 0;
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        Fail(file_, "cannot write", errno);
}

void OutputFile::commit() {
    errno = 0;
    if (!file_.commit()) Fail(file_, "cannot write", errno);
}

void WriteWholeFile(const QString& path, const QByteArray& bytes) {
    OutputFile file(path);
    file.write(bytes);
    file.commit();
}

}  // namespace tool
