#include "app/ActivityDataManager.h"
#include "app/ActivityRecordFile.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/InstanceLock.h"
#include "platform/foundation/Locations.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/StandardStreams.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/runtime/LargeAllocations.h"
#include "RemoteImage/ImageLoadingSession.h"
#include "platform/scenes/ApplicationRunner.h"
#include "shell/GlimmoDemoApp.h"

#include <cstdio>
#include <variant>
#include <vector>

namespace {

// Every folder the application writes in, with what it keeps there.
std::vector<glimmo::StoreFolder> storeFolders() {
    const std::filesystem::path dataFolder = glimmo::applicationDataDirectory();
    std::vector<glimmo::StoreFolder> folders{{dataFolder, "data"}};
    const auto addStore = [&](const std::filesystem::path& file, const char* holds) {
        for (auto& folder : glimmo::InstanceLock::foldersOfStore(file)) folders.push_back({std::move(folder), holds});
    };
    addStore(dataFolder / glimmo::ActivityDataManager::dataFileName, "data");
    addStore(glimmo::ActivityRecordFile::defaultPath(), "records");
    addStore(glimmo::UserDefaults::defaultFilePath(), "settings");
    folders.push_back({remoteimage::defaultImageCacheDirectory(), "image cache"});
    return folders;
}

} // namespace

int main(int argc, char** argv) {
    // Before anything large is allocated, so that memory comes back after large texts.
    glimmo::giveLargeAllocationsBackWhenFreed();
    // A start with standard output or error closed would otherwise see them taken by the next file
    // opened (the X connection, a lock, a store), which would then get the log and the prompts.
    glimmo::openClosedStandardStreams();
    // Without a display the toolkit would abort with a message that blames the installation.
    if (!glimmo::isDisplayReachable()) {
        std::fputs("GlimmoDemo needs an X11 session: no X display could be opened (is DISPLAY set?); "
                   "capturing the frontmost window also needs a window manager.\n",
                   stderr);
        return glimmo::exitStatusWithoutDisplay;
    }
    // Before anything is read or written, and held until the process ends: a second instance would
    // write its own records, settings, day store or cached images over this one's.
    std::variant<glimmo::InstanceLock, glimmo::StoreFolder> ownership = glimmo::StoreFolder{};
    try {
        ownership = glimmo::InstanceLock::acquire(storeFolders());
    } catch (const glimmo::FileError& error) {
        glimmo::systemLog(std::string("❌ GlimmoDemo cannot start: a folder it writes in cannot be locked: ") +
                          error.what());
        return 1;
    }
    if (const auto* taken = std::get_if<glimmo::StoreFolder>(&ownership)) {
        glimmo::systemLog("⚠️ GlimmoDemo is already running with the " + taken->holds + " folder " +
                          taken->path.string() + "; this start ends and leaves it alone");
        return glimmo::anotherInstanceExitStatus;
    }
    return glimmo::runApplication<glimmo::GlimmoDemoApp>(argc, argv, glimmo::GlimmoDemoApp::name);
}
