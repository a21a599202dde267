#include "recording/ClaimHolder.h"

#include <unistd.h>

#include <QFile>
#include <QStringList>
#include <cerrno>
#include <csignal>
#include <optional>

namespace {

const QChar kSeparator = QLatin1Char(' ');

QString FirstLineOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QString();
    return QString::fromLatin1(file.readLine()).trimmed();
}

QString LinkTarget(const char* path) {
    char target[256];
    const ssize_t length = readlink(path, target, sizeof target);
    return length > 0 ? QString::fromLatin1(target, length) : QString();
}

// Two programs see the same machine id, boot id and process namespace exactly when one can
// look at the other's process by its id.
QString ThisSystem() {
    const QStringList parts = {FirstLineOf(QStringLiteral("/etc/machine-id")),
                               FirstLineOf(QStringLiteral("/proc/sys/kernel/random/boot_id")),
                               LinkTarget("/proc/self/ns/pid")};
    for (const QString& part : parts) {
        if (part.isEmpty() || part.contains(kSeparator)) return QString();
    }
    return parts.join(kSeparator);
}

struct ProcessStatus {
    QChar state;
    qint64 startTime = 0;
};

// A process's state and start time from /proc; nothing when it cannot be read (no such
// process, or /proc hides other users' processes).
std::optional<ProcessStatus> StatusOf(qint64 pid) {
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QString stat = QString::fromLatin1(file.readAll());
    // The command name in parentheses may hold spaces; the fields after it from the state on.
    const QStringList fields =
        stat.mid(stat.lastIndexOf(QLatin1Char(')')) + 1).split(kSeparator, Qt::SkipEmptyParts);
    constexpr int kStartTimeField = 19;  // the 22nd field of the line
    if (fields.size() <= kStartTimeField) return std::nullopt;
    return ProcessStatus{fields[0].at(0), fields[kStartTimeField].toLongLong()};
}

bool Ended(const ProcessStatus& status) {
    return status.state == QLatin1Char('Z') || status.state == QLatin1Char('X');
}

}  // namespace

QString ClaimHolder::text() const {
    if (system.isEmpty()) return QString();
    return QStringList{system, QString::number(pid), QString::number(startTime)}.join(kSeparator);
}

ClaimHolder ClaimHolder::fromText(const QString& text) {
    const QStringList fields = text.split(kSeparator, Qt::SkipEmptyParts);
    if (fields.size() != 5) return {};
    return {fields.mid(0, 3).join(kSeparator), fields[3].toLongLong(), fields[4].toLongLong()};
}

ClaimHolder ThisProgram() {
    return ProcessOnThisSystem(getpid());
}

ClaimHolder ProcessOnThisSystem(qint64 pid) {
    const std::optional<ProcessStatus> status = StatusOf(pid);
    // Without its start time, a later process given the same id could not be told from it.
    if (!status || Ended(*status)) return {};
    return {ThisSystem(), pid, status->startTime};
}

HolderState StateOf(const ClaimHolder& holder) {
    if (holder.system.isEmpty() || holder.pid <= 0 || holder.system != ThisSystem())
        return HolderState::Unknown;
    if (kill(static_cast<pid_t>(holder.pid), 0) != 0 && errno == ESRCH) return HolderState::Gone;
    const std::optional<ProcessStatus> status = StatusOf(holder.pid);
    // A process that exists but cannot be looked at may be the holder.
    if (!status) return HolderState::Running;
    if (Ended(*status) || status->startTime != holder.startTime) return HolderState::Gone;
    return HolderState::Running;
}
