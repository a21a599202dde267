#include "lab/LabWindow.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>

#include "db/Location.h"
#include "lab/AccountsTab.h"
#include "lab/DataTab.h"
#include "lab/SessionTab.h"
#include "lab/StartPage.h"
#include "lab/TryTab.h"
#include "lab/VersionsTab.h"
#include "tool/common/ToolError.h"

namespace lab {

namespace {
const QString kTitle = QStringLiteral("Fluxmere Lab");
}

LabWindow::LabWindow(QWidget* parent, const QString& settingsName)
    : QMainWindow(parent), recent_(settingsName) {
    // Most of the screen, whatever its size and scale factor.
    resize(screen()->availableGeometry().size() * 0.9);
    buildMenus();
    showStartPage();
}

void LabWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addAction(tr("&Open study..."), QKeySequence::Open, this, &LabWindow::chooseStudyFile);
    file->addAction(tr("&Connect to lab server..."), QKeySequence(tr("Ctrl+L")), this,
                    &LabWindow::connectToServer);
    recentMenu_ = file->addMenu(tr("Open &recent"));
    closeAction_ =
        file->addAction(tr("C&lose study"), QKeySequence::Close, this, &LabWindow::closeStudy);
    file->addSeparator();
    file->addAction(tr("&Quit"), QKeySequence::Quit, this, &QWidget::close);
    fillRecentMenu();
}

void LabWindow::fillRecentMenu() {
    recentMenu_->clear();
    const QStringList studies = recent_.list();
    for (int i = 0; i < studies.size(); ++i) {
        const QString location = studies[i];
        recentMenu_->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(location), this,
                               [this, location] { openStudy(location); });
    }
    recentMenu_->setEnabled(!studies.isEmpty());
}

void LabWindow::chooseStudyFile() {
    const QString path = QFileDialog::getOpenFileName(
        this, tr("Open study"), QString(), tr("Experiment databases (*.mdb);;All files (*)"));
    if (!path.isEmpty()) openStudy(path);
}

void LabWindow::connectToServer() {
    bool ok = false;
    const QString address = QInputDialog::getText(
        this, tr("Connect to lab server"), tr("Server address (postgresql://USER@HOST/DATABASE):"),
        QLineEdit::Normal, QStringLiteral("postgresql://"), &ok);
    if (ok && !address.trimmed().isEmpty()) openStudy(address.trimmed());
}

std::optional<QString> LabWindow::askServerPassword(const QString& location) {
    bool ok = false;
    const QString password =
        QInputDialog::getText(this, tr("Connect to lab server"),
                              tr("Password for %1 (leave it empty if the server needs none):")
                                  .arg(db::LocationForMessages(location)),
                              QLineEdit::Password, QString(), &ok);
    if (!ok) return std::nullopt;
    return password.isEmpty() ? location : WithPassword(location, password);
}

bool LabWindow::openStudy(const QString& location) {
    QString connectTo = location;
    if (LacksPassword(location)) {
        const std::optional<QString> withPassword = askServerPassword(location);
        if (!withPassword) return false;
        connectTo = *withPassword;
    }
    Study study(connectTo);
    try {
        study.open(db::OpenMode::ReadOnly);
    } catch (const tool::ToolError& error) {
        QMessageBox::warning(this, kTitle, error.message());
        return false;
    }
    if (!studyMayBeLeft()) return false;
    study_ = std::move(study);
    recent_.add(study_->shownLocation());
    fillRecentMenu();
    showStudy();
    return true;
}

bool LabWindow::closeStudy() {
    if (!studyMayBeLeft()) return false;
    versions_ = nullptr;
    study_.reset();
    showStartPage();
    return true;
}

bool LabWindow::studyMayBeLeft() {
    return !versions_ || versions_->editsSettled();
}

QTabWidget* LabWindow::tabs() const {
    return qobject_cast<QTabWidget*>(centralWidget());
}

void LabWindow::showStartPage() {
    auto* start = new StartPage(recent_.list());
    connect(start, &StartPage::openFileChosen, this, &LabWindow::chooseStudyFile);
    connect(start, &StartPage::connectChosen, this, &LabWindow::connectToServer);
    connect(start, &StartPage::recentChosen, this, &LabWindow::openStudy);
    setCentralWidget(start);
    closeAction_->setEnabled(false);
    setWindowTitle(kTitle);
}

void LabWindow::showStudy() {
    auto* tabs = new QTabWidget;
    versions_ = new VersionsTab(*study_);
    tabs->addTab(versions_, tr("&Versions"));
    tabs->addTab(new TryTab(*study_), tr("&Try"));
    tabs->addTab(new SessionTab(*study_), tr("&Session"));
    tabs->addTab(new DataTab(*study_), tr("&Data"));
    tabs->addTab(new AccountsTab(*study_), tr("&Accounts"));
    setCentralWidget(tabs);
    closeAction_->setEnabled(true);
    setWindowTitle(QStringLiteral("%1 - %2").arg(study_->title(), kTitle));
}

}  // namespace lab
