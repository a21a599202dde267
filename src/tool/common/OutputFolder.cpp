#include "tool/common/OutputFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tool/common/OutputFile.h"

namespace tool {

namespace {

// A new folder's files are gathered beside it, so that it appears whole under its name; an
// existing folder's inside it, so that each file moves within one file system.
QString StagingTemplate(const QString& path, bool existing) {
    const QFileInfo target(path);
    if (existing) return QDir(path).filePath(QStringLiteral(".incomplete-XXXXXX"));
    return target.absolutePath() + QLatin1Char('/') + target.fileName() +
           QStringLiteral(".incomplete-XXXXXX");
}

void Move(const QString& from, const QString& to, const QString& shownAs) {
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        throw ToolError(QStringLiteral("%1: cannot write: %2")
                            .arg(shownAs, QString::fromLocal8Bit(std::strerror(errno))));
}

}  // namespace

OutputFolder::OutputFolder(const QString& path)
    : path_(QDir::cleanPath(path)), existed_(QFileInfo(path_).isDir()) {
    if (!existed_ && QFileInfo::exists(path_))
        throw ToolError(
            QStringLiteral("%1: cannot create the folder: a file has that name").arg(path_));
    try {
        MakeFolder(existed_ ? path_ : QFileInfo(path_).absolutePath());
    } catch (const ToolError&) {
        // The parent is named by the folder asked for; the reason is the same.
        MakeFolder(path_);
    }
    staging_ = std::make_unique<QTemporaryDir>(StagingTemplate(path_, existed_));
    if (!staging_->isValid()) {
        throw ToolError(QStringLiteral("%1: %2: %3")
                            .arg(path_,
                                 existed_ ? QStringLiteral("cannot write into the folder")
                                          : QStringLiteral("cannot create the folder"),
                                 staging_->errorString()));
    }
}

QString OutputFolder::stagingPath(const QString& name) const {
    return staging_->filePath(name);
}

QString OutputFolder::finalPath(const QString& name) const {
    return QDir(path_).filePath(name);
}

ToolError OutputFolder::named(const ToolError& error) const {
    QString message = error.message();
    return ToolError(message.replace(staging_->path(), path_));
}

void OutputFolder::commit() {
    if (!existed_) {
        Move(staging_->path(), path_, path_);
    } else {
        for (const QString& name : QDir(staging_->path()).entryList(QDir::Files | QDir::Hidden))
            Move(stagingPath(name), finalPath(name), finalPath(name));
    }
    staging_->setAutoRemove(existed_);
    staging_.reset();
}

}  // namespace tool
