// The value table of the adder-graph search against std::map: values grown well past the first
// table (so that it grows while holding values), taken back latest first the way the search
// undoes a candidate graph, then cleared; a value taken back must be gone and every other one
// keep its int, and only the latest value can be taken back.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <random>
#include <stdexcept>
#include <vector>

#include "verilog/OddValueMap.h"

namespace {

using fir::vlog::OddValueMap;

void ExpectSame(const OddValueMap& table, const std::map<std::int64_t, int>& model, const std::vector<std::int64_t>& probes) {
    ASSERT_EQ(table.Size(), model.size());
    for (const std::int64_t v : probes) {
        const int* found = table.Find(v);
        const auto want = model.find(v);
        ASSERT_EQ(found != nullptr, want != model.end()) << v;
        if (found) {
            EXPECT_EQ(*found, want->second) << v;
        }
    }
}

TEST(OddValueMap, MatchesAMapThroughGrowthUndoAndClear) {
    struct Case {
        int values;
        std::int64_t range;  // values drawn odd below it: dense ranges collide, wide ones spread
    };
    for (const Case& c : std::vector<Case>{{10, 64}, {300, 1024}, {5000, std::int64_t{1} << 21}, {2000, std::int64_t{1} << 40}}) {
        std::mt19937_64 random(static_cast<std::uint64_t>(c.values));
        OddValueMap table;
        std::map<std::int64_t, int> model;
        std::vector<std::int64_t> order;  // values in the order first inserted
        std::vector<std::int64_t> probes;
        for (int k = 0; k < c.values; ++k) {
            const std::int64_t v = static_cast<std::int64_t>(random() % static_cast<std::uint64_t>(c.range)) | 1;
            bool inserted = false;
            const int& payload = table.Insert(v, k, inserted);
            EXPECT_EQ(inserted, model.count(v) == 0) << v;
            if (inserted) order.push_back(v);
            model.emplace(v, k);
            EXPECT_EQ(payload, model.at(v)) << v;
            probes.push_back(v);
            probes.push_back(v + 2);
        }
        ExpectSame(table, model, probes);
        if (order.size() > 1) {
            EXPECT_THROW(table.EraseLatest(order.front()), std::logic_error);
        }
        for (std::size_t k = 0; k < order.size() / 2; ++k) {
            table.EraseLatest(order.back());
            model.erase(order.back());
            order.pop_back();
        }
        ExpectSame(table, model, probes);
        table.Clear();
        ExpectSame(table, {}, probes);
    }
}

}  // namespace
