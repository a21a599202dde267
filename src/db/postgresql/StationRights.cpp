#include "db/postgresql/StationRights.h"

#include "db/Engine.h"
#include "db/Schema.h"
#include "db/postgresql/SqlDialect.h"

namespace db::postgresql {

namespace {

struct StationFunction {
    QString signature;
    const char* returns;
    QString body;  // PL/pgSQL, reading the tables with the owner's rights
};

// For each account of the user name (compared as the column compares), in stored order: the
// stored hash's scheme, iterations and salt without the hash, or an empty text for a password
// stored in clear.
QString PasswordSettingsBody() {
    return QStringLiteral(
               "BEGIN RETURN QUERY SELECT CASE WHEN left(v, 14) = 'pbkdf2-sha256$' THEN "
               "split_part(v, '$', 1) || '$' || split_part(v, '$', 2) || '$' || "
               "split_part(v, '$', 3) ELSE '' END FROM (SELECT p.\"password\" COLLATE \"C\" AS v, "
               "p.%1 AS stored FROM \"tblPasswords\" p WHERE p.\"username\" = $1 AND "
               "p.\"password\" <> '') accounts ORDER BY stored; END")
        .arg(QLatin1String(kRowKey));
}

// -1 when an account of the user name holds exactly the stored hash given, or, stored in
// clear by an earlier program, a password whose SHA-256 (hex) is the text given; else 0. The
// password as typed opens no account; a blank one is never right.
QString PasswordCheckBody() {
    return QStringLiteral(
        "BEGIN RETURN CASE WHEN $2 <> '' AND EXISTS (SELECT 1 FROM (SELECT p.\"password\" "
        "COLLATE \"C\" AS v FROM \"tblPasswords\" p WHERE p.\"username\" = $1 AND "
        "p.\"password\" <> '') accounts WHERE CASE WHEN left(v, 14) = 'pbkdf2-sha256$' THEN "
        "v = $2 ELSE encode(sha256(convert_to(v, 'UTF8')), 'hex') = $2 END) THEN -1 ELSE 0 END; "
        "END");
}

// Every function a station calls: each is made and granted from here.
const std::vector<StationFunction>& StationFunctions() {
    static const std::vector<StationFunction> functions = {
        {QLatin1String(kPasswordSettings) + QStringLiteral("(text)"), "SETOF text",
         PasswordSettingsBody()},
        {QLatin1String(kPasswordCheck) + QStringLiteral("(text, text)"), "integer",
         PasswordCheckBody()},
    };
    return functions;
}

QString SqlLiteral(QString text) {
    return QLatin1Char('\'') + text.replace(u'\'', QStringLiteral("''")) + QLatin1Char('\'');
}

QString QuotedList(const QStringList& columns) {
    QStringList quoted;
    for (const QString& column : columns) quoted << QuoteIdentifier(column);
    return quoted.join(QStringLiteral(", "));
}

QString TableGrants(const TableRights& table, const QString& role) {
    const StationRights& rights = table.rights;
    const QString name = QuoteIdentifier(table.table);
    QString sql;
    const auto grant = [&](const QString& what) {
        sql += QStringLiteral("GRANT %1 ON %2 TO %3;").arg(what, name, role);
    };
    if (rights.readsEveryColumn) grant(QStringLiteral("SELECT"));
    if (!rights.readsEveryColumn && !rights.readColumns.isEmpty())
        grant(QStringLiteral("SELECT (%1)").arg(QuotedList(rights.readColumns)));
    if (rights.inserts) grant(QStringLiteral("INSERT"));
    if (!rights.updateColumns.isEmpty())
        grant(QStringLiteral("UPDATE (%1)").arg(QuotedList(rights.updateColumns)));
    return sql;
}

}  // namespace

QString StationFunctionsSql() {
    // Each runs with the owner's rights, in the schema the tables are in, written into the
    // function when it is made; nobody but the owner and the stations' logins may call it.
    QString sql;
    for (const StationFunction& function : StationFunctions()) {
        sql += QStringLiteral(
                   "DO $fx$ BEGIN EXECUTE format('CREATE OR REPLACE FUNCTION %1 RETURNS %2 "
                   "LANGUAGE plpgsql STABLE SECURITY DEFINER SET search_path = %I, pg_temp AS "
                   "%L', current_schema(), %3); END $fx$;"
                   "REVOKE ALL ON FUNCTION %1 FROM PUBLIC;")
                   .arg(function.signature, QLatin1String(function.returns),
                        SqlLiteral(function.body));
    }
    return sql;
}

QString GrantStationRightsSql(const QString& role, const QString& database, const QString& schema,
                              const std::vector<TableRights>& rights) {
    const QString login = QuoteIdentifier(role);
    const QString base = QuoteIdentifier(database);
    const QString tables = QuoteIdentifier(schema);
    // Rights every login has by default: temporary tables, creating in the schema.
    QString sql = QStringLiteral(
                      "REVOKE ALL ON ALL TABLES IN SCHEMA %3 FROM %1;"
                      "REVOKE ALL ON ALL SEQUENCES IN SCHEMA %3 FROM %1;"
                      "REVOKE ALL ON ALL FUNCTIONS IN SCHEMA %3 FROM %1;"
                      "REVOKE ALL ON SCHEMA %3 FROM %1;"
                      "REVOKE ALL ON DATABASE %2 FROM %1;"
                      "REVOKE TEMPORARY ON DATABASE %2 FROM PUBLIC;"
                      "REVOKE CREATE ON SCHEMA %3 FROM PUBLIC;"
                      "GRANT CONNECT ON DATABASE %2 TO %1;"
                      "GRANT USAGE ON SCHEMA %3 TO %1;")
                      .arg(login, base, tables);
    for (const TableRights& table : rights) sql += TableGrants(table, login);
    for (const StationFunction& function : StationFunctions())
        sql += QStringLiteral("GRANT EXECUTE ON FUNCTION %1 TO %2;").arg(function.signature, login);
    return sql;
}

QString OwnersRightsSql() {
    return QStringLiteral(
        "SELECT CASE WHEN r.rolsuper OR pg_has_role(r.oid, d.datdba, 'MEMBER') OR EXISTS "
        "(SELECT 1 FROM pg_class c WHERE c.relnamespace = current_schema()::regnamespace "
        "AND pg_has_role(r.oid, c.relowner, 'MEMBER')) THEN 1 ELSE 0 END "
        "FROM pg_roles r, pg_database d WHERE r.rolname = ? AND d.datname = current_database()");
}

}  // namespace db::postgresql
