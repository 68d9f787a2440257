// The store in one SQLite file: write-ahead log, and every commit synced
// (synchronous=FULL) before a round is answered as kept, so a kill or a
// power cut loses no round the hall has acknowledged.

#include <sqlite3.h>

#include <mutex>

#include "hall/store.h"

namespace {

constexpr int BusyMilliseconds = 5000;

class SqliteDatabase : public Database {
public:
    explicit SqliteDatabase(const std::string& path)
    {
        int opened = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                                     nullptr);
        if (opened != SQLITE_OK) {
            std::string why = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(opened);
            sqlite3_close(db_);
            throw std::runtime_error("cannot open the SQLite file \"" + path + "\": " + why);
        }
        sqlite3_busy_timeout(db_, BusyMilliseconds);
        for (const char* pragma : {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=FULL"})
            Query(pragma, {});
        for (const std::string& statement : SchemaStatements(SqliteDialect))
            Query(statement, {});
    }
    ~SqliteDatabase() override { sqlite3_close(db_); }

    // One connection, one statement at a time: SQLite writes one at a time
    // anyway, and each statement here takes a fraction of a replay.
    std::vector<SqlRow> Query(const std::string& sql, const std::vector<SqlValue>& values) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), int(sql.size()), &statement, nullptr) != SQLITE_OK)
            Fail("prepare");
        struct Finalize {
            sqlite3_stmt* statement;
            ~Finalize() { sqlite3_finalize(statement); }
        } finalize{statement};
        for (size_t i = 0; i < values.size(); ++i) {
            const SqlValue& value = values[i];
            int bound = value.isNumber ? sqlite3_bind_int64(statement, int(i + 1), value.number)
                                       : sqlite3_bind_text(statement, int(i + 1), value.text.data(),
                                                           int(value.text.size()), SQLITE_TRANSIENT);
            if (bound != SQLITE_OK)
                Fail("bind");
        }
        std::vector<SqlRow> rows;
        int step;
        while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
            SqlRow row;
            for (int c = 0; c < sqlite3_column_count(statement); ++c) {
                const unsigned char* text = sqlite3_column_text(statement, c);
                row.emplace_back(text ? reinterpret_cast<const char*>(text) : "",
                                 size_t(sqlite3_column_bytes(statement, c)));
            }
            rows.push_back(std::move(row));
        }
        if (step != SQLITE_DONE)
            Fail("step");
        return rows;
    }

private:
    [[noreturn]] void Fail(const char* what)
    {
        std::string why = std::string("SQLite ") + what + ": " + sqlite3_errmsg(db_);
        int code = sqlite3_errcode(db_) & 0xff;
        if (code == SQLITE_BUSY || code == SQLITE_LOCKED || code == SQLITE_FULL || code == SQLITE_IOERR ||
            code == SQLITE_CANTOPEN)
            throw StoreUnavailable(why);
        throw std::runtime_error(why);
    }

    std::mutex mutex_;
    sqlite3* db_ = nullptr;
};

} // namespace

std::unique_ptr<Database> OpenSqlite(const std::string& path) { return std::make_unique<SqliteDatabase>(path); }
