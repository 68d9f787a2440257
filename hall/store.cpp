#include "hall/store.h"

namespace {

const char* const Columns = "id, name, score, frames, submitted, round";

KeptRound FromRow(const SqlRow& row)
{
    KeptRound round;
    round.id = std::stoll(row.at(0));
    round.name = row.at(1);
    round.score = std::stoi(row.at(2));
    round.frames = std::stoll(row.at(3));
    round.submitted = row.at(4);
    round.fragment = row.at(5);
    return round;
}

// One SQL for both databases: $N parameters (SQLite reads them as named
// ones, in the order they first appear), ON CONFLICT and RETURNING.
class SqlStore : public Store {
public:
    explicit SqlStore(std::unique_ptr<Database> database) : database_(std::move(database)) {}

    std::optional<KeptRound> FindByHash(const std::string& sha256) override
    {
        return Ranked(database_->Query(std::string("SELECT ") + Columns + " FROM rounds WHERE sha256 = $1", {sha256}));
    }

    KeptRound Keep(const NewRound& round, bool* added) override
    {
        *added = !database_
                      ->Query("INSERT INTO rounds (name, score, frames, round, sha256) VALUES ($1, $2, $3, $4, $5) "
                              "ON CONFLICT (sha256) DO NOTHING RETURNING id",
                              {round.name, round.score, round.frames, round.fragment, round.sha256})
                      .empty();
        std::optional<KeptRound> kept = FindByHash(round.sha256);
        if (!kept)
            throw std::runtime_error("a round just kept is not there");
        return *kept;
    }

    std::vector<KeptRound> Best(int count) override
    {
        std::vector<KeptRound> best;
        for (const SqlRow& row : database_->Query(std::string("SELECT ") + Columns +
                                                      " FROM rounds ORDER BY score DESC, submitted, id LIMIT $1",
                                                  {count})) {
            best.push_back(FromRow(row));
            best.back().rank = static_cast<long long>(best.size());
        }
        return best;
    }

    std::optional<KeptRound> Find(long long id) override
    {
        return Ranked(database_->Query(std::string("SELECT ") + Columns + " FROM rounds WHERE id = $1", {id}));
    }

private:
    std::optional<KeptRound> Ranked(const std::vector<SqlRow>& rows)
    {
        if (rows.empty())
            return std::nullopt;
        KeptRound round = FromRow(rows.front());
        std::vector<SqlRow> ahead = database_->Query(
            "SELECT COUNT(*) FROM rounds WHERE score > $1 OR (score = $1 AND (submitted < $2 OR (submitted = $2 AND id < $3)))",
            {round.score, round.submitted, round.id});
        round.rank = std::stoll(ahead.at(0).at(0)) + 1;
        return round;
    }

    std::unique_ptr<Database> database_;
};

} // namespace

const Dialect SqliteDialect = {"INTEGER PRIMARY KEY", "strftime('%Y-%m-%dT%H:%M:%fZ', 'now')"};
const Dialect PostgresDialect = {"BIGINT GENERATED ALWAYS AS IDENTITY PRIMARY KEY",
                                 "to_char(clock_timestamp() AT TIME ZONE 'UTC', 'YYYY-MM-DD\"T\"HH24:MI:SS.MS\"Z\"')"};

std::vector<std::string> SchemaStatements(const Dialect& dialect)
{
    return {std::string("CREATE TABLE IF NOT EXISTS rounds (id ") + dialect.idColumn +
                ", name TEXT NOT NULL, score INTEGER NOT NULL, frames BIGINT NOT NULL, round TEXT NOT NULL,"
                " sha256 TEXT NOT NULL UNIQUE, submitted TEXT NOT NULL DEFAULT (" +
                dialect.now + "))",
            "CREATE INDEX IF NOT EXISTS rounds_by_rank ON rounds (score DESC, submitted, id)"};
}

std::unique_ptr<Store> OpenStore(const std::string& db)
{
    bool postgres = db.rfind("postgresql://", 0) == 0 || db.rfind("postgres://", 0) == 0;
    return std::make_unique<SqlStore>(postgres ? OpenPostgres(db) : OpenSqlite(db));
}
