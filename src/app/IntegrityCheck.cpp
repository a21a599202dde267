#include "app/IntegrityCheck.h"

#include <QEventLoop>
#include <QThread>

#include "db/Engine.h"

namespace {

// A writing station holds the file for moments; the check waits for it.
constexpr int kBusyTimeoutMilliseconds = 10000;

QString FirstFault(const QString& path) {
    try {
        db::Connection connection(path, db::DatabasePassword(), db::OpenMode::ReadOnly,
                                  kBusyTimeoutMilliseconds);
        return connection.checkIntegrity(db::IntegrityDepth::Quick, 1).value(0);
    } catch (const db::Error&) {
        return QString();
    }
}

}  // namespace

IntegrityCheck::IntegrityCheck(const QString& path)
    : path_(path), thread_(QThread::create([this] { firstFault_ = FirstFault(path_); })) {
    thread_->start();
}

IntegrityCheck::~IntegrityCheck() {
    thread_->wait();
}

QString IntegrityCheck::damage() {
    QEventLoop wait;
    QObject::connect(thread_.get(), &QThread::finished, &wait, &QEventLoop::quit);
    if (!thread_->isFinished()) wait.exec();
    thread_->wait();
    if (firstFault_.isEmpty()) return QString();
    return QStringLiteral(
               "The experiment database is damaged:\r\n%1\r\n%2\r\nNothing can be recorded "
               "into it safely. Please call the experimenter (fluxmere-db check names the "
               "damage).")
        .arg(path_, firstFault_);
}
