#pragma once
// Fluxmere Lab's main window: a study opened from a file or a lab server, its work in tabs.

#include <QMainWindow>
#include <QMenu>
#include <QTabWidget>
#include <optional>

#include "lab/RecentStudies.h"
#include "lab/Study.h"
#include "lab/VersionsTab.h"

namespace lab {

class LabWindow : public QMainWindow {
    Q_OBJECT

  public:
    explicit LabWindow(QWidget* parent = nullptr,
                       const QString& settingsName = QStringLiteral("Fluxmere Lab"));

    // Opens the study at the location, asking for a server's password when the address has
    // none; false, after telling the experimenter why, when it cannot be opened.
    bool openStudy(const QString& location);
    // False when the experimenter keeps the study open for its unsaved edits.
    bool closeStudy();

    const std::optional<Study>& study() const { return study_; }
    // Null while no study is open.
    QTabWidget* tabs() const;

  private:
    void buildMenus();
    void chooseStudyFile();
    void connectToServer();
    void showStartPage();
    void showStudy();
    // Asks about unsaved edits of the study open; false when the experimenter keeps them.
    bool studyMayBeLeft();
    void fillRecentMenu();
    // The address with a password typed by the experimenter; empty if they cancelled.
    std::optional<QString> askServerPassword(const QString& location);

    std::optional<Study> study_;
    VersionsTab* versions_ = nullptr;  // owned by the tabs; null while no study is open
    RecentStudies recent_;
    QMenu* recentMenu_ = nullptr;
    QAction* closeAction_ = nullptr;
};

}  // namespace lab
