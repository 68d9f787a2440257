#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// The kept rounds, in SQLite or PostgreSQL. Everything is asked of the
// database each time, with no cache, so that several halls on one
// PostgreSQL agree; the database alone enforces that a recording is kept
// once (its SHA-256 is UNIQUE).
//
// Ranks: best score first; of equal scores, the earlier kept first (by the
// database's clock, then by id). A round's rank is one more than the count
// of rounds ahead of it.

struct KeptRound {
    long long id = 0;
    std::string name;
    int score = 0;
    long long frames = 0;
    std::string submitted; // UTC, "2026-12-08T07:21:54.123Z"
    std::string fragment; // its link's, after "#round="
    long long rank = 0;
};

struct NewRound {
    std::string name;
    int score = 0;
    long long frames = 0;
    std::string fragment;
    std::string sha256;
};

// The database cannot be reached, or is too busy: the request may be
// tried again (503).
struct StoreUnavailable : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class Store {
public:
    virtual ~Store() = default;
    // The round kept with this hash, with its rank.
    virtual std::optional<KeptRound> FindByHash(const std::string& sha256) = 0;
    // Keeps the round unless its hash is kept already; the round kept
    // either way, and whether it is new.
    virtual KeptRound Keep(const NewRound& round, bool* added) = 0;
    // The `count` best, best first, with their ranks.
    virtual std::vector<KeptRound> Best(int count) = 0;
    virtual std::optional<KeptRound> Find(long long id) = 0;
};

// A value bound to a statement's $1, $2, ...: never spliced into its text.
struct SqlValue {
    SqlValue(long long number) : isNumber(true), number(number) {}
    SqlValue(std::string text) : text(std::move(text)) {}
    bool isNumber = false;
    long long number = 0;
    std::string text;
};
using SqlRow = std::vector<std::string>;

// What the store needs of a database: its schema, and statements with
// $N parameters answered as rows of text. Each throws StoreUnavailable when
// the database cannot be reached, std::runtime_error on any other failure.
class Database {
public:
    virtual ~Database() = default;
    virtual std::vector<SqlRow> Query(const std::string& sql, const std::vector<SqlValue>& values) = 0;
};

std::unique_ptr<Database> OpenSqlite(const std::string& path);
std::unique_ptr<Database> OpenPostgres(const std::string& connection);

// SQLite for a file name, PostgreSQL for a postgresql:// or postgres://
// connection string; the schema is made when missing.
std::unique_ptr<Store> OpenStore(const std::string& db);

// The column definitions the two databases spell differently.
struct Dialect {
    const char* idColumn;
    const char* now; // the database's clock in UTC as "YYYY-MM-DDTHH:MM:SS.mmmZ"
};
extern const Dialect SqliteDialect;
extern const Dialect PostgresDialect;
// The statements that make the schema, in order.
std::vector<std::string> SchemaStatements(const Dialect& dialect);
