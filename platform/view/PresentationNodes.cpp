#include "platform/view/Presentation.h"

#include "platform/view/NodeSupport.h"
#include "platform/view/ViewGraph.h"

#include <algorithm>

namespace glimmo {
namespace {

struct PresentationParams {
    std::optional<AnyView> layer;
    PresentationPlacement placement = PresentationPlacement::belowAnchor;
    std::function<void()> dismiss;
};

constexpr CGFloat gapBelowAnchor = 2;

// The layer's key among the presenting node's children: known from the moment the layer is made.
const AnyHashable& layerKey() {
    static const AnyHashable key(std::string("presented layer"));
    return key;
}

// Lays its content out as usual and keeps the presented layer outside its children, so the tree's
// drawing, layout and hit testing never meet it; the graph draws and hit-tests it after the root.
class PresentationNode final : public ModifierNode<PresentationNode, PresentationParams>, public Presenter {
public:
    ~PresentationNode() override {
        if (graph) graph->removePresenter(this);
    }
    ViewNode* presentedLayer() const override { return layer_.get(); }
    void placeLayer(CGSize window) override {
        if (!layer_) return;
        if (params.placement == PresentationPlacement::window) {
            layer_->sizeThatFits(ProposedViewSize::of(window));
            layer_->place(CGRect(0, 0, window.width, window.height), ProposedViewSize::of(window));
            return;
        }
        const CGSize size = layer_->sizeThatFits(ProposedViewSize::unspecified());
        const CGRect anchor = inWindow(elementsFrame());
        CGFloat y = anchor.maxY() + gapBelowAnchor;
        if (y + size.height > window.height && anchor.minY() - gapBelowAnchor - size.height >= 0) {
            y = anchor.minY() - gapBelowAnchor - size.height;
        }
        const CGFloat x = std::max<CGFloat>(0, std::min(anchor.minX(), window.width - size.width));
        layer_->place(CGRect(x, y, size.width, size.height), ProposedViewSize::unspecified());
    }
    bool clickedOutside() override {
        if (!params.dismiss) return false;
        params.dismiss();
        return true;
    }
    void willUnmount() override {
        closeLayer();
        if (graph) graph->removePresenter(this);
    }

protected:
    void didUpdate() override {
        if (!params.layer) {
            closeLayer();
            return;
        }
        const AnyView& view = *params.layer;
        if (layer_ && layer_->kind() == view.content()->kind()) {
            layer_->update(view.content(), environment);
            layer_->invalidateLayout();
        } else {
            closeLayer();
            layer_ = makeNode(view, this, layerKey(), environment);
            // Not drawn yet: the display list is drawn again with it.
            layer_->invalidateDisplay();
            fadeInIfAnimated(*layer_);
        }
        if (graph) graph->addPresenter(this);
    }

protected:
    bool presentsAsLayer(const ViewNode& child) const override { return child.key == layerKey(); }

private:
    void closeLayer() {
        if (!layer_) return;
        unmountSubtree(*layer_);
        layer_.reset();
        if (graph) graph->removePresenter(this);
    }
    std::unique_ptr<ViewNode> layer_;
};

} // namespace

AnyView presentation(AnyView anchor, std::optional<AnyView> layer, PresentationPlacement placement, std::function<void()> dismiss) {
    return modify<PresentationNode>(std::move(anchor), PresentationParams{std::move(layer), placement, std::move(dismiss)});
}

} // namespace glimmo
