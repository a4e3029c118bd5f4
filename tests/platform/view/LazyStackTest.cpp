// A lazy stack makes its elements a few at a time, from the top, and once it has made them all it shows
// what a stack of them all shows.

#include "ViewTestSupport.h"

#include "platform/runtime/ManualRunLoop.h"
#include "platform/view/ScrollView.h"
#include "platform/view/Stacks.h"
#include "platform/view/Structure.h"
#include "platform/view/Text.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace glimmo {
namespace {

using testing::describe;
using testing::findLabelled;

struct Document : ObservableObject {
    Published<std::vector<std::string>> lines{*this, {}};
};

std::vector<std::string> lines(const std::string& prefix, int count) {
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i) out.push_back(prefix + std::to_string(i));
    return out;
}

std::vector<ForEach::Element> elements(const std::vector<std::string>& shown) {
    std::vector<ForEach::Element> out;
    for (const auto& line : shown) out.push_back({AnyHashable(line), AnyView(Text(line)).accessibilityLabel(line)});
    return out;
}

// The document's lines in a scroll view, in a lazy stack or in a stack of a ForEach.
struct Shown : View<Shown> {
    ObservedObject<Document> document;
    bool lazy = true;
    AnyView body() const {
        auto shown = elements(document->lines.get());
        const AnyView stack = lazy ? AnyView(LazyVStack(HorizontalAlignment::leading(), 2, std::move(shown)))
                                   : AnyView(VStack(HorizontalAlignment::leading(), 2, {ForEach(std::move(shown))}));
        return ScrollView(stack);
    }
};

class LazyStackTest : public ::testing::Test {
protected:
    void SetUp() override { RunLoop::setMain(loop); }
    void TearDown() override { RunLoop::setMain(nullptr); }

    std::unique_ptr<ViewHost> host(bool lazy) {
        auto h = std::make_unique<ViewHost>(AnyView(Shown{{}, {document}, lazy}), std::make_shared<FixedAdvanceTextMeasurer>());
        h->setSize({300, 200});
        h->displayList();
        return h;
    }
    std::size_t made(ViewHost& h, const std::string& prefix, int count) {
        std::size_t n = 0;
        for (int i = 0; i < count; ++i) n += findLabelled(h.graph(), prefix + std::to_string(i)) != nullptr;
        return n;
    }
    // Turns the main loop until nothing is left to do.
    std::string settled(ViewHost& h) {
        loop->runUntilIdle();
        return describe(h.displayList());
    }

    std::shared_ptr<ManualRunLoop> loop = std::make_shared<ManualRunLoop>();
    std::shared_ptr<Document> document = std::make_shared<Document>();
};

TEST_F(LazyStackTest, TheFirstElementsAreMadeAtOnceAndTheRestInTheTurnsAfter) {
    document->lines.set(lines("line ", 60));
    auto lazy = host(true);
    EXPECT_EQ(made(*lazy, "line ", 60), LazyVStack::firstMade);
    const std::string shown = settled(*lazy);
    EXPECT_EQ(made(*lazy, "line ", 60), 60u);
    EXPECT_EQ(shown, describe(host(false)->displayList())) << "what a stack of them all shows";
}

TEST_F(LazyStackTest, ElementsMadeStayWhileANewDocumentStartsOver) {
    document->lines.set(lines("line ", 40));
    auto lazy = host(true);
    settled(*lazy);
    const ViewNode* first = findLabelled(lazy->graph(), "line 0");
    document->lines.modify([](auto& shown) {
        const auto more = lines("more ", 40);
        shown.insert(shown.end(), more.begin(), more.end());
    });
    lazy->displayList();
    EXPECT_EQ(findLabelled(lazy->graph(), "line 0"), first) << "made elements keep their views";
    EXPECT_EQ(made(*lazy, "line ", 40), 40u);
    EXPECT_EQ(settled(*lazy), describe(host(false)->displayList()));

    document->lines.set(lines("other ", 40));
    lazy->displayList();
    EXPECT_EQ(made(*lazy, "other ", 40), LazyVStack::firstMade);
    EXPECT_EQ(settled(*lazy), describe(host(false)->displayList()));
}

TEST_F(LazyStackTest, WithoutAMainLoopEverythingIsMadeAtOnce) {
    RunLoop::setMain(nullptr);
    document->lines.set(lines("line ", 60));
    EXPECT_EQ(made(*host(true), "line ", 60), 60u);
}

} // namespace
} // namespace glimmo
