#include "lab/DataTab.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>
#include <memory>

#include "db/Location.h"
#include "lab/Study.h"
#include "session/Session.h"
#include "session/Status.h"
#include "tool/common/Counted.h"
#include "tool/common/TableData.h"
#include "tool/csv/CsvExport.h"
#include "tool/data/Check.h"
#include "tool/data/Merge.h"

namespace lab {

namespace {

// Slices of the event log read between two looks at Cancel.
constexpr int kSlicesPerRead = 20;

// A row of widgets, left-aligned.
QHBoxLayout* Row(std::initializer_list<QWidget*> widgets) {
    auto* row = new QHBoxLayout;
    for (QWidget* widget : widgets) row->addWidget(widget);
    row->addStretch();
    return row;
}

}  // namespace

DataTab::DataTab(const Study& study, QWidget* parent)
    : QWidget(parent),
      location_(study.location()),
      withoutSimulated_(tr("Leave &out simulated participants")),
      overwrite_(tr("&Write over an earlier export")),
      export_(tr("&Export…")),
      withSimulated_(tr("&Include simulated participants")),
      showPayments_(tr("S&how")),
      savePdf_(tr("Save as &PDF…")),
      saveCsv_(tr("Save as &CSV…")),
      backup_(tr("&Back up…")),
      merge_(tr("&Merge station files…")),
      check_(tr("Chec&k")),
      runner_(this) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(exportBox());
    layout->addWidget(paymentsBox(), 2);
    layout->addWidget(fileBox());
    auto* resultsLabel = new QLabel(tr("&Results:"));
    resultsLabel->setBuddy(&results_);
    layout->addWidget(resultsLabel);
    // The check's findings are sentences: each is read whole, wrapped.
    results_.setWordWrap(true);
    results_.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    results_.setResizeMode(QListView::Adjust);
    layout->addWidget(&results_, 1);
    layout->addWidget(&runner_);

    connect(&export_, &QPushButton::clicked, this, &DataTab::chooseExportFolder);
    connect(&showPayments_, &QPushButton::clicked, this, [this] { showPayments(day_.date()); });
    connect(&savePdf_, &QPushButton::clicked, this, &DataTab::choosePdf);
    connect(&saveCsv_, &QPushButton::clicked, this, &DataTab::chooseCsv);
    connect(&backup_, &QPushButton::clicked, this, &DataTab::chooseBackup);
    connect(&merge_, &QPushButton::clicked, this, &DataTab::chooseStationFiles);
    connect(&check_, &QPushButton::clicked, this, &DataTab::check);
    connect(&runner_, &TaskRunner::busyChanged, this, [this](bool busy) { setIdle(!busy); });
    setIdle(true);
}

QWidget* DataTab::exportBox() {
    auto* box = new QGroupBox(tr("Export for analysis"));
    auto* layout = new QVBoxLayout(box);
    layout->addWidget(new QLabel(tr("One CSV file per table and a codebook, into a folder.")));
    layout->addLayout(Row({&export_, &withoutSimulated_, &overwrite_}));
    return box;
}

QWidget* DataTab::paymentsBox() {
    auto* box = new QGroupBox(tr("Payment sheet"));
    auto* layout = new QVBoxLayout(box);
    auto* dayLabel = new QLabel(tr("Session since the start of da&y:"));
    dayLabel->setBuddy(&day_);
    day_.setCalendarPopup(true);
    day_.setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    day_.setDate(tool::SessionNow().date());
    layout->addLayout(Row({dayLabel, &day_, &withSimulated_, &showPayments_}));
    sheet_.setColumnCount(5);
    sheet_.setHorizontalHeaderLabels(
        {tr("Participant"), tr("Station"), tr("Version"), tr("Outcome"), tr("Dollars")});
    sheet_.horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    sheet_.horizontalHeader()->setSectionResizeMode(3, QHeaderView::Stretch);
    sheet_.verticalHeader()->hide();
    sheet_.setEditTriggers(QAbstractItemView::NoEditTriggers);
    sheet_.setSelectionBehavior(QAbstractItemView::SelectRows);
    layout->addWidget(&sheet_, 1);
    layout->addLayout(Row({&total_, &savePdf_, &saveCsv_}));
    return box;
}

QWidget* DataTab::fileBox() {
    auto* box = new QGroupBox(tr("The study's file"));
    box->setLayout(Row({&backup_, &merge_, &check_}));
    return box;
}

QStringList DataTab::results() const {
    QStringList lines;
    for (int row = 0; row < results_.count(); ++row) lines << results_.item(row)->text();
    return lines;
}

void DataTab::chooseExportFolder() {
    const QString folder = QFileDialog::getExistingDirectory(this, tr("Export into the folder"));
    if (!folder.isEmpty()) exportTo(folder);
}

void DataTab::exportTo(const QString& folder) {
    const tool::ExportFilter filter{{}, {}, withoutSimulated_.isChecked()};
    const tool::ExistingFiles existing =
        overwrite_.isChecked() ? tool::ExistingFiles::Overwrite : tool::ExistingFiles::Refuse;
    auto exported = std::make_shared<tool::ExportResult>();
    listResults({});
    runner_.start(
        tr("Export"),
        [location = location_, folder, filter, existing, exported](tool::Progress& progress) {
            *exported = tool::ExportDatabase(location, folder, filter, progress, existing);
        },
        [this, folder, exported] {
            listResults(tool::ExportReport(*exported, folder));
            return exported->damage.isEmpty()
                       ? tr("wrote %1 files into %2").arg(exported->tables.size() + 1).arg(folder)
                       : exported->damage.last();
        });
}

void DataTab::showPayments(const QDate& day) {
    const QDateTime since = tool::SessionStart(day.toString(Qt::ISODate), day);
    auto payments = std::make_shared<std::vector<tool::Payment>>();
    runner_.start(
        tr("Payment sheet"),
        [location = location_, since, simulated = withSimulated_.isChecked(),
         payments](tool::Progress& progress) {
            tool::SessionReader reader(since, simulated);
            auto connection = tool::OpenExperimentDatabase(location, db::OpenMode::ReadOnly);
            progress.start(QObject::tr("reading the session"), 0);
            for (long long read = 1; !reader.read(*connection, kSlicesPerRead); ++read)
                progress.advance(read);
            *payments = tool::PaymentsOf(reader.runs());
        },
        [this, since, payments] {
            since_ = since;
            showSheet(*payments);
            return tool::PaymentsTotal(*payments);
        });
}

void DataTab::showSheet(const std::vector<tool::Payment>& payments) {
    payments_ = payments;
    sheet_.setRowCount(static_cast<int>(payments.size()));
    for (int row = 0; row < sheet_.rowCount(); ++row) {
        const tool::Payment& payment = payments[static_cast<std::size_t>(row)];
        const QStringList cells{payment.subject, payment.station, payment.version,
                                payment.outcome(), payment.figure};
        for (int column = 0; column < cells.size(); ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            if (column == 4) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            sheet_.setItem(row, column, item);
        }
    }
    total_.setText(tool::PaymentsTotal(payments));
}

void DataTab::choosePdf() {
    const QString path = QFileDialog::getSaveFileName(
        this, tr("Save the payment sheet"), QStringLiteral("payments.pdf"), tr("PDF (*.pdf)"));
    if (!path.isEmpty()) savePaymentsPdf(path);
}

void DataTab::chooseCsv() {
    const QString path = QFileDialog::getSaveFileName(
        this, tr("Save the payment sheet"), QStringLiteral("payments.csv"), tr("CSV (*.csv)"));
    if (!path.isEmpty()) savePaymentsCsv(path);
}

void DataTab::savePaymentsPdf(const QString& path) {
    const tool::SheetHeading heading{db::LocationForMessages(location_), since_,
                                     tool::SessionNow()};
    savePayments(path, [heading](const std::vector<tool::Payment>& payments, const QString& to) {
        tool::WritePaymentsPdf(payments, heading, to);
    });
}

void DataTab::savePaymentsCsv(const QString& path) {
    savePayments(path, tool::WritePaymentsCsv);
}

void DataTab::savePayments(
    const QString& path,
    std::function<void(const std::vector<tool::Payment>&, const QString&)> writer) {
    runner_.start(
        tr("Payment sheet"),
        [payments = payments_, path, writer](tool::Progress& progress) {
            progress.start(QObject::tr("writing %1").arg(path), 0);
            writer(payments, path);
        },
        [path] { return tr("wrote %1").arg(path); });
}

void DataTab::chooseBackup() {
    const QString suggested =
        QFileInfo(location_).completeBaseName() + QStringLiteral("-backup.mdb");
    const QString path = QFileDialog::getSaveFileName(this, tr("Back up the study into"), suggested,
                                                      tr("Study files (*.mdb)"));
    if (!path.isEmpty()) backUpTo(path);
}

void DataTab::backUpTo(const QString& copyPath) {
    runner_.start(
        tr("Backup"),
        [location = location_, copyPath](tool::Progress& progress) {
            progress.start(QObject::tr("copying"), 0);
            tool::OpenExperimentDatabase(location, db::OpenMode::ReadOnly)->backupTo(copyPath);
            // The copy is taken in one step; a Cancel that came meanwhile takes it away again.
            if (progress.cancelled()) QFile::remove(copyPath);
            progress.stopIfCancelled();
        },
        [location = location_, copyPath] {
            return tr("copied %1 to %2").arg(db::LocationForMessages(location), copyPath);
        });
}

void DataTab::chooseStationFiles() {
    const QStringList files = QFileDialog::getOpenFileNames(
        this, tr("Merge station files"), QString(), tr("Study files (*.mdb);;All files (*)"));
    if (!files.isEmpty()) mergeStations(files);
}

void DataTab::mergeStations(const QStringList& stationFiles) {
    auto merged = std::make_shared<std::vector<tool::MergedStation>>();
    listResults({});
    runner_.start(
        tr("Merge"),
        [location = location_, stationFiles, merged](tool::Progress& progress) {
            *merged = tool::MergeStations(location, stationFiles, progress);
        },
        [this, merged] {
            QStringList lines;
            int added = 0;
            for (const tool::MergedStation& station : *merged) {
                lines << station.text();
                added += station.added;
            }
            listResults(lines);
            return tool::Counted(added, "participant", "participants") + tr(" added");
        });
}

void DataTab::check() {
    auto problems = std::make_shared<std::vector<tool::Problem>>();
    listResults({});
    runner_.start(
        tr("Check"),
        [location = location_, problems](tool::Progress& progress) {
            progress.start(QObject::tr("reading the whole file"), 0);
            *problems = tool::CheckDatabase(location);
        },
        [this, problems] {
            QStringList lines;
            for (const tool::Problem& problem : *problems) lines << problem.text();
            const QString summary = tool::CheckSummary(*problems);
            listResults(lines << summary);
            return summary;
        });
}

void DataTab::listResults(const QStringList& lines) {
    results_.clear();
    results_.addItems(lines);
}

void DataTab::setIdle(bool idle) {
    for (QWidget* action : {&export_, &showPayments_, &backup_, &merge_, &check_})
        action->setEnabled(idle);
    const bool sheetShown = since_.isValid();
    savePdf_.setEnabled(idle && sheetShown);
    saveCsv_.setEnabled(idle && sheetShown);
}

}  // namespace lab
