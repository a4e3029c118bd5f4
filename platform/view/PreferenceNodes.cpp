#include "platform/view/NodeSupport.h"
#include "platform/view/ViewGraph.h"

namespace glimmo {
namespace {

struct WriterParams {
    std::function<void(PreferenceValues&, const CGRect&)> write;
    bool readsBounds = false;
};

class PreferenceWriterNode final : public ModifierNode<PreferenceWriterNode, WriterParams> {
protected:
    bool handlesPreferences() const override { return true; }
    bool preferencesReadFrame() const override { return params.readsBounds; }
    void collectPreferences(PreferenceValues& out) override {
        SingleChildNode::collectPreferences(out);
        params.write(out, params.readsBounds ? elementsFrame() : CGRect{});
    }
};

struct ReaderParams {
    std::type_index key = typeid(void);
    std::function<bool(const PreferenceValues&, const PreferenceValues&)> differs;
    std::function<void(const PreferenceValues&)> action;
};

class PreferenceReaderNode final : public ModifierNode<PreferenceReaderNode, ReaderParams> {
protected:
    bool handlesPreferences() const override { return true; }
    void collectPreferences(PreferenceValues& out) override {
        PreferenceValues values;
        SingleChildNode::collectPreferences(values);
        out.merge(values);
        // Before placement a value made from where views go, or only by views built when placed, is not
        // known yet: it is read once it is. What such views add to a value others set is not known
        // either: the reader acts on what is known when that changed, and after placement when the whole
        // value differs from what it last acted on (a list's block margins are so set before anything
        // is placed, though its markers are measured by views built when placed).
        const bool beforePlacement = graph && graph->gatheringBeforePlacement();
        if (beforePlacement && !values.knownBeforePlacement(params.key)) return;
        std::optional<PreferenceValues>& seen = beforePlacement ? knownBeforePlacement_ : last_;
        // The first value counts as a change, so the action always sees the initial value.
        const bool changed = !seen || params.differs(*seen, values);
        if (beforePlacement) seen = values;
        if (changed && graph && (!beforePlacement || !last_ || params.differs(*last_, values))) {
            auto action = [action = params.action, values] { action(values); };
            if (beforePlacement) graph->runBeforePlacement(std::move(action));
            else graph->enqueueAction(std::move(action));
        }
        if (changed || !beforePlacement) last_ = std::move(values);
    }

private:
    std::optional<PreferenceValues> last_;                // the value it last acted on, or saw unchanged
    std::optional<PreferenceValues> knownBeforePlacement_; // what was known of it before the last placement
};

struct PreferenceLayerParams {
    AnyView primary;
    std::function<AnyView(const PreferenceValues&)> build;
    bool overlay;
};

// A layer built from the preferences of the primary view, after the primary view is laid out.
class PreferenceLayerNode final : public PrimaryLayerNode {
public:
    void update(const std::shared_ptr<const ViewContent>& c, const EnvironmentValues& env) override {
        environment = env;
        params_ = contentData<PreferenceLayerNode, PreferenceLayerParams>(c);
        if (children.empty()) {
            children.push_back(makeNode(params_.primary, this, primaryKey(), env));
            childrenDidChange();
        } else if (children[0]->kind() == params_.primary.content()->kind()) {
            children[0]->update(params_.primary.content(), env);
            children[0]->invalidateLayout();
        } else {
            unmountSubtree(*children[0]);
            children[0] = makeNode(params_.primary, this, primaryKey(), env);
            childrenDidChange();
        }
        // The layer is built again at the next placement, with the new builder.
    }
    void render(RenderContext& ctx) override {
        if (params_.overlay) {
            children[0]->draw(ctx);
            if (children.size() > 1) children[1]->draw(ctx);
        } else {
            if (children.size() > 1) children[1]->draw(ctx);
            children[0]->draw(ctx);
        }
    }
    ViewNode* hitTest(CGPoint p, HitPurpose purpose) override {
        ViewNode* layer = children.size() > 1 ? children[1].get() : nullptr;
        if (params_.overlay && layer) {
            if (ViewNode* hit = layer->hitTest(p, purpose)) return hit;
        }
        if (ViewNode* hit = children[0]->hitTest(p, purpose)) return hit;
        if (!params_.overlay && layer) return layer->hitTest(p, purpose);
        return nullptr;
    }

protected:
    void collectPreferences(PreferenceValues& out) override { out.merge(children[0]->preferences()); }
    bool mergesChildrenPreferences() const override { return false; } // the layer's are not merged
    // The layer is built from the primary view's preferences: a change there builds it again.
    void descendantChanged(ViewNode* child) override {
        if (!children.empty() && child == children[0].get() && !isPlacing()) invalidatePlacement();
    }
    void placeChildren() override {
        placeContent(primary(), frame, placedProposal);
        const AnyView layer = params_.build(children[0]->preferences());
        // The layer does not change this node's size, so its changes stop here.
        buildDuringPlacement([&] {
            if (children.size() < 2) {
                children.push_back(makeNode(layer, this, AnyHashable(1), environment));
                childrenDidChange();
            } else if (children[1]->kind() == layer.content()->kind()) {
                children[1]->update(layer.content(), environment);
                children[1]->invalidateLayout();
            } else {
                unmountSubtree(*children[1]);
                children[1] = makeNode(layer, this, AnyHashable(1), environment);
                childrenDidChange();
            }
        });
        std::vector<ViewNode*> elements;
        children[1]->collectElements(elements);
        const ProposedViewSize proposal = ProposedViewSize::of(frame.size);
        const CGSize s = sizeOfContent(elements, proposal);
        placeContent(elements, CGRect(frame.midX() - s.width / 2, frame.midY() - s.height / 2, s.width, s.height), proposal);
    }

private:
    PreferenceLayerParams params_;
};

} // namespace

namespace modifiers {
AnyView preferenceWriter(AnyView v, std::function<void(PreferenceValues&, const CGRect&)> write, bool readsBounds) {
    return modify<PreferenceWriterNode>(std::move(v), WriterParams{std::move(write), readsBounds});
}
AnyView preferenceReader(AnyView v, std::type_index key, std::function<bool(const PreferenceValues&, const PreferenceValues&)> differs,
                         std::function<void(const PreferenceValues&)> action) {
    return modify<PreferenceReaderNode>(std::move(v), ReaderParams{key, std::move(differs), std::move(action)});
}
AnyView preferenceLayer(AnyView v, std::function<AnyView(const PreferenceValues&)> build, bool overlay) {
    return makeView<PreferenceLayerNode, PreferenceLayerParams>(PreferenceLayerParams{std::move(v), std::move(build), overlay});
}
} // namespace modifiers

} // namespace glimmo
