// The store in PostgreSQL, through libpq: a few connections kept open
// between requests, each dropped at its first failure. While the server is
// down every request fails at once with StoreUnavailable (503), and the
// first one after it is back connects again: no restart of the hall.

#include <libpq-fe.h>

#include <atomic>
#include <cstring>
#include <mutex>

#include "hall/store.h"

namespace {

using Connection = std::unique_ptr<PGconn, decltype(&PQfinish)>;
using Result = std::unique_ptr<PGresult, decltype(&PQclear)>;

// A statement or a connection that hangs fails instead; the hall keeps the
// client waiting no longer than a replay.
const char* const Keywords[] = {"connect_timeout", "tcp_user_timeout", "options", "dbname", nullptr};
const char* const Settings = "-c statement_timeout=10000 -c lock_timeout=10000";
constexpr size_t MaxIdleConnections = 8;

// Connection failures and a server shutting down or out of resources, as
// against a fault of the statement: SQLSTATE classes 08, 53, 57 (which
// holds the statement time-out).
bool ServerTrouble(const PGresult* result, const PGconn* connection)
{
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    return PQstatus(connection) != CONNECTION_OK || !state || std::strncmp(state, "08", 2) == 0 ||
           std::strncmp(state, "53", 2) == 0 || std::strncmp(state, "57", 2) == 0;
}

class PostgresDatabase : public Database {
public:
    explicit PostgresDatabase(std::string connection) : url_(std::move(connection))
    {
        // Checked now, so a mistyped string stops the hall at its start;
        // the server itself may come later.
        char* error = nullptr;
        PQconninfoOption* options = PQconninfoParse(url_.c_str(), &error);
        if (!options) {
            std::string why = error ? error : "out of memory";
            PQfreemem(error);
            throw std::runtime_error("cannot read the PostgreSQL connection string: " + why);
        }
        PQconninfoFree(options);
    }

    std::vector<SqlRow> Query(const std::string& sql, const std::vector<SqlValue>& values) override
    {
        // A kept connection may have died with a server restart since its
        // last use: such a failure is tried once more on a new one. A
        // connection goes back to the idle ones only when it worked.
        bool reused = false;
        Connection connection = Take(&reused);
        std::vector<SqlRow> rows;
        try {
            rows = Run(connection.get(), sql, values);
        } catch (const StoreUnavailable&) {
            if (!reused)
                throw;
            connection = Connect();
            rows = Run(connection.get(), sql, values);
        }
        Release(std::move(connection));
        return rows;
    }

private:
    Connection Take(bool* reused)
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!idle_.empty()) {
                Connection connection = std::move(idle_.back());
                idle_.pop_back();
                *reused = true;
                return connection;
            }
        }
        return Connect();
    }

    Connection Connect()
    {
        const char* values[] = {"5", "10000", Settings, url_.c_str(), nullptr};
        Connection connection(PQconnectdbParams(Keywords, values, 1), PQfinish);
        if (!connection || PQstatus(connection.get()) != CONNECTION_OK)
            throw StoreUnavailable(std::string("PostgreSQL: ") +
                                   (connection ? PQerrorMessage(connection.get()) : "out of memory"));
        PQsetNoticeProcessor(connection.get(), [](void*, const char*) {}, nullptr);
        if (!schemaMade_) {
            // Two halls starting on one database make the schema one at a time.
            Run(connection.get(), "BEGIN", {});
            Run(connection.get(), "SELECT pg_advisory_xact_lock(7205759403792793)", {});
            for (const std::string& statement : SchemaStatements(PostgresDialect))
                Run(connection.get(), statement, {});
            Run(connection.get(), "COMMIT", {});
            schemaMade_ = true;
        }
        return connection;
    }

    std::vector<SqlRow> Run(PGconn* connection, const std::string& sql, const std::vector<SqlValue>& values)
    {
        std::vector<std::string> texts;
        for (const SqlValue& value : values)
            texts.push_back(value.isNumber ? std::to_string(value.number) : value.text);
        std::vector<const char*> pointers;
        for (const std::string& text : texts)
            pointers.push_back(text.c_str());
        Result result(PQexecParams(connection, sql.c_str(), int(pointers.size()), nullptr, pointers.data(), nullptr,
                                   nullptr, 0),
                      PQclear);
        ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
        if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
            std::string why = std::string("PostgreSQL: ") + PQerrorMessage(connection);
            if (ServerTrouble(result.get(), connection))
                throw StoreUnavailable(why);
            throw std::runtime_error(why);
        }
        std::vector<SqlRow> rows;
        for (int r = 0; r < PQntuples(result.get()); ++r) {
            SqlRow row;
            for (int c = 0; c < PQnfields(result.get()); ++c)
                row.emplace_back(PQgetvalue(result.get(), r, c), size_t(PQgetlength(result.get(), r, c)));
            rows.push_back(std::move(row));
        }
        return rows;
    }

    void Release(Connection connection)
    {
        if (PQtransactionStatus(connection.get()) != PQTRANS_IDLE)
            return;
        std::lock_guard<std::mutex> lock(mutex_);
        if (idle_.size() < MaxIdleConnections)
            idle_.push_back(std::move(connection));
    }

    const std::string url_;
    std::mutex mutex_;
    std::vector<Connection> idle_;
    std::atomic<bool> schemaMade_{false};
};

} // namespace

std::unique_ptr<Database> OpenPostgres(const std::string& connection)
{
    return std::make_unique<PostgresDatabase>(connection);
}
