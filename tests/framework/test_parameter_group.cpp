// ParameterGroup: index and name access with their exact failures, and truncation that also
// forgets the names of dropped entries.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "framework/ParameterGroup.h"
#include "host/AppMgr.h"

namespace {

using kw::ParameterGroup;

std::unique_ptr<CCmdParameter> Parameter(const std::string& switchName) {
    return std::make_unique<CCmdParameter>(CCmdParameter::Kind::String, switchName, "v", "d", "", false);
}

TEST(ParameterGroup, IndexAtCountFailsWithExactText) {
    ParameterGroup group;
    auto a = Parameter("-a");
    group.Append(a.get());
    EXPECT_EQ(group.At(0), a.get());
    for (int index : {1, -1}) {
        try {
            group.At(index);
            ADD_FAILURE() << "index " << index << " accepted";
        } catch (const std::out_of_range& error) {
            EXPECT_STREQ(error.what(), "index exceeds number of parameters in command");
        }
    }
}

TEST(ParameterGroup, FindByNameEmptyNameFailsUnknownNameIsNone) {
    ParameterGroup group;
    auto a = Parameter("-a");
    group.Append(a.get());
    EXPECT_EQ(group.Find("-a"), a.get());
    EXPECT_EQ(group.Find("-b"), nullptr);
    EXPECT_EQ(group.Find("a"), nullptr);
    try {
        group.Find("");
        ADD_FAILURE() << "empty name accepted";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Cannot find parameter");
    }
}

TEST(ParameterGroup, TruncateDropsEntriesAndTheirNames) {
    ParameterGroup group;
    auto a = Parameter("-a");
    auto b = Parameter("-b");
    auto c = Parameter("-c");
    group.Append(a.get());
    group.Append(b.get());
    group.Append(c.get());
    group.Truncate(1);
    ASSERT_EQ(group.Count(), 1);
    EXPECT_EQ(group.At(0), a.get());
    EXPECT_EQ(group.Find("-a"), a.get());
    EXPECT_EQ(group.Find("-b"), nullptr);
    EXPECT_EQ(group.Find("-c"), nullptr);
    group.Truncate(5);  // beyond the count: nothing changes
    EXPECT_EQ(group.Count(), 1);
    group.Append(c.get());
    EXPECT_EQ(group.Find("-c"), c.get());
    EXPECT_EQ(group.At(1), c.get());
}

TEST(ParameterGroup, TruncateKeepsANameStillCarriedByAnEarlierEntry) {
    ParameterGroup group;
    auto first = Parameter("-x");
    auto second = Parameter("-x");
    group.Append(first.get());
    group.Append(second.get());
    group.Truncate(1);
    EXPECT_EQ(group.Find("-x"), first.get());
}

}  // namespace
