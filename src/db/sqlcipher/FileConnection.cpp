#include "db/sqlcipher/FileConnection.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "db/sqlcipher/FileStatement.h"
#include "db/sqlcipher/KeyCache.h"
#include "db/sqlcipher/SqlCipherEngine.h"

namespace db::sqlcipher {

namespace {

// How the file declares each column type. Text compares without regard to letter case, and
// a yes/no column is never empty.
QString DeclaredType(ColumnType type) {
    switch (type) {
        case ColumnType::Text:
            return QStringLiteral("TEXT COLLATE NOCASE");
        case ColumnType::Integer:
            return QStringLiteral("INTEGER");
        case ColumnType::Double:
            return QStringLiteral("DOUBLE");
        case ColumnType::Boolean:
            return QStringLiteral("BOOLEAN NOT NULL DEFAULT 0");
        case ColumnType::Date:
            return QStringLiteral("DATE");
        case ColumnType::Time:
            return QStringLiteral("TIME");
    }
    return QString();
}

QString ColumnSql(const ColumnDef& column) {
    return QuoteIdentifier(column.name) + QLatin1Char(' ') + DeclaredType(column.type);
}

bool TypeHas(const QString& declared, const char* word) {
    return declared.contains(QLatin1String(word), Qt::CaseInsensitive);
}

// Files made by other programs may declare any type: read it by its words.
ColumnType TypeOfDeclaration(const QString& declared) {
    if (TypeHas(declared, "BOOL") || declared.compare("BIT", Qt::CaseInsensitive) == 0)
        return ColumnType::Boolean;
    if (TypeHas(declared, "INT")) return ColumnType::Integer;
    if (TypeHas(declared, "REAL") || TypeHas(declared, "FLOA") || TypeHas(declared, "DOUB"))
        return ColumnType::Double;
    if (TypeHas(declared, "DATE") && !TypeHas(declared, "TIME")) return ColumnType::Date;
    if (TypeHas(declared, "TIME") && !TypeHas(declared, "DATE")) return ColumnType::Time;
    return ColumnType::Text;
}

// A unique index or key refused the row (the other constraints are no situation of their own).
bool RepeatsAKey(sqlite3* db, int engineResult) {
    const int constraint = db ? sqlite3_extended_errcode(db) : engineResult;
    return constraint == SQLITE_CONSTRAINT_UNIQUE || constraint == SQLITE_CONSTRAINT_PRIMARYKEY;
}

// SQLCipher 3's page size, which every experiment database keeps.
constexpr qint64 kPageSize = 1024;

// Whether the file's start is an experiment database's: true for one cut short, false for
// another program's file. The page is read from a copy of its own, since
// the engine judges the whole file by its length.
bool FirstPageOpens(const QString& path, const QByteArray& keyPragma) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray page = file.read(kPageSize);
    // Shorter than a page, only its bytes can tell: encrypted bytes are never all text.
    if (page.size() < kPageSize)
        return !std::all_of(page.begin(), page.end(), [](char c) {
            return static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n' || c == '\r';
        });
    QTemporaryFile copy;
    if (page.size() != kPageSize || !copy.open() || copy.write(page) != kPageSize || !copy.flush())
        return false;
    sqlite3* db = nullptr;
    bool opens = sqlite3_open_v2(QFile::encodeName(copy.fileName()).constData(), &db,
                                 SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK &&
                 sqlite3_exec(db, keyPragma.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    opens = opens && sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr,
                                  nullptr) != SQLITE_NOTADB;
    sqlite3_close_v2(db);
    return opens;
}

// What a file the key does not open is, as far as its bytes tell. A damaged first page and a
// file made with another password cannot be told apart.
Error UnreadableFile(const QString& path, const QByteArray& keyPragma) {
    const QString file = QDir::toNativeSeparators(path);
    QFile bytes(path);
    const QByteArray head = bytes.open(QIODevice::ReadOnly) ? bytes.read(16) : QByteArray();
    if (head == QByteArray("SQLite format 3", 16)) {
        return Error(errors::NotADatabase,
                     QStringLiteral("The file '%1' is an SQLite database without encryption: it "
                                    "is not an experiment database.")
                         .arg(file));
    }
    if (bytes.size() % kPageSize != 0) {
        if (!FirstPageOpens(path, keyPragma)) {
            return Error(errors::NotADatabase,
                         QStringLiteral("The file '%1' is not an experiment database (a file of "
                                        "another program, or one made with another password).")
                             .arg(file));
        }
        return Error(errors::NotADatabase,
                     QStringLiteral("The database file '%1' is damaged: it ends inside a page "
                                    "(%2 bytes), as a copy cut short does.")
                         .arg(file)
                         .arg(bytes.size()));
    }
    return Error(errors::NotValidPassword,
                 QStringLiteral("The database file '%1' cannot be read with the database "
                                "password: it is damaged, or it is not an experiment database "
                                "(a file of another program, or one made with another "
                                "password).")
                     .arg(file));
}

// A file with other names (hard links) would keep the journal of an interrupted write beside
// the name its writer used, where a station opening it by another name cannot see it.
void RequireOneName(const QString& path) {
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0 || status.st_nlink <= 1) return;
    throw Error(errors::CannotOpenFile,
                QStringLiteral("The database file '%1' has %2 names (hard links). An interrupted "
                               "write would leave its journal beside one name only, where "
                               "stations that open another name would not see it: give the "
                               "file one name (remove the other links, or use a copy).")
                    .arg(QDir::toNativeSeparators(path))
                    .arg(status.st_nlink));
}

// An interrupted write's journal lies beside the file, and the folder may not be written, so
// the engine can neither undo the write nor remove the journal.
bool JournalCannotBeUndone(const QString& path) {
    const QFileInfo journal(path + QStringLiteral("-journal"));
    return journal.exists() &&
           ::access(QFile::encodeName(journal.absolutePath()).constData(), W_OK) != 0;
}

Error StuckJournal(const QString& path) {
    const QFileInfo file(path);
    return Error(
        errors::ReadOnlyObject,
        QStringLiteral("An interrupted write left '%1-journal' beside the database, and "
                       "the folder '%2' may not be written, so the write cannot be "
                       "undone. Let the folder be written (or move the database and "
                       "its journal together into one that can be), then open the "
                       "database again; keep the journal with it.")
            .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(file.absolutePath())));
}

// How long a backup waits for stations that hold the file, and between tries.
constexpr int kCopyPatienceMilliseconds = 30000;
constexpr int kCopyRetryMilliseconds = 20;

// Gives a finished copy its name, unless a file took that name meanwhile.
void PutInPlace(const QString& partial, const QString& copyPath) {
    const QByteArray from = QFile::encodeName(partial);
    const QByteArray to = QFile::encodeName(copyPath);
    if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        return;
    }
    const int linkError = errno;
    // A file system without hard links: a rename, after one more look.
    if (linkError != EEXIST && !QFileInfo::exists(copyPath) &&
        std::rename(from.constData(), to.constData()) == 0)
        return;
    throw Error(linkError == EEXIST ? errors::CannotOpenFile : errors::DiskOrNetworkError,
                QStringLiteral("The copy cannot be named '%1': %2.")
                    .arg(QDir::toNativeSeparators(copyPath),
                         QString::fromLocal8Bit(std::strerror(linkError))));
}

}  // namespace

std::unique_ptr<backend::ConnectionBackend> Open(const QString& path, const QString& password,
                                                 OpenMode mode, int busyTimeoutMilliseconds) {
    return std::make_unique<FileConnection>(path, password, mode, busyTimeoutMilliseconds);
}

FileConnection::FileConnection(const QString& path, const QString& password, OpenMode mode,
                               int busyTimeoutMilliseconds)
    : path_(path), mode_(mode) {
    const QFileInfo file(path);
    if (mode != OpenMode::Create && !file.exists()) {
        throw Error(
            errors::FileNotFound,
            QStringLiteral("Could not find file '%1'.").arg(QDir::toNativeSeparators(path)));
    }
    if (mode != OpenMode::Create && file.isFile() && file.size() == 0) {
        throw Error(errors::NotADatabase,
                    QStringLiteral("The file '%1' is empty: it is not an experiment database.")
                        .arg(QDir::toNativeSeparators(path)));
    }
    if (file.isDir()) {
        throw Error(errors::CannotOpenFile,
                    QStringLiteral("Cannot open '%1': it is a folder, not a database file.")
                        .arg(QDir::toNativeSeparators(path)));
    }

    if (file.isFile()) RequireOneName(path);

    try {
        openUndoingAnInterruptedWrite(password, busyTimeoutMilliseconds);
    } catch (const Error&) {
        if (JournalCannotBeUndone(path)) throw StuckJournal(path);
        throw;
    }
}

void FileConnection::openUndoingAnInterruptedWrite(const QString& password,
                                                   int busyTimeoutMilliseconds) {
    if (open(password, busyTimeoutMilliseconds)) return;
    // A reader cannot undo an interrupted write; a writable connection does so as it opens.
    const Error leftJournal(
        errors::ReadOnlyObject,
        QStringLiteral("An interrupted write left '%1-journal' beside the database; it is undone "
                       "the next time the file is opened with write permission. Keep that file "
                       "with the database.")
            .arg(QDir::toNativeSeparators(path_)));
    try {
        FileConnection undo(path_, password, OpenMode::ReadWrite, busyTimeoutMilliseconds);
    } catch (const Error&) {
        throw leftJournal;
    }
    if (!open(password, busyTimeoutMilliseconds)) throw leftJournal;
}

bool FileConnection::open(const QString& password, int busyTimeoutMilliseconds) {
    int flags = mode_ == OpenMode::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    if (mode_ == OpenMode::Create) flags |= SQLITE_OPEN_CREATE;
    const int rc = sqlite3_open_v2(path_.toUtf8().constData(), &db_, flags, nullptr);
    try {
        if (rc != SQLITE_OK) raise(rc);
        setBusyTimeout(busyTimeoutMilliseconds);
        if (!password.isEmpty()) key(password);
        // Reading the schema checks the key at once: a wrong password fails here, not later.
        execute(QStringLiteral("SELECT count(*) FROM sqlite_master"));
        // The engine quietly opens a write-protected file for reading only; a writer must know
        // now, not at its first write.
        if (mode_ != OpenMode::ReadOnly && sqlite3_db_readonly(db_, "main") == 1) {
            throw Error(errors::ReadOnlyObject,
                        QStringLiteral("The database file '%1' is read-only: nothing can be "
                                       "written into it.")
                            .arg(QDir::toNativeSeparators(path_)));
        }
        execute(QStringLiteral("PRAGMA synchronous = FULL"));
        if (mode_ == OpenMode::Create) execute(QStringLiteral("PRAGMA journal_mode = DELETE"));
        return true;
    } catch (...) {
        const bool journalLeft = mode_ == OpenMode::ReadOnly && db_ &&
                                 sqlite3_extended_errcode(db_) == SQLITE_READONLY_ROLLBACK;
        close();
        if (!journalLeft) throw;
        return false;
    }
}

FileConnection::~FileConnection() {
    close();
}

void FileConnection::close() noexcept {
    if (!db_) return;
    for (sqlite3_stmt* statement : std::as_const(kept_)) sqlite3_finalize(statement);
    kept_.clear();
    if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close_v2(db_);
    db_ = nullptr;
}

void FileConnection::key(const QString& password) {
    QByteArray salt = keys::FileSalt(path_);
    if (salt.isEmpty()) salt = keys::NewSalt();
    applyKey("PRAGMA key = \"" + keys::RawKey(password, salt) + "\"");
}

void FileConnection::applyKey(const QByteArray& pragma) {
    const int rc = sqlite3_exec(db_, pragma.constData(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) raise(rc, QStringLiteral("setting the key"));
    keyed_ = true;
    keyText_ = pragma;
}

void FileConnection::execute(const QString& sql) {
    char* message = nullptr;
    const int rc = sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &message);
    sqlite3_free(message);  // sqlite3_errmsg still holds it for raise()
    if (rc != SQLITE_OK) raise(rc, sql);
}

std::unique_ptr<backend::StatementBackend> FileConnection::prepare(const QString& sql) {
    return std::make_unique<FileStatement>(*this, sql);
}

sqlite3_stmt* FileConnection::takeStatement(const QString& sql) {
    if (!db_) {
        throw Error(errors::ObjectNotSet, QStringLiteral("The database connection is closed."));
    }
    if (sqlite3_stmt* kept = kept_.take(sql)) return kept;
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt* statement = nullptr;
    const int rc = sqlite3_prepare_v2(db_, utf8.constData(), static_cast<int>(utf8.size()),
                                      &statement, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(statement);
        raise(rc, sql);
    }
    if (!statement) {
        throw Error(errors::SyntaxError, QStringLiteral("The SQL text is empty: '%1'.").arg(sql));
    }
    return statement;
}

void FileConnection::returnStatement(const QString& sql, sqlite3_stmt* statement) noexcept {
    // A pragma may make its rows while being prepared, so it is never reused; a second
    // statement of a text already kept is not needed.
    constexpr int kMostKept = 64;
    if (!db_ || sql.startsWith(QLatin1String("PRAGMA"), Qt::CaseInsensitive) ||
        kept_.contains(sql) || kept_.size() >= kMostKept) {
        sqlite3_finalize(statement);
        return;
    }
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    kept_.insert(sql, statement);
}

void FileConnection::runKept(const QString& sql) {
    FileStatement statement(*this, sql);
    statement.step();
}

void FileConnection::beginWrite() {
    runKept(QStringLiteral("BEGIN IMMEDIATE"));
}
void FileConnection::commit() {
    runKept(QStringLiteral("COMMIT"));
}
void FileConnection::rollback() {
    if (inTransaction()) runKept(QStringLiteral("ROLLBACK"));
}
bool FileConnection::inTransaction() const {
    return db_ && !sqlite3_get_autocommit(db_);
}
int FileConnection::changes() const {
    return sqlite3_changes(db_);
}

QString FileConnection::insertUnlessKeyTakenSql(const QString& table,
                                                const QStringList& columns) const {
    return QStringLiteral("INSERT OR IGNORE ") + backend::InsertTargetSql(table, columns);
}

void FileConnection::setBusyTimeout(int milliseconds) {
    sqlite3_busy_timeout(db_, milliseconds);
}

std::vector<ColumnInfo> FileConnection::tableColumns(const QString& table) {
    // A table's definition changes with its columns, also when another connection adds one:
    // while it stays the same, the columns read before still hold.
    FileStatement find(*this, QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'table' "
                                             "AND name = ?1 COLLATE NOCASE"));
    const QByteArray name = table.toUtf8();
    find.bindText(1, std::string_view(name.constData(), std::size_t(name.size())));
    const bool isTable = find.step();
    const std::string_view definition = isTable ? find.text(0) : std::string_view();
    const QString key = table.toLower();
    const auto known = knownTables_.constFind(key);
    if (isTable && known != knownTables_.cend() && known->definition == definition)
        return known->columns;

    std::vector<ColumnInfo> columns;
    FileStatement info(*this, QStringLiteral("PRAGMA table_info(%1)").arg(QuoteIdentifier(table)));
    while (info.step()) {
        const std::string_view column = info.text(1);
        const std::string_view declared = info.text(2);
        columns.push_back(
            {QString::fromUtf8(column.data(), qsizetype(column.size())),
             TypeOfDeclaration(QString::fromUtf8(declared.data(), qsizetype(declared.size())))});
    }
    if (isTable) knownTables_.insert(key, {std::string(definition), columns});
    return columns;
}

namespace {

bool SchemaHolds(FileConnection& connection, const char* type, const QString& name) {
    FileStatement find(connection, QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = ?1 "
                                                  "AND name = ?2 COLLATE NOCASE"));
    const QByteArray text = name.toUtf8();
    find.bindText(1, type);
    find.bindText(2, std::string_view(text.constData(), std::size_t(text.size())));
    return find.step();
}

}  // namespace

bool FileConnection::tableExists(const QString& table) {
    return SchemaHolds(*this, "table", table);
}

bool FileConnection::indexExists(const QString& index) {
    return SchemaHolds(*this, "index", index);
}

QString FileConnection::rowKey() const {
    return QStringLiteral("rowid");
}

void FileConnection::backupTo(const QString& copyPath) {
    const QString shown = QDir::toNativeSeparators(copyPath);
    if (QFileInfo::exists(copyPath)) {
        throw Error(
            errors::CannotOpenFile,
            QStringLiteral("'%1' exists already; a backup never writes over a file.").arg(shown));
    }
    const QFileInfo folder(QFileInfo(copyPath).absolutePath());
    if (!folder.isDir()) {
        throw Error(errors::CannotOpenFile,
                    QStringLiteral("The folder '%1' for the copy '%2' does not exist; make it "
                                   "first.")
                        .arg(QDir::toNativeSeparators(QFileInfo(copyPath).path()), shown));
    }
    // Written under a name of its own until it is whole.
    const QString partial = copyPath + QStringLiteral("-incomplete");
    QFile::remove(partial);
    try {
        {
            FileConnection copy(partial, *this);
            copy.copyFrom(*this);
            if (!copy.checkInPlace(IntegrityDepth::Quick, 1).isEmpty()) {
                throw Error(errors::NotADatabase,
                            QStringLiteral("The copy '%1' does not read back whole.").arg(shown));
            }
        }
        PutInPlace(partial, copyPath);
    } catch (...) {
        QFile::remove(partial);
        throw;
    }
}

FileConnection::FileConnection(const QString& copyPath, const FileConnection& original)
    : path_(copyPath), mode_(OpenMode::Create) {
    const int rc = sqlite3_open_v2(path_.toUtf8().constData(), &db_,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    try {
        if (rc != SQLITE_OK) raise(rc);
        if (!original.keyText_.isEmpty()) applyKey(original.keyText_);
        execute(QStringLiteral("PRAGMA synchronous = FULL"));
    } catch (...) {
        close();
        throw;
    }
}

void FileConnection::copyFrom(FileConnection& original) {
    sqlite3_backup* backup = sqlite3_backup_init(db_, "main", original.db_, "main");
    if (!backup) raise(sqlite3_errcode(db_), QStringLiteral("starting the copy"));
    // A station's write restarts the copy; whole steps let the copy finish between writes.
    int rc = SQLITE_OK;
    for (int waited = 0; rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED;) {
        rc = sqlite3_backup_step(backup, -1);
        if (rc != SQLITE_BUSY && rc != SQLITE_LOCKED) continue;
        if (waited >= kCopyPatienceMilliseconds) break;
        sqlite3_sleep(kCopyRetryMilliseconds);
        waited += kCopyRetryMilliseconds;
    }
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE) raise(rc, QStringLiteral("copying"));
}

QStringList FileConnection::checkIntegrity(IntegrityDepth depth, int maxFaults) {
    // The check reads every page, which takes seconds on a large file, and stations could not
    // commit meanwhile: a copy is checked instead. Without room for one, the file itself.
    const QTemporaryDir folder;
    const QString snapshot = folder.filePath(QStringLiteral("snapshot.mdb"));
    try {
        if (!folder.isValid() || !copyFileTo(snapshot)) return checkInPlace(depth, maxFaults);
    } catch (const Error& error) {
        if (error.number() != errors::NotADatabase) throw;
        return {error.description()};
    }
    // Messages name the file, not its copy.
    const auto asOriginal = [&](QString text) {
        return text.replace(QDir::toNativeSeparators(snapshot), QDir::toNativeSeparators(path_));
    };
    try {
        QStringList faults = FileConnection(snapshot, *this).checkInPlace(depth, maxFaults);
        for (QString& fault : faults) fault = asOriginal(fault);
        return faults;
    } catch (const Error& error) {
        throw Error(error.number(), asOriginal(error.description()));
    }
}

bool FileConnection::copyFileTo(const QString& copyPath) {
    // While a read is open no station can commit, so the bytes copied are those of one moment.
    const bool ownRead = !inTransaction();
    if (ownRead) {
        try {
            execute(QStringLiteral("BEGIN; SELECT count(*) FROM sqlite_master"));
        } catch (const Error&) {
            rollback();
            throw;
        }
    }
    const bool copied = QFile::copy(path_, copyPath);
    if (ownRead) rollback();
    return copied;
}

QStringList FileConnection::checkInPlace(IntegrityDepth depth, int maxFaults) {
    QStringList faults;
    const QString pragma = depth == IntegrityDepth::Full ? QStringLiteral("integrity_check")
                                                         : QStringLiteral("quick_check");
    try {
        FileStatement check(*this, QStringLiteral("PRAGMA %1(%2)").arg(pragma).arg(maxFaults));
        // This engine gives its faults as rows, or as the lines of one row under a heading.
        while (check.step()) {
            const std::string_view text = check.text(0);
            for (const QString& line :
                 QString::fromUtf8(text.data(), qsizetype(text.size())).split(QLatin1Char('\n'))) {
                if (line != QLatin1String("ok") && !line.startsWith(QLatin1String("***")))
                    faults << line;
            }
        }
    } catch (const Error& error) {
        // A page the check itself cannot read is damage too.
        if (error.number() != errors::NotADatabase) throw;
        faults << error.description();
    }
    return faults;
}

void FileConnection::createTable(const TableDef& table) {
    QStringList columns;
    for (const ColumnDef& column : table.columns) columns << ColumnSql(column);
    execute(QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (%2)")
                .arg(QuoteIdentifier(table.name), columns.join(QStringLiteral(", "))));
    for (const IndexDef& index : table.indexes) {
        execute(QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3)")
                    .arg(index.name, table.name, index.columns.join(QStringLiteral(", "))));
    }
}

void FileConnection::addColumn(const QString& table, const ColumnDef& column) {
    execute(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2")
                .arg(QuoteIdentifier(table), ColumnSql(column)));
}

void FileConnection::raise(int engineResult, const QString& context) const {
    const QString file = QDir::toNativeSeparators(path_);
    const QString engineText = db_ ? QString::fromUtf8(sqlite3_errmsg(db_))
                                   : QString::fromUtf8(sqlite3_errstr(engineResult));
    const QString during = context.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(context);
    const Error damaged(
        errors::NotADatabase,
        QStringLiteral("The database file '%1' is damaged: %2.").arg(file, engineText));
    switch (engineResult & 0xFF) {
        case SQLITE_BUSY:
            throw Error(errors::FileLockRefused,
                        QStringLiteral("Could not use '%1'; file already in use.").arg(file));
        case SQLITE_LOCKED:
            throw Error(errors::RowLocked,
                        QStringLiteral("Could not update '%1'; currently locked.").arg(file));
        case SQLITE_NOTADB:
            if (keyed_) throw UnreadableFile(path_, keyText_);
            throw Error(errors::NotADatabase,
                        QStringLiteral("Unrecognized database format '%1'.").arg(file));
        case SQLITE_CORRUPT:
            throw damaged;
        case SQLITE_CANTOPEN:
        case SQLITE_PERM:
        case SQLITE_AUTH:
            throw Error(errors::CannotOpenFile,
                        QStringLiteral("Cannot open the database file '%1': %2. Check that it "
                                       "exists and that you may read and write it and its "
                                       "folder.")
                            .arg(file, engineText));
        case SQLITE_READONLY:
            throw Error(
                errors::ReadOnlyObject,
                QStringLiteral("Cannot update. The database file '%1' is read-only.").arg(file));
        case SQLITE_FULL:
            throw Error(errors::DiskFull,
                        QStringLiteral("Not enough space on disk to write '%1'.").arg(file));
        case SQLITE_IOERR:
            throw Error(errors::DiskOrNetworkError,
                        QStringLiteral("Disk or network error on '%1': %2.").arg(file, engineText));
        case SQLITE_MISMATCH:
            throw Error(errors::DataTypeConversion,
                        QStringLiteral("Data type conversion error%1.").arg(during));
        case SQLITE_ERROR:
            // The engine reports a schema it cannot parse as an error in the statement.
            if (engineText.startsWith(QLatin1String("malformed database schema"))) throw damaged;
            if (engineText.startsWith(QLatin1String("no such table"))) {
                throw Error(errors::TableNotFound,
                            QStringLiteral("The database '%1' has no table or query: %2%3.")
                                .arg(file, engineText, during));
            }
            throw Error(errors::SyntaxError,
                        QStringLiteral("Error in the SQL text: %1%2.").arg(engineText, during));
        case SQLITE_CONSTRAINT:
            if (RepeatsAKey(db_, engineResult))
                throw Error(errors::DuplicateKey,
                            QStringLiteral("The row was not stored because it would duplicate a "
                                           "key of the table: %1.")
                                .arg(engineText));
            [[fallthrough]];  // any other constraint is the engine's own failure
        default:
            throw Error(errors::EngineFailure,
                        QStringLiteral("Database engine error on '%1': %2%3.")
                            .arg(file, engineText, during));
    }
}

}  // namespace db::sqlcipher
