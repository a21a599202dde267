// Export for analysis: every table round-trips through CSV exactly, passwords never leave
// the database, filters select what they say, and the codebook says what produced the data.
#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QRegularExpression>

#include "db/Schema.h"
#include "tests/support/ScratchDisk.h"
#include "tests/support/ToolFixtures.h"
#include "tool/common/ToolError.h"
#include "tool/csv/CsvExport.h"
#include "tool/csv/CsvImport.h"
#include "tool/data/Fingerprint.h"
#include "tool/data/Passwd.h"

namespace {

using db::ColumnType;

// Cells as the export writes them; row r, column c takes variant (r + c) % 6.
QByteArray Variant(ColumnType type, int i) {
    static const std::map<ColumnType, std::vector<QByteArray>> variants = {
        {ColumnType::Text,
         {"Müller", "O'Brien", "\"a, \"\"b\"\"\"", "\"line1\r\nline2\"", "\"\"", ""}},
        {ColumnType::Integer, {"0", "-1", "2147483647", "42", "", "7"}},
        {ColumnType::Double, {"0.1", "0.3333333333333333", "-2.5", "1e+20", "", "123456789.125"}},
        {ColumnType::Boolean, {"TRUE", "FALSE", "TRUE", "FALSE", "FALSE", "TRUE"}},
        {ColumnType::Date, {"2026-12-10", "1999-01-31", "", "2000-02-29", "2026-01-01", ""}},
        {ColumnType::Time, {"00:00:00", "23:59:59", "12:30:05", "", "09:00:00", "17:45:00"}},
    };
    return variants.at(type)[static_cast<std::size_t>(i % 6)];
}

// Every column but the key of each write, which stays in the database.
std::vector<db::ColumnDef> ExportedColumns(const db::TableDef& table) {
    std::vector<db::ColumnDef> columns = table.columns;
    std::erase_if(columns, [](const db::ColumnDef& column) {
        return column.name == QLatin1String(db::kWriteKeyColumn);
    });
    return columns;
}

QByteArray CanonicalCsv(const db::TableDef& table) {
    const std::vector<db::ColumnDef> columns = ExportedColumns(table);
    QByteArrayList header;
    for (const db::ColumnDef& column : columns) header << column.name.toUtf8();
    QByteArray csv = header.join(',') + "\r\n";
    for (int row = 0; row < 6; ++row) {
        QByteArrayList cells;
        for (std::size_t c = 0; c < columns.size(); ++c)
            cells << Variant(columns[c].type, row + static_cast<int>(c));
        csv += cells.join(',') + "\r\n";
    }
    return csv;
}

class ExportTest : public ::testing::Test {
  protected:
    std::vector<tool::ExportedTable> exportTo(
        const QString& database, const QString& folder, const tool::ExportFilter& filter = {},
        tool::ExistingFiles existing = tool::ExistingFiles::Refuse) {
        return tool::ExportDatabase(database, folder, filter, quiet, existing).tables;
    }
    QString exportError(const tool::ExportFilter& filter, const QString& folder = QString()) {
        try {
            exportTo(demo.path(), folder.isEmpty() ? out.path() : folder, filter);
        } catch (const tool::ToolError& error) {
            return error.message();
        }
        return QString();
    }
    QByteArray exported(const QString& file) { return ReadFile(QDir(out.path()).filePath(file)); }
    void record(const QByteArray& subjects) {
        const QString path = demo.file("datSubject.csv");
        WriteFile(path, subjects);
        tool::ImportTableFile(demo.path(), "datSubject", path, false, quiet);
    }

    // Every file of a folder into its table as the import reads it, without asking whether
    // the configuration could run: the round trip covers every value a column can hold.
    void importEveryValue(const QString& database, const QString& folder) {
        auto connection = tool::OpenExperimentDatabase(database, db::OpenMode::ReadWrite);
        db::Transaction transaction(*connection);
        for (const QFileInfo& file : QDir(folder).entryInfoList({"*.csv"}, QDir::Files)) {
            const QByteArray csv = ReadFile(file.filePath());
            tool::ImportCsv(*connection, file.completeBaseName(),
                            std::string_view(csv.constData(), static_cast<std::size_t>(csv.size())),
                            file.filePath(), false, quiet);
        }
        transaction.commit();
    }

    tool::NoProgress quiet;
    DemoDatabase demo;
    QTemporaryDir out;
};

TEST_F(ExportTest, EveryTableRoundTripsExactlyThroughImportAndExport) {
    QTemporaryDir work;
    const QDir input(work.filePath("input"));
    QDir().mkpath(input.path());
    for (const db::TableDef& table : db::Tables())
        if (table.name != "tblPasswords")
            WriteFile(input.filePath(table.name + ".csv"), CanonicalCsv(table));

    const QString first = work.filePath("first.mdb"), second = work.filePath("second.mdb");
    tool::CreateDatabase(first);
    importEveryValue(first, input.path());
    const auto tables = exportTo(first, work.filePath("a"));
    ASSERT_EQ(tables.size(), db::Tables().size() - 1);
    for (const auto& table : tables) {
        EXPECT_EQ(table.rows, 6) << table.table.toStdString();
        EXPECT_EQ(ReadFile(table.file), ReadFile(input.filePath(table.table + ".csv")))
            << table.table.toStdString();
    }

    tool::CreateDatabase(second);
    importEveryValue(second, work.filePath("a"));
    exportTo(second, work.filePath("b"));
    for (const auto& table : tables)
        EXPECT_EQ(ReadFile(work.filePath("b/" + table.table + ".csv")), ReadFile(table.file))
            << table.table.toStdString();
}

TEST_F(ExportTest, PasswordsAreNeverExported) {
    tool::SetExperimenterPassword(demo.path(), "lab", "Zebra-Quartz-42");
    const auto tables = exportTo(demo.path(), out.path());
    for (const auto& table : tables) EXPECT_NE(table.table, QStringLiteral("tblPasswords"));
    const QStringList files = QDir(out.path()).entryList(QDir::Files);
    EXPECT_FALSE(files.contains("tblPasswords.csv"));
    for (const QString& file : files)
        EXPECT_FALSE(exported(file).contains("Zebra-Quartz-42")) << file.toStdString();
    EXPECT_TRUE(exported("codebook.md")
                    .contains("tblPasswords (the experimenters' accounts) is never exported"));
}

TEST_F(ExportTest, BooleansAreTrueOrFalseAndDatesAndTimesIso) {
    record("Subject,Version,Date,Time\nAnn,TankP,2026-12-10,08:05:09\n");
    exportTo(demo.path(), out.path());
    EXPECT_TRUE(exported("tblSetup.csv")
                    .split('\n')[1]
                    .startsWith("TankP,20,5,10,40,60,4,2,1,1,1,0,0,0.25,Gallons,TRUE,"));
    EXPECT_TRUE(
        exported("datSubject.csv").endsWith("\r\nAnn,TankP,,,,,2026-12-10,08:05:09,FALSE,\r\n"));
}

TEST_F(ExportTest, TheCodebookDescribesEveryColumnAndWhatProducedTheData) {
    exportTo(demo.path(), out.path());
    const QString codebook = QString::fromUtf8(exported("codebook.md"));
    EXPECT_TRUE(codebook.contains(QRegularExpression("Exported by: fluxmere-db \\d+\\.\\d+")));
    EXPECT_TRUE(codebook.contains(
        QRegularExpression("Exported at: \\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ")));
    for (const db::TableDef& table : db::Tables()) {
        if (table.name == "tblPasswords") continue;
        EXPECT_TRUE(codebook.contains("### " + table.name + "\n\nFile " + table.name + ".csv"))
            << table.name.toStdString();
        for (const db::ColumnDef& column : ExportedColumns(table))
            EXPECT_TRUE(codebook.contains("| " + column.name + " | ") &&
                        codebook.contains(column.meaning))
                << column.name.toStdString();
    }
    EXPECT_FALSE(codebook.contains(QStringLiteral("| %1 | ").arg(db::kWriteKeyColumn)));
    auto connection = tool::OpenExperimentDatabase(demo.path(), db::OpenMode::ReadOnly);
    for (const char* version : {"TankP", "TankT", "StoreP", "StoreT"})
        EXPECT_TRUE(codebook.contains(
            QStringLiteral("| %1 | %2 |")
                .arg(version, tool::ConfigurationFingerprint(*connection, version))));
}

TEST_F(ExportTest, TheFingerprintIsTheSha256OfTheVersionsExportedConfiguration) {
    exportTo(demo.path(), out.path(), {"TankT", {}});
    QByteArray text;
    for (const char* table : {"tblSetup", "tblScenarios", "tblDelayScenarios", "tblLabels"})
        text += QByteArray(table) + "\r\n" + exported(QString(table) + ".csv");
    auto connection = tool::OpenExperimentDatabase(demo.path(), db::OpenMode::ReadOnly);
    EXPECT_EQ(
        tool::ConfigurationFingerprint(*connection, "TankT"),
        QString::fromLatin1(QCryptographicHash::hash(text, QCryptographicHash::Sha256).toHex()));
}

TEST_F(ExportTest, TheFingerprintFollowsExactlyTheVersionsOwnConfiguration) {
    DemoDatabase other;
    const auto fingerprints = [](const QString& path) {
        auto connection = tool::OpenExperimentDatabase(path, db::OpenMode::ReadOnly);
        QStringList all;
        for (const char* version : {"TankP", "TankT", "StoreP", "StoreT", "Unknown"})
            all << tool::ConfigurationFingerprint(*connection, version);
        return all;
    };
    const QStringList original = fingerprints(demo.path());
    EXPECT_EQ(fingerprints(other.path()), original);
    EXPECT_EQ(original[4], QString());
    EXPECT_EQ(QSet<QString>(original.begin(), original.end() - 1).size(), 4);

    Execute(other.path(),
            "UPDATE tblScenarios SET inFlowRateEnviron = 9 WHERE Scenario = 2 AND Trial = 7");
    Execute(other.path(),
            "UPDATE tblLabels SET LabelName = 'ten' WHERE version = 'TankT' AND LabelNumber = 1");
    const QStringList changed = fingerprints(other.path());
    EXPECT_EQ(changed[0], original[0]);
    EXPECT_NE(changed[1], original[1]);
    EXPECT_NE(changed[2], original[2]);
    EXPECT_NE(changed[3], original[3]);
}

TEST_F(ExportTest, AVersionFilterTakesItsRowsAndTheScenariosItUses) {
    record("Subject,Version\nAnn,TankP\nBen,StoreP\nCem,storep\n");
    const auto tables = exportTo(demo.path(), out.path(), {"StoreP", {}});
    std::map<QString, long long> rows;
    for (const auto& table : tables) rows[table.table] = table.rows;
    EXPECT_EQ(rows["tblSetup"], 1);
    EXPECT_EQ(rows["tblScenarios"], 31);
    EXPECT_EQ(rows["tblDelayScenarios"], 3);
    EXPECT_EQ(rows["tblLabels"], 0);
    EXPECT_EQ(rows["datSubject"], 2);
    EXPECT_TRUE(exported("tblScenarios.csv").contains("\r\n2,31,6,6\r\n"));
    EXPECT_FALSE(exported("tblScenarios.csv").contains("\r\n1,"));
}

TEST_F(ExportTest, ASubjectFilterTakesOnlyThatParticipantsRecordedRows) {
    record("Subject,Version\nAnn,TankP\nBen,StoreP\n");
    const auto tables = exportTo(demo.path(), out.path(), {{}, "ann"});
    EXPECT_EQ(exported("datSubject.csv"),
              "Subject,Version,Condition,Major,Gender,Age,Date,Time,Simulated,Station\r\nAnn,"
              "TankP,,,,,,,FALSE,\r\n");
    EXPECT_EQ(tables.front().rows, 4);  // the configuration stays whole
}

TEST_F(ExportTest, LongTablesAreExportedWholeAndInOrderWithAndWithoutAFilter) {
    Execute(
        demo.path(),
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 45001) "
        "INSERT INTO datUserTimesSummary (Subject, Version, Trial) SELECT 'S', CASE WHEN i % 3 = 0 "
        "THEN 'TankP' ELSE 'StoreP' END, i FROM n");
    Execute(demo.path(), "INSERT INTO datSubject (Subject, Version) VALUES ('S', 'TankP')");
    const auto trials = [&](int step) {
        QByteArray expected = "Subject,Version,Trial,Date,SubmitClickTime,superseded\r\n";
        for (int i = step; i <= 45001; i += step)
            expected += "S," + QByteArray(i % 3 == 0 ? "TankP" : "StoreP") + "," +
                        QByteArray::number(i) + ",,,FALSE\r\n";
        return expected;
    };
    exportTo(demo.path(), out.path());
    EXPECT_EQ(exported("datUserTimesSummary.csv"), trials(1));
    exportTo(demo.path(), out.path(), {"TankP", "S"}, tool::ExistingFiles::Overwrite);
    EXPECT_EQ(exported("datUserTimesSummary.csv"), trials(3));
}

TEST_F(ExportTest, AFileFromAnEarlierProgramHasTheSupersededMarkAllFalse) {
    Execute(demo.path(),
            "DROP TABLE datUserTimesSummary; CREATE TABLE datUserTimesSummary (Subject TEXT, "
            "Version TEXT, Trial INTEGER, Date DATE, SubmitClickTime TIME); INSERT INTO "
            "datUserTimesSummary (Subject, Version, Trial) VALUES ('Ann', 'TankP', 2)");
    Execute(demo.path(),
            "INSERT INTO datExperimentTrials (Subject, Version, EventID, superseded) "
            "VALUES ('Ann', 'TankP', 1, -1), ('Ann', 'TankP', 2, 0)");
    exportTo(demo.path(), out.path());
    EXPECT_EQ(exported("datUserTimesSummary.csv"),
              "Subject,Version,Trial,Date,SubmitClickTime,superseded\r\nAnn,TankP,2,,,FALSE\r\n");
    const QByteArrayList events = exported("datExperimentTrials.csv").split('\n');
    ASSERT_EQ(events.size(), 4);
    EXPECT_TRUE(events[1].endsWith(",TRUE\r"));
    EXPECT_TRUE(events[2].endsWith(",FALSE\r"));
    EXPECT_TRUE(QString::fromUtf8(exported("codebook.md")).contains("| superseded | boolean"));
}

TEST_F(ExportTest, AFilterThatMatchesNothingIsAnError) {
    EXPECT_EQ(exportError({"Tank", {}}),
              QStringLiteral("there is no version 'Tank' in tblSetup or datSubject"));
    EXPECT_EQ(
        exportError({{}, "Nobody"}),
        QStringLiteral("there is no participant 'Nobody' in datSubject or datExperimentTrials"));
}

// An earlier export is not silently mixed with a new one: the folder is named with what it
// holds, nothing in it changes, and --overwrite writes over it.
TEST_F(ExportTest, AFolderThatHoldsFilesIsRefusedUnlessOverwriting) {
    exportTo(demo.path(), out.path());
    WriteFile(QDir(out.path()).filePath("notes.txt"), "mine");
    const QByteArray before = exported("tblSetup.csv");
    Execute(demo.path(), "DELETE FROM tblSetup WHERE Version <> 'TankP'");

    const QString error = exportError({});
    EXPECT_TRUE(error.startsWith(out.path() + " already holds files (codebook.md, "
                                              "datExperimentTrials.csv, datRunClaims.csv and 8 "
                                              "more); "))
        << error.toStdString();
    EXPECT_TRUE(error.endsWith("give --overwrite to write over them")) << error.toStdString();
    EXPECT_EQ(exported("tblSetup.csv"), before);

    exportTo(demo.path(), out.path(), {}, tool::ExistingFiles::Overwrite);
    EXPECT_EQ(exported("tblSetup.csv").count("\r\n"), 2);
    EXPECT_EQ(exported("notes.txt"), "mine");
}

// What stops a write is named with the file or folder: a full disk, a read-only disk, a
// path through a file. The file that failed is not left behind half-written.
TEST_F(ExportTest, AFailedWriteNamesTheFileAndTheReason) {
    ScratchDisk full(64 * 1024);
    full.fill();
    ScratchDisk readOnly(64 * 1024, ScratchDisk::Access::ReadOnly);
    WriteFile(demo.file("plain.txt"), "x");
    struct Case {
        QString folder;
        QString error;
    };
    const Case cases[] = {
        {full.filePath("results"),
         full.filePath("results/tblSetup.csv") + ": cannot write: No space left on device"},
        {readOnly.filePath("results"),
         readOnly.filePath("results") + ": cannot create the folder: Read-only file system"},
        {readOnly.path(),
         readOnly.path() + ": cannot write into the folder: Read-only file system"},
        {demo.file("plain.txt"),
         demo.file("plain.txt") + ": cannot create the folder: a file has that name"},
        {demo.file("plain.txt/results"),
         demo.file("plain.txt/results") + ": cannot create the folder: Not a directory"},
    };
    for (const Case& c : cases) {
        const QString error = exportError({}, c.folder);
        EXPECT_TRUE(error.startsWith(c.error)) << error.toStdString();
        EXPECT_FALSE(error.endsWith("Unknown error")) << error.toStdString();
    }
    EXPECT_EQ(QDir(full.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{"filler"})
        << "a half folder was left";
}

// The files appear together: an export that fails half-way leaves an earlier export whole,
// as it was, and nothing of its own.
TEST_F(ExportTest, AFailedExportLeavesTheEarlierExportAsItWas) {
    ScratchDisk disk(256 * 1024);
    const QString results = disk.filePath("results");
    exportTo(demo.path(), results);
    const QByteArray before = ReadFile(results + "/tblSetup.csv");
    RecordEvents(demo.path(), 20000);
    Execute(demo.path(), "DELETE FROM tblSetup WHERE Version <> 'TankP'");
    const QStringList held =
        QDir(results).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);

    EXPECT_THROW(exportTo(demo.path(), results, {}, tool::ExistingFiles::Overwrite),
                 tool::ToolError);
    EXPECT_EQ(QDir(results).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              held);
    EXPECT_EQ(ReadFile(results + "/tblSetup.csv"), before);
    EXPECT_FALSE(ReadFile(results + "/datExperimentTrials.csv").contains("Submit Clicked"));
}

// Cancel stops the export at its next row: neither the folder nor anything of the export's
// own is left, whether the folder was new or there already.
TEST_F(ExportTest, ACancelledExportLeavesNoFolderAndNoFileBehind) {
    RecordEvents(demo.path(), 5000);
    QTemporaryDir work;
    QDir().mkpath(work.filePath("there"));
    for (const QString& folder : {work.filePath("new"), work.filePath("there")}) {
        CancelAfter cancel(1000);
        try {
            tool::ExportDatabase(demo.path(), folder, {}, cancel);
            ADD_FAILURE() << "the cancelled export went on";
        } catch (const tool::ToolError& error) {
            EXPECT_EQ(error.message(), "cancelled; nothing was written");
        }
        EXPECT_EQ(cancel.reported(), 1000);
    }
    const auto everything = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden;
    EXPECT_EQ(QDir(work.path()).entryList(everything), QStringList{"there"});
    EXPECT_TRUE(QDir(work.filePath("there")).entryList(everything).isEmpty());
}

}  // namespace
