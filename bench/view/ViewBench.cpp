// The view kit's layout: how it grows with nesting and how an update after a change compares with
// laying the whole tree out.
// - Nested block quotes: a Markdown document of N nested quotes shown by the Markdown view with the
//   standard theme, made, laid out and drawn at a fixed width; 128 levels against 16.
// - Re-render: a list of rows (8 views each) where one row's state changes; the update that follows
//   against a full layout of the same tree (every remembered size and measured text forgotten, then laid
//   out and drawn again), both measured in the same run, at 0.5k, 2k and 8k views.
// Figures are medians of several runs. Use a release build.

#include "RidadoziRI/Views/Markdown.h"
#include "platform/runtime/Observable.h"
#include "platform/view/Button.h"
#include "platform/view/Shapes.h"
#include "platform/view/Stacks.h"
#include "platform/view/Structure.h"
#include "platform/view/Text.h"
#include "platform/view/ViewGraph.h"
#include "platform/view/ViewHost.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace glimmo {
namespace {

template <class Work, class Prepare>
double median(int runs, Work&& work, Prepare&& prepare) {
    std::vector<double> seconds;
    for (int i = 0; i < runs; ++i) {
        prepare();
        const auto start = std::chrono::steady_clock::now();
        work();
        seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(seconds.begin(), seconds.end());
    return seconds[seconds.size() / 2];
}

template <class Work>
double median(int runs, Work&& work) {
    return median(runs, std::forward<Work>(work), [] {});
}

void ratio(const char* name, double value) { std::printf("ratio %s %.3f\n", name, value); }

// Made, laid out and drawn at a width where even the deepest quote has room for its text (taking the
// window down again is not timed).
double nestedQuotes(int levels) {
    std::string markdown;
    for (int i = 0; i < levels; ++i) markdown += "> ";
    markdown += "text";
    std::optional<ViewHost> host;
    std::size_t items = 0;
    const double seconds = median(
        15,
        [&] {
            host.emplace(AnyView(ridadozi::Markdown(markdown)), std::make_shared<FixedAdvanceTextMeasurer>());
            host->setSize({6000, 2000});
            items += host->displayList().items.size();
        },
        [&] { host.reset(); });
    if (items == 0) std::puts("nothing drawn");
    return seconds;
}

struct RowModel : ObservableObject {
    Published<bool> selected{*this, false};
};

struct Row : View<Row> {
    int index = 0;
    ObservedObject<RowModel> model;
    AnyView body() const {
        const bool selected = model->selected.get();
        auto m = model.get();
        return HStack({
                   Image::systemName(selected ? "checkmark.circle.fill" : "circle"),
                   Text("Row " + std::to_string(index) + (selected ? " (picked)" : "")).font(Font::body()),
                   Spacer(),
                   Text(std::to_string(index * 7 % 100) + "%").foregroundColor(Color::secondary()),
                   Button("Pick", [m] { m->selected.set(!m->selected.get()); }).buttonStyle(AnyButtonStyle::borderless()),
               })
            .padding(EdgeSet::horizontal(), 8);
    }
};

struct Page : View<Page> {
    std::vector<std::shared_ptr<RowModel>> rows;
    AnyView body() const {
        std::vector<ForEach::Element> elements;
        for (std::size_t i = 0; i < rows.size(); ++i) elements.push_back({AnyHashable(i), Row{{}, static_cast<int>(i), {rows[i]}}});
        return VStack(HorizontalAlignment::leading(), 4, {ForEach(std::move(elements))});
    }
};

struct Rerender {
    double update = 0;     // one row changed, then the update and the display list
    double fullLayout = 0; // the same tree laid out and drawn from scratch
};

Rerender rerender(int views) {
    const int rowCount = views / 8;
    std::vector<std::shared_ptr<RowModel>> rows;
    for (int i = 0; i < rowCount; ++i) rows.push_back(std::make_shared<RowModel>());
    ViewHost host(AnyView(Page{{}, rows}), std::make_shared<FixedAdvanceTextMeasurer>());
    host.setSize({400, static_cast<CGFloat>(rowCount) * 24});
    host.displayList();
    Rerender r;
    const auto& changed = rows[static_cast<std::size_t>(rowCount / 2)];
    std::size_t items = 0;
    r.update = median(201, [&] {
        changed->selected.set(!changed->selected.get());
        items += host.displayList().items.size();
    });
    r.fullLayout = median(9, [&] { items += host.displayList().items.size(); }, [&] { host.graph().forgetLayout(); });

    if (items == 0) std::puts("nothing drawn");
    return r;
}

} // namespace
} // namespace glimmo

int main() {
    using namespace glimmo;

    const double q16 = nestedQuotes(16), q64 = nestedQuotes(64), q128 = nestedQuotes(128);
    std::printf("nested quotes: 16 levels %.2f ms, 64 levels %.2f ms, 128 levels %.2f ms\n", q16 * 1e3, q64 * 1e3, q128 * 1e3);
    ratio("nested_quotes_64_vs_16", q64 / q16);
    ratio("nested_quotes_128_vs_16", q128 / q16);

    const Rerender small = rerender(500), medium = rerender(2000), large = rerender(8000);
    for (const auto& [views, r] : {std::pair{500, small}, std::pair{2000, medium}, std::pair{8000, large}}) {
        std::printf("%5d views: update after one row changed %.3f ms, full layout %.3f ms\n", views, r.update * 1e3, r.fullLayout * 1e3);
    }
    ratio("rerender_vs_full_layout_0.5k", small.update / small.fullLayout);
    ratio("rerender_vs_full_layout_2k", medium.update / medium.fullLayout);
    ratio("rerender_vs_full_layout_8k", large.update / large.fullLayout);
    ratio("rerender_growth_0.5k_to_2k", medium.update / small.update);
    ratio("rerender_growth_2k_to_8k", large.update / medium.update);
    return 0;
}
