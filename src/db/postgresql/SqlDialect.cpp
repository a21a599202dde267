#include "db/postgresql/SqlDialect.h"

#include <QSet>

#include "db/Engine.h"
#include "db/postgresql/StationRights.h"

namespace db::postgresql {

namespace {

constexpr char kYesNoType[] = "fluxmere_yesno";
constexpr char kNoCaseCollation[] = "fluxmere_nocase";

enum class TokenKind { Word, Parameter, Verbatim };

struct Token {
    TokenKind kind;
    QString text;
};

bool IsWordStart(QChar c) {
    return c.isLetter() || c == QLatin1Char('_');
}
bool IsWordPart(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
}

// The end of a quoted part starting at from (a quote doubled inside stays inside).
qsizetype QuotedEnd(const QString& sql, qsizetype from, QChar quote) {
    qsizetype i = from + 1;
    while (i < sql.size()) {
        if (sql[i] == quote) {
            if (i + 1 < sql.size() && sql[i + 1] == quote) {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return sql.size();
}

qsizetype CommentEnd(const QString& sql, qsizetype from) {
    if (sql[from] == QLatin1Char('-')) {
        const qsizetype end = sql.indexOf(QLatin1Char('\n'), from);
        return end < 0 ? sql.size() : end;
    }
    const qsizetype end = sql.indexOf(QLatin1String("*/"), from + 2);
    return end < 0 ? sql.size() : end + 2;
}

std::vector<Token> Tokens(const QString& sql) {
    std::vector<Token> tokens;
    qsizetype i = 0;
    while (i < sql.size()) {
        const QChar c = sql[i];
        qsizetype end = i + 1;
        TokenKind kind = TokenKind::Verbatim;
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            end = QuotedEnd(sql, i, c);
        } else if ((c == QLatin1Char('-') || c == QLatin1Char('/')) && i + 1 < sql.size() &&
                   sql[i + 1] == (c == QLatin1Char('-') ? QLatin1Char('-') : QLatin1Char('*'))) {
            end = CommentEnd(sql, i);
        } else if (c == QLatin1Char('?')) {
            kind = TokenKind::Parameter;
            while (end < sql.size() && sql[end].isDigit()) ++end;
        } else if (IsWordStart(c)) {
            kind = TokenKind::Word;
            while (end < sql.size() && IsWordPart(sql[end])) ++end;
        } else if (c.isDigit()) {
            while (end < sql.size() &&
                   (sql[end].isLetterOrNumber() || sql[end] == QLatin1Char('.')))
                ++end;
        }
        tokens.push_back({kind, sql.mid(i, end - i)});
        i = end;
    }
    return tokens;
}

// The next token that is not white space, or nullptr.
const Token* NextSolid(const std::vector<Token>& tokens, std::size_t from) {
    for (std::size_t i = from; i < tokens.size(); ++i) {
        if (!tokens[i].text.trimmed().isEmpty()) return &tokens[i];
    }
    return nullptr;
}

const Token* PreviousSolid(const std::vector<Token>& tokens, std::size_t before) {
    for (std::size_t i = before; i-- > 0;) {
        if (!tokens[i].text.trimmed().isEmpty()) return &tokens[i];
    }
    return nullptr;
}

// A word used as a name, not as a type after "::" or an alias after "AS".
bool IsNameUse(const std::vector<Token>& tokens, std::size_t at) {
    const Token* previous = PreviousSolid(tokens, at);
    if (!previous) return true;
    if (previous->text == QLatin1String(":")) return false;
    return previous->text.compare(QLatin1String("as"), Qt::CaseInsensitive) != 0;
}

// A column and a function may share a name (Date, date()).
bool IsFunctionCall(const std::vector<Token>& tokens, std::size_t at) {
    const Token* next = NextSolid(tokens, at + 1);
    return next && next->text == QLatin1String("(");
}

// The name a word or a quoted name stands for; empty for anything else.
QString NameIn(const Token& token) {
    if (token.kind == TokenKind::Word) return token.text;
    if (token.text.size() > 1 && token.text.startsWith(QLatin1Char('"')) &&
        token.text.endsWith(QLatin1Char('"')))
        return token.text.mid(1, token.text.size() - 2)
            .replace(QStringLiteral("\"\""), QStringLiteral("\""));
    return QString();
}

// Stored spellings of the columns of the tables the text names; the first table wins.
QHash<QString, QString> ColumnSpellings(const std::vector<Token>& tokens, const Catalog& catalog) {
    QHash<QString, QString> spellings;
    for (const Token& token : tokens) {
        const QString name = NameIn(token);
        if (name.isEmpty()) continue;
        const auto table = catalog.tables.constFind(name.toLower());
        if (table == catalog.tables.cend()) continue;
        for (auto column = table->spelling.cbegin(); column != table->spelling.cend(); ++column) {
            if (!spellings.contains(column.key())) spellings.insert(column.key(), column.value());
        }
    }
    return spellings;
}

QString DeclaredType(ColumnType type) {
    switch (type) {
        case ColumnType::Text:
            return QStringLiteral("text COLLATE %1").arg(QLatin1String(kNoCaseCollation));
        case ColumnType::Integer:
            return QStringLiteral("integer");
        case ColumnType::Double:
            return QStringLiteral("double precision");
        case ColumnType::Boolean:
            return QLatin1String(kYesNoType);
        case ColumnType::Date:
            return QStringLiteral("date");
        case ColumnType::Time:
            return QStringLiteral("time(0)");
    }
    return QString();
}

QString ColumnSql(const ColumnDef& column) {
    return QuoteIdentifier(column.name) + QLatin1Char(' ') + DeclaredType(column.type);
}

}  // namespace

ServerSql ToServerSql(const QString& sql, const Catalog& catalog) {
    const std::vector<Token> tokens = Tokens(sql);
    const QHash<QString, QString> columns = ColumnSpellings(tokens, catalog);
    ServerSql server;
    QString text;
    text.reserve(sql.size() + 32);
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const Token& token = tokens[i];
        if (token.kind == TokenKind::Parameter) {
            const int number =
                token.text.size() > 1 ? token.text.mid(1).toInt() : server.parameters + 1;
            server.parameters = std::max(server.parameters, number);
            text += QLatin1Char('$') + QString::number(number);
            continue;
        }
        if (token.kind == TokenKind::Word && IsNameUse(tokens, i)) {
            const QString lower = token.text.toLower();
            const auto table = catalog.tables.constFind(lower);
            if (table != catalog.tables.cend()) {
                text += QuoteIdentifier(table->name);
                continue;
            }
            const auto column = columns.constFind(lower);
            if (column != columns.cend() && !IsFunctionCall(tokens, i)) {
                text += QuoteIdentifier(*column);
                continue;
            }
        }
        text += token.text;
    }
    server.text = text.toUtf8();
    return server;
}

QString DatabaseObjectsSql() {
    // ICU's level-2 strength ignores letter case (all of Unicode's, not only A-Z) and keeps
    // accents apart; it needs no extension.
    return QStringLiteral(
               "CREATE COLLATION IF NOT EXISTS %1 (provider = icu, locale = 'und-u-ks-level2', "
               "deterministic = false);"
               "DO $$ BEGIN CREATE DOMAIN %2 AS smallint NOT NULL DEFAULT 0; "
               "EXCEPTION WHEN duplicate_object THEN NULL; END $$;"
               // Watchers of the session (the monitor) learn of recorded rows as they commit.
               "CREATE OR REPLACE FUNCTION fluxmere_recorded() RETURNS trigger LANGUAGE plpgsql "
               "AS $$ BEGIN PERFORM pg_notify('%3', TG_TABLE_NAME); RETURN NULL; END $$;")
               .arg(QLatin1String(kNoCaseCollation), QLatin1String(kYesNoType),
                    QLatin1String(kRecordedChannel)) +
           StationFunctionsSql();
}

QString CreateTableSql(const TableDef& table) {
    QStringList columns;
    for (const ColumnDef& column : table.columns) columns << ColumnSql(column);
    columns << QStringLiteral("%1 bigint GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY")
                   .arg(QLatin1String(kRowKey));
    QString sql = QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (%2);")
                      .arg(QuoteIdentifier(table.name), columns.join(QStringLiteral(", ")));
    for (const IndexDef& index : table.indexes) {
        QStringList names;
        for (const QString& column : index.columns) names << QuoteIdentifier(column);
        sql += QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3);")
                   .arg(QuoteIdentifier(index.name), QuoteIdentifier(table.name),
                        names.join(QStringLiteral(", ")));
    }
    if (table.recorded) {
        sql += QStringLiteral(
                   "CREATE OR REPLACE TRIGGER %1 AFTER INSERT OR UPDATE ON %2 "
                   "FOR EACH STATEMENT EXECUTE FUNCTION fluxmere_recorded();")
                   .arg(QuoteIdentifier(table.name + QStringLiteral("_recorded")),
                        QuoteIdentifier(table.name));
    }
    return sql;
}

QString AddColumnSql(const QString& table, const ColumnDef& column) {
    return QStringLiteral("ALTER TABLE %1 ADD COLUMN IF NOT EXISTS %2")
        .arg(QuoteIdentifier(table), ColumnSql(column));
}

ColumnType ColumnTypeOf(const QString& serverType) {
    static const QHash<QString, ColumnType> types = {
        {QLatin1String(kYesNoType), ColumnType::Boolean},
        {QStringLiteral("int2"), ColumnType::Integer},
        {QStringLiteral("int4"), ColumnType::Integer},
        {QStringLiteral("int8"), ColumnType::Integer},
        {QStringLiteral("float4"), ColumnType::Double},
        {QStringLiteral("float8"), ColumnType::Double},
        {QStringLiteral("numeric"), ColumnType::Double},
        {QStringLiteral("date"), ColumnType::Date},
        {QStringLiteral("time"), ColumnType::Time},
    };
    return types.value(serverType, ColumnType::Text);
}

}  // namespace db::postgresql
