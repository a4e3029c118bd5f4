#include "platform/foundation/InstanceLock.h"

#include "platform/foundation/Error.h"
#include "tests/support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <fstream>

namespace glimmo {
namespace {

namespace fs = std::filesystem;

TEST(InstanceLock, OneOwnerPerFolderUntilItGoes) {
    testing::TemporaryDirectory home;
    const fs::path data = home.path() / "data" / "app";
    std::optional<InstanceLock> owner = InstanceLock::acquire(data);
    ASSERT_TRUE(owner.has_value());
    // Another open file is refused, in this process as in another.
    EXPECT_FALSE(InstanceLock::acquire(data).has_value());
    EXPECT_TRUE(InstanceLock::acquire(home.path() / "data" / "other").has_value());
    owner.reset();
    EXPECT_TRUE(InstanceLock::acquire(data).has_value());

    std::ofstream(home.path() / "file") << "not a folder";
    EXPECT_THROW(InstanceLock::acquire(home.path() / "file"), FileError);
}

} // namespace
} // namespace glimmo
