#include "lab/TryTab.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QTextStream>
#include <QThread>
#include <QVBoxLayout>

#include "tool/common/Counted.h"
#include "tool/common/Csv.h"
#include "tool/common/OutputFile.h"
#include "tool/common/Progress.h"
#include "tool/common/TableData.h"
#include "tool/common/ToolError.h"
#include "tool/csv/CsvExport.h"
#include "tool/csv/CsvImport.h"
#include "tool/data/Create.h"
#include "tool/simulated/Simulate.h"

namespace lab {

namespace {

// The strategies that need no file of their own.
const QStringList kStrategies{"heuristic", "naive", "random", "none"};
constexpr int kDefaultRuns = 20;
const QSize kPlotSize(1000, 700);

void WriteAccounts(db::Connection& study, const QString& csvPath) {
    const tool::Rows accounts(study, QStringLiteral("SELECT username, password FROM tblPasswords"));
    tool::OutputFile file(csvPath);
    tool::CsvWriter csv(file.device());
    csv.header({"username", "password"});
    for (int row = 0; row < accounts.size(); ++row) {
        csv.text(accounts.at(row, QStringLiteral("username")).toString());
        csv.text(accounts.at(row, QStringLiteral("password")).toString());
        csv.endRow();
    }
    csv.flush();
    file.commit();
}

// A new study at scratchPath with the study's version (its scenarios and labels) and its
// accounts, so that the experimenter can end a trial, and none of its participants: the
// version exported and imported all or nothing, as a study is copied by hand.
void MakeScratchStudy(const Study& study, const QString& version, const QString& scratchPath,
                      tool::Progress& progress) {
    const QDir configuration(QFileInfo(scratchPath).dir().filePath(QStringLiteral("version")));
    tool::ExportDatabase(study.location(), configuration.path(), {version, {}, false}, progress);
    for (const QString& recorded : configuration.entryList({QStringLiteral("dat*.csv")}))
        QFile::remove(configuration.filePath(recorded));
    WriteAccounts(*study.open(db::OpenMode::ReadOnly),
                  configuration.filePath(QStringLiteral("tblPasswords.csv")));
    tool::CreateDatabase(scratchPath);
    tool::ImportFolder(scratchPath, configuration.path(), false, progress);
}

QString PilotText(const tool::Pilot& pilot) {
    QString text;
    QTextStream out(&text);
    tool::PrintPilot(pilot, out);
    out.flush();
    return text;
}

}  // namespace

TryTab::TryTab(const Study& study, QWidget* parent)
    : QWidget(parent),
      study_(study),
      play_(tr("Play as a &participant")),
      pilot_(tr("Run the p&ilot")),
      runner_(this),
      participantProgram_(
          QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("fluxmere"))) {
    auto* versionLabel = new QLabel(tr("Versi&on:"));
    versionLabel->setBuddy(&version_);
    version_.setMinimumContentsLength(12);
    auto* versionRow = new QHBoxLayout;
    versionRow->addWidget(versionLabel);
    versionRow->addWidget(&version_);
    versionRow->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(versionRow);
    layout->addWidget(playBox());
    layout->addWidget(pilotBox(), 1);
    layout->addWidget(&runner_);

    connect(&play_, &QPushButton::clicked, this,
            [this] { playAsParticipant(version_.currentText()); });
    connect(&pilot_, &QPushButton::clicked, this,
            [this] { pilot(version_.currentText(), strategy_.currentText(), runs_.value()); });
    // Nothing to try until the versions are listed, nor in a study without any.
    connect(&runner_, &TaskRunner::busyChanged, this, [this](bool busy) {
        const bool ready = !busy && version_.count() > 0;
        play_.setEnabled(ready && !participant_);
        pilot_.setEnabled(ready);
    });
    listVersions();
}

TryTab::~TryTab() {
    if (!participant_) return;
    participant_->disconnect(this);
    participant_->kill();
    participant_->waitForFinished();
}

QWidget* TryTab::playBox() {
    auto* box = new QGroupBox(tr("Play as a participant"));
    auto* layout = new QHBoxLayout(box);
    playNote_.setText(
        tr("The participant program, in a window, on a scratch copy of the study "
           "with this version: nothing reaches the study's data."));
    playNote_.setWordWrap(true);
    layout->addWidget(&play_);
    layout->addWidget(&playNote_, 1);
    return box;
}

QWidget* TryTab::pilotBox() {
    auto* box = new QGroupBox(tr("Pilot with simulated participants"));
    strategy_.addItems(kStrategies);
    runs_.setRange(1, 100000);
    runs_.setValue(kDefaultRuns);
    auto* strategyLabel = new QLabel(tr("Strat&egy:"));
    strategyLabel->setBuddy(&strategy_);
    auto* runsLabel = new QLabel(tr("&Runs:"));
    runsLabel->setBuddy(&runs_);
    auto* settings = new QHBoxLayout;
    for (QWidget* widget :
         std::initializer_list<QWidget*>{strategyLabel, &strategy_, runsLabel, &runs_, &pilot_})
        settings->addWidget(widget);
    settings->addStretch();

    statistics_.setReadOnly(true);
    statistics_.setLineWrapMode(QPlainTextEdit::NoWrap);
    statistics_.setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    plotView_.setAlignment(Qt::AlignCenter);
    plotView_.setMinimumSize(200, 140);
    auto* results = new QHBoxLayout;
    results->addWidget(&statistics_, 1);
    results->addWidget(&plotView_, 1);

    auto* layout = new QVBoxLayout(box);
    layout->addLayout(settings);
    layout->addLayout(results, 1);
    return box;
}

QStringList TryTab::versions() const {
    QStringList names;
    for (int index = 0; index < version_.count(); ++index) names << version_.itemText(index);
    return names;
}

QString TryTab::scratchStudy() const {
    return scratch_ ? scratch_->filePath(QStringLiteral("Hydrovat.mdb")) : QString();
}

void TryTab::listVersions() {
    auto names = std::make_shared<QStringList>();
    runner_.start(
        tr("Versions"),
        [study = study_, names](tool::Progress& progress) {
            progress.start(QObject::tr("reading the versions"), 0);
            const tool::Rows rows(
                *study.open(db::OpenMode::ReadOnly),
                QStringLiteral("SELECT DISTINCT Version FROM tblSetup ORDER BY Version"));
            for (int row = 0; row < rows.size(); ++row)
                *names << rows.at(row, QStringLiteral("Version")).toString();
        },
        [this, names] {
            version_.clear();
            version_.addItems(*names);
            return tr("%1 to try").arg(names->join(QStringLiteral(", ")));
        });
}

void TryTab::playAsParticipant(const QString& version) {
    if (participant_) return;
    scratch_ = std::make_unique<QTemporaryDir>();
    const QString scratchPath = scratchStudy();
    const bool started = runner_.start(
        tr("Play as a participant"),
        [study = study_, version, scratchPath](tool::Progress& progress) {
            MakeScratchStudy(study, version, scratchPath, progress);
        },
        [this, version, scratchPath] {
            startParticipant(scratchPath);
            return tr("the participant program plays version '%1' on a scratch copy of the "
                      "study")
                .arg(version);
        });
    if (!started) {
        scratch_.reset();
        return;
    }
    // A copy that failed or was cancelled goes at once.
    connect(
        &runner_, &TaskRunner::finished, this,
        [this](bool succeeded) {
            if (!succeeded) scratch_.reset();
        },
        Qt::SingleShotConnection);
}

void TryTab::startParticipant(const QString& scratchStudy) {
    participant_ = std::make_unique<QProcess>();
    participant_->setProcessChannelMode(QProcess::ForwardedChannels);
    connect(participant_.get(), &QProcess::finished, this, &TryTab::participantFinished);
    participant_->start(participantProgram_,
                        {QStringLiteral("--windowed"), QStringLiteral("--database"), scratchStudy});
    if (participant_->waitForStarted()) return;
    const QString why = participant_->errorString();
    participant_.reset();
    throw tool::ToolError(QStringLiteral("%1: cannot start: %2").arg(participantProgram_, why));
}

void TryTab::participantFinished() {
    participant_.release()->deleteLater();
    scratch_.reset();
    play_.setEnabled(!runner_.busy() && version_.count() > 0);
    emit participantEnded();
}

void TryTab::pilot(const QString& version, const QString& strategy, int runs) {
    tool::SimulateOptions options;
    options.databasePath = study_.location();
    options.version = version;
    options.strategy.name = strategy;
    options.runs = runs;
    options.jobs = std::max(1, QThread::idealThreadCount());
    auto pilot = std::make_shared<tool::Pilot>();
    runner_.start(
        tr("Pilot"),
        [options, pilot](tool::Progress& progress) { *pilot = tool::Simulate(options, progress); },
        [this, pilot] {
            statistics_.setPlainText(PilotText(*pilot));
            plot_ = tool::DrawPilot(*pilot, kPlotSize);
            showPlot();
            return tool::Counted(static_cast<long long>(pilot->runs.size()), "run", "runs") +
                   tr(" of version '%1' played").arg(pilot->version);
        });
}

void TryTab::showPlot() {
    if (plot_.isNull()) return;
    plotView_.setPixmap(QPixmap::fromImage(plot_).scaled(plotView_.size(), Qt::KeepAspectRatio,
                                                         Qt::SmoothTransformation));
}

void TryTab::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    showPlot();
}

}  // namespace lab
