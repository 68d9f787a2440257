// The store, the same tests on a SQLite file and on a PostgreSQL server (FW_HALL_POSTGRES, which
// tests/hall/with_postgres.sh provides). Racing writers, and two halls on one database, are the load test's.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>

#include <gtest/gtest.h>

#include "hall/sha256.h"
#include "hall/store.h"

namespace {

class HallStore : public testing::TestWithParam<std::string> {
protected:
    void SetUp() override
    {
        const char* postgres = std::getenv("FW_HALL_POSTGRES");
        ASSERT_TRUE(GetParam() == "sqlite" || postgres) << "run under tests/hall/with_postgres.sh";
        db_ = GetParam() == "sqlite" ? (std::filesystem::temp_directory_path() / "hall-store-").string() +
                                           std::to_string(getpid()) + ".db"
                                     : postgres;
        TearDown();
        if (GetParam() != "sqlite")
            OpenPostgres(db_)->Query("DROP TABLE rounds", {});
        store_ = OpenStore(db_);
    }
    void TearDown() override
    {
        if (GetParam() == "sqlite")
            for (const char* end : {"", "-wal", "-shm"})
                std::filesystem::remove(db_ + end);
    }
    KeptRound Keep(Store& store, const std::string& name, int score, bool* added = nullptr)
    {
        bool ignored = false;
        return store.Keep({name, score, 1000 + score, "fragment " + name, Sha256Hex(name)}, added ? added : &ignored);
    }

    std::string db_;
    std::unique_ptr<Store> store_;
};

TEST_P(HallStore, KeptOnceBestFirstEarlierFirstNamesAsText)
{
    bool added = false;
    KeptRound first = Keep(*store_, "tie, earlier", 500, &added);
    EXPECT_TRUE(added && first.id > 0 && first.rank == 1 && first.frames == 1500 && first.submitted.size() == 24u);
    KeptRound again = store_->Keep({"someone else", 500, 1500, "other", Sha256Hex("tie, earlier")}, &added);
    EXPECT_TRUE(!added && again.id == first.id && again.name == "tie, earlier" && again.fragment == "fragment tie, earlier");
    for (const auto& [name, score] : std::map<std::string, int>{
             {"Robert'); DROP TABLE rounds;--", 300}, {"<b>\"low\"</b>", 100}, {"top\\ $1 ?", 900}})
        Keep(*store_, name, score);
    Keep(*store_, "tie, later", 500);
    const char* order[] = {"top\\ $1 ?", "tie, earlier", "tie, later", "Robert'); DROP TABLE rounds;--"};
    std::vector<KeptRound> best = store_->Best(4);
    ASSERT_EQ(best.size(), 4u);
    for (size_t i = 0; i < best.size(); ++i) {
        EXPECT_EQ(best[i].name, order[i]);
        EXPECT_EQ(best[i].rank, long(i + 1));
        EXPECT_EQ(store_->Find(best[i].id)->rank, best[i].rank) << "one rank whichever way it is asked";
        EXPECT_EQ(store_->FindByHash(Sha256Hex(order[i]))->id, best[i].id);
    }
    EXPECT_EQ(store_->Best(100).size(), 5u);
    EXPECT_FALSE(store_->Find(0) || store_->FindByHash(Sha256Hex("none")));
}

INSTANTIATE_TEST_SUITE_P(Backends, HallStore, testing::Values("sqlite", "postgres"),
                         [](const testing::TestParamInfo<std::string>& info) { return info.param; });

} // namespace
