#include "platform/foundation/UUID.h"

#include <gtest/gtest.h>

#include <set>
#include <unordered_set>

namespace glimmo {
namespace {

TEST(UUIDTest, RandomIsVersionFourAndUpperCase) {
    std::set<UUID> seen;
    for (int i = 0; i < 100; ++i) {
        const UUID uuid = UUID::random();
        const std::string text = uuid.uuidString();
        ASSERT_EQ(text.size(), 36u);
        EXPECT_EQ(text[14], '4');
        EXPECT_NE(std::string("89AB").find(text[19]), std::string::npos) << text;
        EXPECT_EQ(text.find_first_of("abcdef"), std::string::npos) << text;
        seen.insert(uuid);
    }
    EXPECT_EQ(seen.size(), 100u);
}

TEST(UUIDTest, ParsesEitherCaseAndRoundTrips) {
    const auto parsed = UUID::parse("e621e1f8-c36c-495a-93fc-0c247a3e6e5f");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->uuidString(), "E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
    EXPECT_EQ(UUID::parse(parsed->uuidString()), parsed);
    EXPECT_EQ(parsed->bytes()[0], 0xE6);
}

TEST(UUIDTest, RejectsOtherForms) {
    for (const char* text : {"", "E621E1F8C36C495A93FC0C247A3E6E5F", "{E621E1F8-C36C-495A-93FC-0C247A3E6E5F}",
                             "E621E1F8-C36C-495A-93FC-0C247A3E6E5", "E621E1F8-C36C-495A-93FC-0C247A3E6E5G",
                             "E621E1F-8C36C-495A-93FC-0C247A3E6E5F", "E621E1F8-C36C-495A-93FC-0C247A3E6E5F0"}) {
        EXPECT_EQ(UUID::parse(text), std::nullopt) << text;
    }
}

TEST(UUIDTest, OrderingAndHashFollowTheBytes) {
    const UUID low = *UUID::parse("00000000-0000-0000-0000-000000000001");
    const UUID high = *UUID::parse("10000000-0000-0000-0000-000000000000");
    EXPECT_LT(low, high);
    EXPECT_NE(low, high);
    std::unordered_set<UUID> set{low, high, low};
    EXPECT_EQ(set.size(), 2u);
    EXPECT_EQ(std::hash<UUID>{}(low), std::hash<UUID>{}(*UUID::parse(low.uuidString())));
}

} // namespace
} // namespace glimmo
