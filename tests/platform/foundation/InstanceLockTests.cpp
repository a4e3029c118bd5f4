// Starts of the real binary on shared folders, and one after its owner was killed, are run in the
// shell tests; here the lock's other sides. Locks of one process meet as those of two do, since each
// open folder holds its own.

#include "platform/foundation/Error.h"
#include "platform/foundation/InstanceLock.h"
#include "tests/support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace glimmo {
namespace {

namespace fs = std::filesystem;

// "<holds> <path>" of the folder found held, or "none".
std::string heldFolder(const std::variant<InstanceLock, StoreFolder>& taken) {
    const auto* held = std::get_if<StoreFolder>(&taken);
    return held ? held->holds + " " + held->path.string() : "none";
}

std::optional<InstanceLock> owner(const std::vector<StoreFolder>& folders) {
    auto taken = InstanceLock::acquire(folders);
    if (auto* lock = std::get_if<InstanceLock>(&taken)) return std::move(*lock);
    return std::nullopt;
}

class InstanceLockTest : public ::testing::Test {
protected:
    fs::path at(const char* name) const { return folder.path() / name; }
    testing::TemporaryDirectory folder;
};

TEST_F(InstanceLockTest, EachFolderHasOneOwnerAndAStartThatFindsOneTakenKeepsNone) {
    std::optional<InstanceLock> first = owner({{at("data") / "app", "data"}});
    ASSERT_TRUE(first.has_value()) << "made with its parents";
    EXPECT_EQ(heldFolder(InstanceLock::acquire({{at("documents"), "records"}, {at("data") / "app", "data"}})),
              "data " + (at("data") / "app").string());
    EXPECT_TRUE(owner({{at("documents"), "records"}}).has_value()) << "the start that ended let its other folder go";
    first.reset();
    EXPECT_TRUE(owner({{at("documents"), "records"}, {at("data") / "app", "data"}}).has_value());

    std::ofstream(at("file")) << "not a folder";
    EXPECT_THROW(InstanceLock::acquire({{at("file"), "data"}}), FileError);
}

TEST_F(InstanceLockTest, AFolderUnderTwoNamesIsOneFolder) {
    fs::create_directory(at("real"));
    fs::create_directory_symlink(at("real"), at("link"));
    std::optional<InstanceLock> first = owner({{at("real"), "data"}, {at("link"), "records"}});
    ASSERT_TRUE(first.has_value()) << "its own lock does not stop a start";
    EXPECT_EQ(heldFolder(InstanceLock::acquire({{at("other"), "data"}, {at("link"), "records"}})),
              "records " + at("link").string());
}

TEST_F(InstanceLockTest, AStoreIsLockedWhereItIsNamedAndWhereItsWritesLand) {
    fs::create_directories(at("dotfiles"));
    fs::create_directories(at("config"));
    std::ofstream(at("dotfiles") / "defaults.json") << "{}";
    fs::create_symlink(at("dotfiles") / "defaults.json", at("config") / "defaults.json");
    EXPECT_EQ(InstanceLock::foldersOfStore(at("config") / "defaults.json"),
              (std::vector<fs::path>{at("config"), at("dotfiles")}));
    fs::create_symlink("../dotfiles/missing.json", at("config") / "dangling.json");
    EXPECT_EQ(InstanceLock::foldersOfStore(at("config") / "dangling.json"),
              (std::vector<fs::path>{at("config"), at("config") / ".." / "dotfiles"}))
        << "a first write creates the file at the end of the link";
    EXPECT_EQ(InstanceLock::foldersOfStore(at("dotfiles") / "defaults.json"), std::vector<fs::path>{at("dotfiles")});
    EXPECT_EQ(InstanceLock::foldersOfStore(at("config") / "absent.json"), std::vector<fs::path>{at("config")});
    fs::create_symlink(at("config") / "loop.json", at("config") / "loop.json");
    EXPECT_EQ(InstanceLock::foldersOfStore(at("config") / "loop.json"), std::vector<fs::path>{at("config")})
        << "no write goes through a link without end";
}

} // namespace
} // namespace glimmo
