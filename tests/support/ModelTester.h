#pragma once
// What Qt's model tester finds wrong in a model, caught from the warnings it gives in its
// Warning mode while the object lives.

#include <QString>
#include <QStringList>
#include <QtGlobal>

class TesterFailures {
  public:
    TesterFailures() {
        caughtSoFar().clear();
        previous_ = qInstallMessageHandler(&TesterFailures::collect);
    }
    ~TesterFailures() { qInstallMessageHandler(previous_); }
    TesterFailures(const TesterFailures&) = delete;
    TesterFailures& operator=(const TesterFailures&) = delete;

    const QStringList& caught() const { return caughtSoFar(); }

  private:
    static QStringList& caughtSoFar() {
        static QStringList failures;
        return failures;
    }
    static void collect(QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type != QtDebugMsg && type != QtInfoMsg) caughtSoFar() << message;
    }
    QtMessageHandler previous_;
};
