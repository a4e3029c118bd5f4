#include "bench/app/DayServices.h"

#include "app/ActivityDataManager.h"
#include "app/PreferencesModel.h"
#include "bench/BenchProgram.h"
#include "bench/app/HistoryGenerator.h"
#include "platform/foundation/UserDefaults.h"

#include <filesystem>
#include <optional>
#include <vector>

namespace glimmo::bench {

namespace {

// A Gemini answer whose one candidate says `text`.
std::string geminiReply(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
        if (c == '"' || c == '\\') escaped += '\\';
        escaped += c == '\n' ? std::string("\\n") : std::string(1, c);
    }
    return R"({"candidates": [{"content": {"role": "model", "parts": [{"text": ")" + escaped +
           R"("}]}, "finishReason": "STOP"}]})";
}

} // namespace

DayServices::DayServices(int visits, const std::string& geminiText, const std::filesystem::path& olderRecordFile)
    : loop(std::make_shared<ManualRunLoop>(historyNow)) {
    RunLoop::setMain(loop);
    gemini.on("POST", R"(/v1beta/models/gemini-2\.0-flash:generateContent)",
              [body = geminiReply(geminiText)](const testing::RecordedRequest&, testing::ServerReply& reply) {
                  reply.headers = {{"Content-Type", "application/json"}};
                  reply.body = body;
              });
    environment.set("GEMINI_BASE_URL", gemini.baseURL());
    environment.set("GEMINI_API_KEY", "bench-key");
    UserDefaults::setStandard(std::make_shared<UserDefaults>(folder.path() / "defaults.json"));
    PreferencesModel::setShared(std::make_shared<PreferencesModel>(UserDefaults::standard(), notifications));
    const auto support = folder.path() / "support";
    ActivityDataManager::setShared(std::make_shared<ActivityDataManager>(
        loop->clock(), [support]() -> std::optional<std::filesystem::path> { return support; }));
    Workspace::setShared(workspace);

    writeHistory(folder.path() / "History", visits, historyNow, 10.0 / 24);
    ActivityMonitor::Services services;
    services.runLoop = loop.get();
    services.workspace = workspace.get();
    services.accessibility = &accessibility;
    services.inputTap = &tap;
    services.recordFilePath = folder.path() / "records.json";
    if (!olderRecordFile.empty()) {
        std::filesystem::copy_file(olderRecordFile, *services.recordFilePath);
    }
    services.geminiAPIKey = "bench-key";
    services.geminiBaseURL = gemini.baseURL();
    monitor = ActivityMonitor::create(services);
    std::vector<std::shared_ptr<ActivityRecord>> records;
    for (int i = 0; olderRecordFile.empty() && i < 300; ++i) {
        auto record = std::make_shared<ActivityRecord>(UUID::random(), "Application " + std::to_string(i % 40),
                                                       historyNow.addingTimeInterval(-120.0 * (i + 1)),
                                                       "window text of a document, " + std::to_string(i));
        record->duration = 110;
        records.push_back(std::move(record));
    }
    if (!records.empty()) {
        monitor->activityRecords = std::move(records);
    }
    reader = std::make_shared<ChromeHistoryReader>(loop->clock(), *workspace, folder.path() / "History",
                                                   folder.path() / "chromeHistory.db");
    service = std::make_shared<UnifiedActivityService>(monitor, reader, PreferencesModel::shared(), loop->clock());
}

DayServices::~DayServices() {
    service.reset();
    reader.reset();
    monitor.reset();
    loop->runUntilIdle();
    Workspace::setShared(nullptr);
    ActivityDataManager::setShared(nullptr);
    PreferencesModel::setShared(nullptr);
    UserDefaults::setStandard(nullptr);
    RunLoop::setMain(nullptr);
}

void DayServices::loadHistory() {
    ChromeHistoryReader::resetLastLoadTimeForTesting();
    reader->copyAndLoadHistory();
    if (!loop->runUntil([this] { return !reader->isLoading(); }, 120) || reader->historyItems->empty()) {
        fail("the history was not loaded");
    }
}

} // namespace glimmo::bench
