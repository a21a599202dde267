#pragma once
// The study's versions: the list, the chosen version's settings in a form that the rule book
// judges as they are typed, and saving, undoing, copying and deleting.

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QWidget>

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
    SetupModel model_;
    SetupForm* form_ = nullptr;
    QListWidget list_;
    QLabel others_;
    QLabel told_;
    QPushButton save_, undo_, redo_, copy_, delete_;
};

}  // namespace lab
