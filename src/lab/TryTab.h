#pragma once
// Trying a version before a session: played by the experimenter in the real participant
// program, on a scratch copy of the study so that nothing reaches its data; or piloted by
// simulated participants, with the statistics and the plot of fluxmere-db simulate.

#include <QComboBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QWidget>
#include <memory>

#include "lab/Study.h"
#include "lab/TaskRunner.h"

namespace lab {

class TryTab : public QWidget {
    Q_OBJECT

  public:
    TryTab(const Study& study, QWidget* parent = nullptr);
    // A participant program still open is closed, and its scratch copy goes with it.
    ~TryTab() override;

    // Opens the participant program in a window on a scratch copy that holds only this
    // version, the study's accounts and none of its participants.
    void playAsParticipant(const QString& version);
    void pilot(const QString& version, const QString& strategy, int runs);
    // The participant program started by Play; beside this program unless told otherwise.
    void setParticipantProgram(const QString& path) { participantProgram_ = path; }

    TaskRunner& runner() { return runner_; }
    QStringList versions() const;
    // The statistics as fluxmere-db simulate prints them, and its plot.
    QString pilotStatistics() const { return statistics_.toPlainText(); }
    const QImage& pilotPlot() const { return plot_; }
    // The participant program while it is open, and the scratch copy it plays on.
    const QProcess* participant() const { return participant_.get(); }
    QString scratchStudy() const;

  signals:
    void participantEnded();

  private:
    QWidget* playBox();
    QWidget* pilotBox();
    void listVersions();
    void startParticipant(const QString& scratchStudy);
    void participantFinished();
    void showPlot();
    void resizeEvent(QResizeEvent* event) override;

    Study study_;
    QComboBox version_;
    QPushButton play_;
    QLabel playNote_;
    QComboBox strategy_;
    QSpinBox runs_;
    QPushButton pilot_;
    QPlainTextEdit statistics_;
    QLabel plotView_;
    QImage plot_;
    TaskRunner runner_;
    QString participantProgram_;
    std::unique_ptr<QTemporaryDir> scratch_;
    std::unique_ptr<QProcess> participant_;
};

}  // namespace lab
