#pragma once
// The study's versions: the list, the chosen version's settings in a form that the rule book
// judges as they are typed, and saving, undoing, copying and deleting.

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QUndoGroup>
#include <QWidget>

#include "lab/PeriodPlot.h"
#include "lab/RowsEditor.h"
#include "lab/RowsModel.h"
#include "lab/SetupForm.h"
#include "lab/SetupModel.h"
#include "lab/Study.h"
#include "lab/VersionStore.h"

namespace lab {

class VersionsTab : public QWidget {
    Q_OBJECT

  public:
    explicit VersionsTab(const Study& study, QWidget* parent = nullptr);
    QSize sizeHint() const override;

    SetupModel& model() { return model_; }
    const SetupForm& form() const { return *form_; }
    // The version's environment scenario, delay scenario and labels.
    RowsModel& scenario() { return scenario_; }
    RowsModel& delays() { return delays_; }
    RowsModel& labels() { return labels_; }
    const PeriodPlot& flowPlot() const { return *flows_; }
    const PeriodPlot& delayTimeline() const { return *timeline_; }
    QTabWidget& pages() { return pages_; }
    // The editors of the environment scenario, the delay segments and the labels.
    const RowsEditor& editorOf(const RowsModel& rows) const;
    // Something of the version is edited and not saved.
    bool isModified() const;
    const QListWidget& list() const { return list_; }
    // What the tab last told the experimenter.
    QString told() const { return told_.text(); }

    // The version whose settings are shown; empty while none.
    QString version() const { return model_.opened().version; }
    // Shows a version, forgetting unsaved edits.
    void showVersion(const QString& version);

    // Each tells the experimenter what became of it; false when nothing was stored.
    bool save();
    bool copyVersion(const QString& name);
    bool deleteVersion();

    // Asks what becomes of unsaved edits; false when the experimenter keeps them open.
    bool editsSettled();

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildLayout();
    void addShortcuts();
    void fillList(const QString& select);
    void versionChosen(const QString& version);
    // Save from the button or the keys: what stops it also shows in a message box.
    void saveAsked();
    void askCopyName();
    void askDelete();
    void showOtherFindings();
    void tell(const QString& text, bool fault = false);
    // Runs a change to the study; a failure is told and gives false.
    template <typename Change>
    bool tellingFailures(Change&& change);

    VersionStore store_;
    void loadRows();
    std::vector<RowsEdit> rowsEdits() const;
    void plotFlows();
    void plotDelays();

    SetupModel model_;
    SetupForm* form_ = nullptr;
    RowsModel scenario_, delays_, labels_;
    RowsKey scenarioKey_, delaysKey_, labelsKey_;
    RowsEditor *scenarioEditor_ = nullptr, *delaysEditor_ = nullptr, *labelsEditor_ = nullptr;
    // Owned by their pages.
    PeriodPlot* flows_ = new PeriodPlot;
    PeriodPlot* timeline_ = new PeriodPlot;
    QTabWidget pages_;
    QUndoGroup undoGroup_;
    QWidget* watchedWindow_ = nullptr;
    QListWidget list_;
    QLabel others_;
    QLabel told_;
    QPushButton save_, undo_, redo_, copy_, delete_;
};

}  // namespace lab
