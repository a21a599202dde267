#include "runtime/OffThread.h"

#include <QEventLoop>
#include <QThread>
#include <exception>
#include <memory>

namespace runtime {

void RunOffThread(const std::function<void()>& work) {
    std::exception_ptr failure;
    const std::unique_ptr<QThread> thread(QThread::create([&work, &failure] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    QEventLoop wait;
    QObject::connect(thread.get(), &QThread::finished, &wait, &QEventLoop::quit);
    thread->start();
    if (!thread->isFinished()) wait.exec();
    thread->wait();
    if (failure) std::rethrow_exception(failure);
}

}  // namespace runtime
