// The real binary's starts on shared folders are run in the shell tests; here the lock's other sides.
// Locks of one process meet as those of two do, since each open folder holds its own.

#include "platform/foundation/Error.h"
#include "platform/foundation/FileIdentity.h"
#include "platform/foundation/InstanceLock.h"
#include "tests/support/TemporaryDirectory.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <thread>

namespace glimmo {
namespace {

namespace fs = std::filesystem;

// "<holds> <path>" of the folder found held, or "locked".
std::string outcome(const std::variant<InstanceLock, StoreFolder>& taken) {
    const auto* held = std::get_if<StoreFolder>(&taken);
    return held ? held->holds + " " + held->path.string() : "locked";
}

class InstanceLockTest : public ::testing::Test {
protected:
    fs::path at(const char* name) const { return folder.path() / name; }
    testing::TemporaryDirectory folder;
};

TEST_F(InstanceLockTest, EachFolderUnderAnyNameHasOneOwnerAndAStartThatFindsOneTakenKeepsNone) {
    for (const char* name : {"one", "two"}) fs::create_directory(at(name));
    // Folders are locked in the order of their identities: the start that fails below has locked `before`.
    const bool oneFirst = fileIdentity(at("one"))->inode < fileIdentity(at("two"))->inode;
    const fs::path before = at(oneFirst ? "one" : "two");
    const fs::path taken = at(oneFirst ? "two" : "one");
    fs::create_directory_symlink(taken, at("link"));
    auto first = InstanceLock::acquire({{taken, "data"}, {at("link"), "records"}, {at("new") / "app", "settings"}});
    ASSERT_EQ(outcome(first), "locked") << "one folder under two names is one; a missing one is made";
    EXPECT_EQ(outcome(InstanceLock::acquire({{before, "records"}, {at("link"), "settings"}})),
              "settings " + at("link").string());
    EXPECT_EQ(outcome(InstanceLock::acquire({{before, "records"}})), "locked") << "the start that ended let it go";
    first = StoreFolder{};
    EXPECT_EQ(outcome(InstanceLock::acquire({{before, "records"}, {taken, "data"}})), "locked");

    std::ofstream(at("file")) << "not a folder";
    EXPECT_THROW(InstanceLock::acquire({{at("file"), "data"}}), FileError);
}

TEST_F(InstanceLockTest, WhenTwoFoldersAreHeldTheFirstInTheLockingOrderIsNamedWhateverOrderTheyAreGivenIn) {
    for (const char* name : {"one", "two"}) fs::create_directory(at(name));
    const bool oneFirst = fileIdentity(at("one"))->inode < fileIdentity(at("two"))->inode;
    const fs::path first = at(oneFirst ? "one" : "two");
    const fs::path second = at(oneFirst ? "two" : "one");
    const auto holdingFirst = InstanceLock::acquire({{first, "data"}});
    const auto holdingSecond = InstanceLock::acquire({{second, "data"}});
    ASSERT_EQ(outcome(holdingFirst), "locked");
    ASSERT_EQ(outcome(holdingSecond), "locked");
    EXPECT_EQ(outcome(InstanceLock::acquire({{second, "records"}, {first, "settings"}})), "settings " + first.string());
    EXPECT_EQ(outcome(InstanceLock::acquire({{first, "settings"}, {second, "records"}})), "settings " + first.string());
}

// Another start holds a folder only for the moment of its pass when it is on its way to failing: a start
// that meets it then is not refused for it.
TEST_F(InstanceLockTest, AStartWaitsForAFolderThatAnotherStartLetsGoOfAMomentLater) {
    fs::create_directory(at("one"));
    auto other = InstanceLock::acquire({{at("one"), "data"}});
    ASSERT_EQ(outcome(other), "locked");
    std::string started;
    std::thread start([&] { started = outcome(InstanceLock::acquire({{at("one"), "data"}})); });
    std::this_thread::sleep_for(InstanceLock::lockWait / 10);
    other = StoreFolder{};
    start.join();
    EXPECT_EQ(started, "locked");
}

// A store is locked where it is named and, through a link, where its writes land: a first write through a
// dangling link makes the file at its end; no write goes through a link without end or a FIFO.
TEST_F(InstanceLockTest, AStoreIsLockedWhereItIsNamedAndWhereItsWritesLand) {
    for (const char* name : {"dotfiles", "config"}) fs::create_directory(at(name));
    std::ofstream(at("dotfiles") / "defaults.json") << "{}";
    fs::create_symlink(at("dotfiles") / "defaults.json", at("config") / "linked.json");
    fs::create_symlink("../dotfiles/missing.json", at("config") / "dangling.json");
    fs::create_symlink(at("config") / "loop.json", at("config") / "loop.json");
    ASSERT_EQ(::mkfifo((at("config") / "fifo.json").c_str(), 0600), 0);
    const std::vector<std::pair<fs::path, std::vector<fs::path>>> stores{
        {at("config") / "linked.json", {at("config"), at("dotfiles")}},
        {at("config") / "dangling.json", {at("config"), at("config") / ".." / "dotfiles"}},
        {at("dotfiles") / "defaults.json", {at("dotfiles")}},
        {at("config") / "loop.json", {at("config")}},
        {at("config") / "fifo.json", {at("config")}},
    };
    for (const auto& [store, folders] : stores) EXPECT_EQ(InstanceLock::foldersOfStore(store), folders) << store;
}

} // namespace
} // namespace glimmo
