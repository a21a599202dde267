#pragma once
// The start-up's look for damage in the experiment database. It reads every page and row, which
// takes about two seconds for a million recorded events, so it runs on a thread of its own
// while the splash shows and the window stays responsive.

#include <QString>
#include <memory>

class QThread;

class IntegrityCheck {
  public:
    // Starts reading the database at path.
    explicit IntegrityCheck(const QString& path);
    // Waits for the reading to end.
    ~IntegrityCheck();
    IntegrityCheck(const IntegrityCheck&) = delete;
    IntegrityCheck& operator=(const IntegrityCheck&) = delete;

    // Waits for the result, keeping the window responsive: empty when nothing is damaged (or
    // the file cannot be opened, which the start-up names on its own); otherwise a message
    // naming the file and the first fault.
    QString damage();

  private:
    QString path_;
    QString firstFault_;
    std::unique_ptr<QThread> thread_;
};
