#include "platform/runtime/RunLoop.h"
#include "platform/view/NodeSupport.h"
#include "platform/view/Stacks.h"
#include "platform/view/ViewGraph.h"

#include <algorithm>
#include <unordered_set>

namespace glimmo {
namespace {

struct LazyStackData {
    StackLayout layout;
    std::vector<ForEach::Element> elements;
};

// Makes the leading elements of its content, more in each turn of the main loop, and lays out those it
// has made as a stack. What it makes in an update depends on its content and on what it had made
// alone, never on layout, so a window that has made them all shows what any other does.
class LazyStackNode final : public StackedNode {
public:
    void update(const std::shared_ptr<const ViewContent>& c, const EnvironmentValues& env) override {
        environment = env;
        content_ = c;
        layout_ = contentData<LazyStackNode, LazyStackData>(c).layout;
        // The leading elements made already stay made (a new document starts over); at least the first
        // few are made now.
        made_ = std::max(leadingMade(), LazyVStack::firstMade);
        make();
    }
    void reevaluate() override {
        if (!std::exchange(needsBody, false)) return;
        made_ += LazyVStack::madePerTurn;
        make();
    }

protected:
    bool keysChildrenById() const override { return true; }

private:
    const std::vector<ForEach::Element>& elements() const { return contentData<LazyStackNode, LazyStackData>(content_).elements; }

    // How many elements, from the first, have a node already.
    std::size_t leadingMade() const {
        std::unordered_set<AnyHashable, AnyHashableHash> keys;
        for (const auto& c : children) keys.insert(c->key);
        std::size_t count = 0;
        for (const auto& e : elements()) {
            if (!keys.contains(e.id)) break;
            ++count;
        }
        return count;
    }
    void make() {
        const auto& all = elements();
        // Without a main loop there is no next turn to make the rest in.
        if (!RunLoop::hasMain()) made_ = all.size();
        made_ = std::min(made_, all.size());
        std::vector<ChildSpec> specs;
        specs.reserve(made_);
        for (std::size_t i = 0; i < made_; ++i) specs.push_back({all[i].view, all[i].id});
        reconcileChildren(std::move(specs), environment);
        if (made_ < all.size()) makeMoreNextTurn();
    }
    void makeMoreNextTurn() {
        if (asked_ || !graph) return;
        asked_ = true;
        RunLoop::main().post([alive = aliveFlag(), this] {
            const auto a = alive.lock();
            if (!a || !*a) return;
            asked_ = false;
            if (graph) graph->invalidate(this);
        });
    }

    std::shared_ptr<const ViewContent> content_; // its elements
    std::size_t made_ = 0;
    bool asked_ = false;
};

} // namespace

std::shared_ptr<const ViewContent> LazyVStack::toContent() const {
    return makeView<LazyStackNode, LazyStackData>(
               LazyStackData{{Axis::vertical, spacing_, Alignment{alignment_, VerticalAlignment::center()}}, elements_})
        .content();
}

} // namespace glimmo
