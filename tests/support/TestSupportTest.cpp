#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sys/stat.h>

namespace glimmo::testing {
namespace {

TEST(TemporaryDirectoryTest, IsFreshPrivateAndRemovedWithItsContents) {
    std::filesystem::path remembered;
    {
        const TemporaryDirectory first;
        const TemporaryDirectory second;
        remembered = first.path();
        EXPECT_NE(first.path(), second.path());
        EXPECT_TRUE(std::filesystem::is_empty(first.path()));
        struct stat status {};
        ASSERT_EQ(::stat(first.path().c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, 0700u);
        std::filesystem::create_directories(first.path() / "nested");
        std::ofstream(first.path() / "nested" / "file.txt") << "content";
    }
    EXPECT_FALSE(std::filesystem::exists(remembered));
}

TEST(ScopedEnvironmentTest, RestoresChangedAndAbsentVariables) {
    ::setenv("GLIMMO_TEST_PRESENT", "original", 1);
    ::unsetenv("GLIMMO_TEST_ABSENT");
    {
        ScopedEnvironment environment;
        environment.set("GLIMMO_TEST_PRESENT", "changed");
        environment.set("GLIMMO_TEST_ABSENT", "now set");
        environment.set("GLIMMO_TEST_ABSENT", "set twice");
        EXPECT_STREQ(std::getenv("GLIMMO_TEST_PRESENT"), "changed");
        EXPECT_STREQ(std::getenv("GLIMMO_TEST_ABSENT"), "set twice");
        {
            const ScopedEnvironment inner("GLIMMO_TEST_PRESENT", std::nullopt);
            EXPECT_EQ(std::getenv("GLIMMO_TEST_PRESENT"), nullptr);
        }
        EXPECT_STREQ(std::getenv("GLIMMO_TEST_PRESENT"), "changed");
    }
    EXPECT_STREQ(std::getenv("GLIMMO_TEST_PRESENT"), "original");
    EXPECT_EQ(std::getenv("GLIMMO_TEST_ABSENT"), nullptr);
    ::unsetenv("GLIMMO_TEST_PRESENT");
}

}  // namespace
}  // namespace glimmo::testing
