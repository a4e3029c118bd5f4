#include "platform/view/ViewHost.h"

#include "platform/runtime/RunLoop.h"
#include "platform/view/ViewGraph.h"

namespace glimmo {

struct ViewHost::Impl {
    Impl(AnyView root, std::shared_ptr<const TextMeasurer> measurer) : graph(std::move(root), std::move(measurer)) {}
    ViewGraph graph;
    std::function<void()> needsDisplay;
    // Lets a posted update find out that the host is gone.
    std::shared_ptr<Impl*> alive = std::make_shared<Impl*>(this);
};

ViewHost::ViewHost(AnyView root, std::shared_ptr<const TextMeasurer> measurer)
    : impl_(std::make_unique<Impl>(std::move(root), std::move(measurer))) {
    std::weak_ptr<Impl*> weak = impl_->alive;
    impl_->graph.setScheduler([weak] {
        if (!RunLoop::hasMain()) return;
        RunLoop::main().post([weak] {
            if (auto alive = weak.lock()) (*alive)->graph.update();
        });
    });
    impl_->graph.setDidUpdate([weak] {
        if (auto alive = weak.lock()) {
            if ((*alive)->needsDisplay) (*alive)->needsDisplay();
        }
    });
}

ViewHost::~ViewHost() = default;

void ViewHost::setSize(CGSize size) { impl_->graph.setSize(size); }
CGSize ViewHost::size() const { return impl_->graph.size(); }
CGSize ViewHost::idealSize() { return impl_->graph.sizeThatFits(ProposedViewSize::unspecified()); }
CGSize ViewHost::sizeThatFits(ProposedViewSize proposal) { return impl_->graph.sizeThatFits(proposal); }
void ViewHost::setColorScheme(ColorScheme scheme) {
    impl_->graph.modifyEnvironment([scheme](EnvironmentValues& e) { e.setColorScheme(scheme); });
}
void ViewHost::modifyEnvironment(const std::function<void(EnvironmentValues&)>& change) { impl_->graph.modifyEnvironment(change); }
void ViewHost::setNeedsDisplayHandler(std::function<void()> handler) { impl_->needsDisplay = std::move(handler); }
const DisplayList& ViewHost::displayList() { return impl_->graph.displayList(); }
bool ViewHost::update() { return impl_->graph.update(); }
Transaction ViewHost::lastTransaction() const { return impl_->graph.lastTransaction; }
std::size_t ViewHost::bodyEvaluationCount() const { return impl_->graph.bodyEvaluations; }
bool ViewHost::handlePointer(const PointerEvent& event) { return impl_->graph.handlePointer(event); }
bool ViewHost::handleWheel(const WheelEvent& event) { return impl_->graph.handleWheel(event); }
bool ViewHost::handleKey(const KeyEvent& event) { return impl_->graph.handleKey(event); }
std::optional<Tooltip> ViewHost::tooltip() const { return impl_->graph.tooltip(); }
CursorShape ViewHost::cursor() const { return impl_->graph.cursor(); }
ViewGraph& ViewHost::graph() { return impl_->graph; }

namespace {
void collectLabelled(ViewNode* node, std::vector<LabelledViewElement>& out) {
    if (auto label = node->accessibilityLabel()) out.push_back({*label, node->inWindow(node->elementsFrame())});
    for (auto& c : node->children) collectLabelled(c.get(), out);
}
} // namespace

std::vector<LabelledViewElement> ViewHost::accessibilityElements() {
    impl_->graph.displayList();
    std::vector<LabelledViewElement> out;
    if (impl_->graph.root()) collectLabelled(impl_->graph.root(), out);
    for (ViewNode* layer : impl_->graph.presentedLayers()) collectLabelled(layer, out);
    return out;
}

} // namespace glimmo
