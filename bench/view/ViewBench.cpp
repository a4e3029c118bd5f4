// Layout and display-list building of a tree of 2,000 views, and a re-render after one state change
// in it. The baseline does the same arithmetic by hand (stacking rows of a fixed text layout and
// pushing the display items directly), which is the least any toolkit has to do.

#include "platform/view/Button.h"
#include "platform/view/Shapes.h"
#include "platform/view/Stacks.h"
#include "platform/view/Structure.h"
#include "platform/view/Text.h"
#include "platform/view/ViewGraph.h"
#include "platform/view/ViewHost.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace glimmo {
namespace {

constexpr int rowCount = 250; // 8 views per row: 2,000 views

struct Row : View<Row> {
    int index;
    State<bool> selected{false};
    explicit Row(int i) : index(i) {}
    AnyView body() const {
        auto state = selected;
        return HStack({
            Image::systemName(*selected ? "checkmark.circle.fill" : "circle"),
            Text("Row " + std::to_string(index)).font(Font::body()),
            Spacer(),
            Text(std::to_string(index * 7 % 100) + "%").foregroundColor(Color::secondary()),
            Button("Pick", [state] { state.set(!*state); }).buttonStyle(AnyButtonStyle::borderless()).accessibilityLabel("pick" + std::to_string(index)),
        }).padding(EdgeSet::horizontal(), 8);
    }
};

struct Page : View<Page> {
    AnyView body() const {
        return VStack(HorizontalAlignment::leading(), 4, {ForEach::range(0, rowCount, [](int i) { return Row(i); })});
    }
};

std::unique_ptr<ViewHost> makeHost() {
    auto host = std::make_unique<ViewHost>(AnyView(Page()), std::make_shared<FixedAdvanceTextMeasurer>());
    host->setSize({400, 6000});
    return host;
}

void BM_KitLayoutAndDisplayList(benchmark::State& state) {
    std::size_t items = 0;
    for (auto _ : state) {
        auto host = makeHost();
        items = host->displayList().items.size();
        benchmark::DoNotOptimize(items);
    }
    state.counters["items"] = static_cast<double>(items);
}
BENCHMARK(BM_KitLayoutAndDisplayList)->Unit(benchmark::kMillisecond);

// The same rows laid out by hand.
void BM_BaselineHandLayout(benchmark::State& state) {
    const FixedAdvanceTextMeasurer measurer;
    std::size_t items = 0;
    for (auto _ : state) {
        DisplayList list;
        CGFloat y = 0;
        ResolvedFont body;
        for (int i = 0; i < rowCount; ++i) {
            const std::string label = "Row " + std::to_string(i);
            const std::string percent = std::to_string(i * 7 % 100) + "%";
            const FontMetrics m = measurer.metrics(body);
            const CGFloat h = m.ascent + m.descent;
            TextItem a;
            a.origin = {30, y};
            a.runs.push_back({label, body, {}, 0, measurer.advance(label, body), m.ascent, 0, {}, {}, {}, {}, {}});
            TextItem b;
            b.origin = {300, y};
            b.runs.push_back({percent, body, {}, 0, measurer.advance(percent, body), m.ascent, 0, {}, {}, {}, {}, {}});
            list.items.emplace_back(std::move(a));
            list.items.emplace_back(std::move(b));
            list.items.emplace_back(FillItem{Path::rect({8, y, 13, 13}), RGBA{}});
            y += h + 4;
        }
        items = list.items.size();
        benchmark::DoNotOptimize(items);
    }
    state.counters["items"] = static_cast<double>(items);
}
BENCHMARK(BM_BaselineHandLayout)->Unit(benchmark::kMillisecond);

void BM_KitRerenderAfterOneStateChange(benchmark::State& state) {
    auto host = makeHost();
    host->displayList();
    ViewNode* button = nullptr;
    std::function<ViewNode*(ViewNode*)> find = [&](ViewNode* n) -> ViewNode* {
        if (n->accessibilityLabel() == "pick125") return n;
        for (auto& c : n->children) {
            if (ViewNode* hit = find(c.get())) return hit;
        }
        return nullptr;
    };
    button = find(host->graph().root());
    const CGRect f = button->elementsFrame();
    PointerEvent press;
    press.kind = PointerEvent::Kind::pressed;
    press.location = {f.midX(), f.midY()};
    PointerEvent release = press;
    release.kind = PointerEvent::Kind::released;
    std::size_t bodies = 0;
    for (auto _ : state) {
        const std::size_t before = host->bodyEvaluationCount();
        host->handlePointer(press);
        host->handlePointer(release);
        host->update();
        benchmark::DoNotOptimize(host->displayList().items.size());
        bodies = host->bodyEvaluationCount() - before;
    }
    state.counters["bodies"] = static_cast<double>(bodies);
}
BENCHMARK(BM_KitRerenderAfterOneStateChange)->Unit(benchmark::kMillisecond);

// Prints the kit's time over the baseline's once the runs are done.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const auto& r : runs) {
            const double t = r.GetAdjustedRealTime();
            if (r.benchmark_name() == "BM_KitLayoutAndDisplayList") kit_ = t;
            if (r.benchmark_name() == "BM_BaselineHandLayout") baseline_ = t;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        if (kit_ > 0 && baseline_ > 0) std::printf("kit layout + display list / hand layout: %.1fx\n", kit_ / baseline_);
    }

private:
    double kit_ = 0;
    double baseline_ = 0;
};

} // namespace
} // namespace glimmo

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    glimmo::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
