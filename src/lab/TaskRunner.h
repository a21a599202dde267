#pragma once
// The window's long tasks (exports, backups, merges, checks, payment sheets, pilots), one at a
// time, each on a thread of its own: its progress shown, Cancel offered, its end or its
// failure shown in the tool's words. The window stays responsive meanwhile.

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

class QThread;

namespace tool {
class Progress;
}

namespace lab {

class RunnerProgress;

class TaskRunner : public QWidget {
    Q_OBJECT

  public:
    // The work, off the window's thread: it reports to progress and stops when progress says
    // it is cancelled. It throws what the tool throws.
    using Work = std::function<void(tool::Progress& progress)>;
    // What follows work that ended well, on the window's thread: shows its result and returns
    // what the status line says of it.
    using Done = std::function<QString()>;

    explicit TaskRunner(QWidget* parent = nullptr);
    // A task still running is cancelled and waited for: its work may use what the window owns.
    ~TaskRunner() override;

    // Starts the task, titled as its button is; false while another one runs.
    bool start(const QString& title, Work work, Done done);
    bool busy() const { return thread_ != nullptr; }
    void cancel();

    const QLabel& statusLine() const { return status_; }
    const QProgressBar& bar() const { return bar_; }
    QPushButton& cancelButton() { return cancel_; }

  signals:
    void busyChanged(bool busy);
    // The task has ended; the status line says how.
    void finished(bool succeeded);

  private:
    void showProgress();
    void settle();
    void say(const QString& text, bool failure);

    QLabel status_;
    QProgressBar bar_;
    QPushButton cancel_;
    QTimer poll_;
    std::unique_ptr<RunnerProgress> progress_;
    QThread* thread_ = nullptr;
    QString title_;
    Done done_;
    QString failure_;  // written by the task's thread before it ends
};

}  // namespace lab
