#pragma once
// The study's data: the export for analysis, the payment sheet of a session (shown, then saved
// as PDF or CSV), a backup, station files merged in, and the integrity check. Each is the
// command of the same name, run off the window's thread by the tab's task runner.

#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QWidget>
#include <vector>

#include "lab/TaskRunner.h"
#include "session/Payments.h"

namespace lab {

class Study;

class DataTab : public QWidget {
    Q_OBJECT

  public:
    DataTab(const Study& study, QWidget* parent = nullptr);

    // What the buttons do once their file dialog has been answered.
    void exportTo(const QString& folder);
    void showPayments(const QDate& day);
    void savePaymentsPdf(const QString& path);
    void savePaymentsCsv(const QString& path);
    void backUpTo(const QString& copyPath);
    void mergeStations(const QStringList& stationFiles);
    void check();

    TaskRunner& runner() { return runner_; }
    const QTableWidget& paymentSheet() const { return sheet_; }
    const QLabel& paymentTotal() const { return total_; }
    // What the last export, merge or check reported, a line each, as the command prints it.
    QStringList results() const;

  private:
    QWidget* exportBox();
    QWidget* paymentsBox();
    QWidget* fileBox();
    void chooseExportFolder();
    void choosePdf();
    void chooseCsv();
    void chooseBackup();
    void chooseStationFiles();
    void listResults(const QStringList& lines);
    void showSheet(const std::vector<tool::Payment>& payments);
    // The payment sheet saved by writer, which runs off the window's thread.
    void savePayments(
        const QString& path,
        std::function<void(const std::vector<tool::Payment>&, const QString&)> writer);
    void setIdle(bool idle);

    QString location_;
    QCheckBox withoutSimulated_;
    QCheckBox overwrite_;
    QPushButton export_;
    QDateEdit day_;
    QCheckBox withSimulated_;
    QPushButton showPayments_;
    QTableWidget sheet_;
    QLabel total_;
    QPushButton savePdf_;
    QPushButton saveCsv_;
    QPushButton backup_;
    QPushButton merge_;
    QPushButton check_;
    QListWidget results_;
    TaskRunner runner_;
    std::vector<tool::Payment> payments_;
    QDateTime since_;  // of the sheet shown
};

}  // namespace lab
