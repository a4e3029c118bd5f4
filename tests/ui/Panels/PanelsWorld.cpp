#include "tests/ui/Panels/PanelsWorld.h"

#include "tests/analysis/AnalysisFixture.h"

namespace glimmo::testing {

Date onThe7th(int hour, int minute) {
    return on7th(hour, minute);
}
std::string openAIReplyWithText(const std::string& text) {
    return openAITextReply(text);
}
std::string geminiReplyWithText(const std::string& text) {
    return geminiTextReply(text);
}

struct PanelsWorld::Impl : AnalysisFixture {
    void TestBody() override {}
    using AnalysisFixture::addRecord;
    using AnalysisFixture::answerGemini;
    using AnalysisFixture::answerOpenAI;
    using AnalysisFixture::directory;
    using AnalysisFixture::gemini;
    using AnalysisFixture::logged;
    using AnalysisFixture::logs;
    using AnalysisFixture::loop;
    using AnalysisFixture::monitor;
    using AnalysisFixture::openAI;
    using AnalysisFixture::pasteboard;
    using AnalysisFixture::reader;
    using AnalysisFixture::service;
};

PanelsWorld::PanelsWorld() : impl_(std::make_unique<Impl>()) {}
PanelsWorld::~PanelsWorld() = default;

std::shared_ptr<ManualRunLoop> PanelsWorld::loop() const { return impl_->loop; }
std::shared_ptr<ActivityMonitor> PanelsWorld::monitor() const { return impl_->monitor; }
std::shared_ptr<ChromeHistoryReader> PanelsWorld::reader() const { return impl_->reader; }
std::shared_ptr<UnifiedActivityService> PanelsWorld::service() const { return impl_->service; }
FakePasteboard& PanelsWorld::pasteboard() const { return *impl_->pasteboard; }
std::filesystem::path PanelsWorld::folder() const { return impl_->directory.path(); }

void PanelsWorld::answerOpenAI(int status, const std::string& body) { impl_->answerOpenAI(status, body); }
void PanelsWorld::answerGemini(int status, const std::string& body, double stallSeconds) {
    impl_->answerGemini(status, body, stallSeconds);
}
std::size_t PanelsWorld::openAIRequestCount() const { return impl_->openAI.requestCount(); }
std::size_t PanelsWorld::geminiRequestCount() const { return impl_->gemini.requestCount(); }
std::string PanelsWorld::lastOpenAIRequestBody() const {
    const auto requests = impl_->openAI.requests();
    return requests.empty() ? std::string() : requests.back().body;
}
bool PanelsWorld::logged(const std::string& line) const { return impl_->logged(line); }
std::vector<std::string> PanelsWorld::logs() const { return impl_->logs(); }
void PanelsWorld::addRecord(const std::string& appName, Date start, double seconds) {
    impl_->addRecord(appName, start, seconds);
}

} // namespace glimmo::testing
