#include "lab/TaskRunner.h"

#include <QHBoxLayout>
#include <QThread>
#include <atomic>
#include <mutex>

#include "tool/common/Failure.h"
#include "tool/common/Progress.h"

namespace lab {

// What the task reports, read by the window a few times a second.
class RunnerProgress : public tool::Progress {
  public:
    void finish() override { done_ = total_.load(); }
    void abandon() override {}
    bool visible() const override { return true; }

    QString what() const {
        const std::lock_guard lock(mutex_);
        return what_;
    }
    long long total() const { return total_; }
    long long done() const { return done_; }

  protected:
    void started(const QString& what, long long total) override {
        {
            const std::lock_guard lock(mutex_);
            what_ = what;
        }
        total_ = total;
        done_ = 0;
    }
    void advanced(long long done) override { done_ = done; }

  private:
    mutable std::mutex mutex_;
    QString what_;
    std::atomic<long long> total_{0};
    std::atomic<long long> done_{0};
};

namespace {

constexpr int kPollMs = 100;

}  // namespace

TaskRunner::TaskRunner(QWidget* parent) : QWidget(parent), cancel_(tr("Cance&l")), poll_(this) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    status_.setWordWrap(true);
    status_.setTextInteractionFlags(Qt::TextSelectableByMouse);
    bar_.setRange(0, 1);
    bar_.setValue(0);
    bar_.setTextVisible(false);
    cancel_.setEnabled(false);
    layout->addWidget(&status_, 1);
    layout->addWidget(&bar_);
    layout->addWidget(&cancel_);
    poll_.setInterval(kPollMs);
    connect(&poll_, &QTimer::timeout, this, &TaskRunner::showProgress);
    connect(&cancel_, &QPushButton::clicked, this, &TaskRunner::cancel);
}

TaskRunner::~TaskRunner() {
    if (!thread_) return;
    thread_->disconnect(this);
    progress_->cancel();
    thread_->wait();
    delete thread_;
}

bool TaskRunner::start(const QString& title, Work work, Done done) {
    if (busy()) return false;
    title_ = title;
    done_ = std::move(done);
    failure_.clear();
    progress_ = std::make_unique<RunnerProgress>();
    thread_ = QThread::create([this, work = std::move(work), progress = progress_.get()] {
        try {
            work(*progress);
        } catch (const std::exception& error) {
            failure_ = tool::FailureText(error);
        }
    });
    connect(thread_, &QThread::finished, this, &TaskRunner::settle);
    say(tr("%1 …").arg(title_), false);
    bar_.setRange(0, 0);
    cancel_.setEnabled(true);
    poll_.start();
    thread_->start();
    emit busyChanged(true);
    return true;
}

void TaskRunner::cancel() {
    if (!busy()) return;
    progress_->cancel();
    cancel_.setEnabled(false);
}

void TaskRunner::showProgress() {
    const long long total = progress_->total();
    const QString what = progress_->what();
    if (total > 0) {
        bar_.setRange(0, 1000);
        bar_.setValue(static_cast<int>(progress_->done() * 1000 / total));
        say(tr("%1: %2, %3 of %4").arg(title_, what).arg(progress_->done()).arg(total), false);
    } else if (!what.isEmpty()) {
        bar_.setRange(0, 0);
        say(tr("%1: %2, %3").arg(title_, what).arg(progress_->done()), false);
    }
}

void TaskRunner::settle() {
    poll_.stop();
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    cancel_.setEnabled(false);
    bar_.setRange(0, 1);
    bool succeeded = false;
    // Work that ended before it saw a Cancel has done all it does: it is shown as done.
    if (!failure_.isEmpty()) {
        say(title_ + QStringLiteral(": ") + failure_, true);
    } else {
        succeeded = true;
        try {
            say(title_ + QStringLiteral(": ") + (done_ ? done_() : QString()), false);
        } catch (const std::exception& error) {
            succeeded = false;
            say(title_ + QStringLiteral(": ") + tool::FailureText(error), true);
        }
    }
    bar_.setValue(0);
    emit busyChanged(false);
    emit finished(succeeded);
}

void TaskRunner::say(const QString& text, bool failure) {
    status_.setText(text);
    status_.setStyleSheet(failure ? QStringLiteral("color: #b00020") : QString());
}

}  // namespace lab
