#include "platform/view/NodeSupport.h"
#include "platform/view/Structure.h"
#include "platform/view/ViewGraph.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>

namespace glimmo {
namespace {

// Nothing: contributes no element.
class EmptyNode final : public ViewNode {
public:
    void update(const std::shared_ptr<const ViewContent>&, const EnvironmentValues& env) override {
        environment = env;
    }
    void collectElements(std::vector<ViewNode*>&) override {}
    bool isLayoutElement() const override { return false; }

protected:
    CGSize computeSize(const ProposedViewSize&) override { return {0, 0}; }
};
struct EmptyData {};

class GroupNode final : public TransparentNode {
public:
    void update(const std::shared_ptr<const ViewContent>& c, const EnvironmentValues& env) override {
        environment = env;
        const auto& views = contentData<GroupNode, std::vector<AnyView>>(c);
        std::vector<ChildSpec> specs;
        specs.reserve(views.size());
        for (std::size_t i = 0; i < views.size(); ++i) specs.push_back({views[i], AnyHashable(i)});
        reconcileChildren(std::move(specs), env);
    }
};

struct BranchData {
    std::size_t index;
    AnyView view;
};

class BranchNode final : public TransparentNode {
public:
    void update(const std::shared_ptr<const ViewContent>& c, const EnvironmentValues& env) override {
        environment = env;
        const auto& data = contentData<BranchNode, BranchData>(c);
        reconcileChildren({ChildSpec{data.view, AnyHashable(data.index)}}, env);
    }
};

using EnvironmentRead = std::function<AnyView(const EnvironmentValues&)>;

class EnvironmentReaderNode final : public TransparentNode {
public:
    void update(const std::shared_ptr<const ViewContent>& c, const EnvironmentValues& env) override {
        environment = env;
        const auto& read = contentData<EnvironmentReaderNode, EnvironmentRead>(c);
        if (graph) ++graph->bodyEvaluations; // counted as the user view it stands for would be
        reconcileSingleChild(read(env), env);
    }
};

// An element with an explicit id: a new id is a new identity.
class IdNode final : public TransparentNode {
public:
    void update(const std::shared_ptr<const ViewContent>& c, const EnvironmentValues& env) override {
        environment = env;
        const auto& data = contentData<IdNode, ForEach::Element>(c);
        id_ = data.id;
        reconcileChildren({ChildSpec{data.view, data.id}}, env);
    }
    const AnyHashable* explicitId() const override { return &id_; }

private:
    AnyHashable id_;
};

class ForEachNode final : public TransparentNode {
public:
    void update(const std::shared_ptr<const ViewContent>& c, const EnvironmentValues& env) override {
        environment = env;
        const auto& elements = contentData<ForEachNode, std::vector<ForEach::Element>>(c);
        std::vector<ChildSpec> specs;
        specs.reserve(elements.size());
        // Each element's view is matched by its id directly: the id is its node's key, with no node of
        // its own around it.
        for (const auto& e : elements) specs.push_back({e.view, e.id});
        reconcileChildren(std::move(specs), env);
    }

protected:
    bool keysChildrenById() const override { return true; }
};

// A user view: its installed copy, its properties' storage and its body.
class CompositeNode final : public TransparentNode, public detail::PropertyHost {
public:
    CompositeNode() = default;
    ~CompositeNode() override { forgetInvalidator(); }

    void update(const std::shared_ptr<const ViewContent>& c, const EnvironmentValues& env) override {
        const auto& next = static_cast<const CompositeContentBase&>(*c);
        const bool environmentChanged = !installed_ || !environment.sameAs(env);
        const bool sameInputs = installed_ && installed_->hasSameInputs(next);
        environment = env;
        if (sameInputs && !environmentChanged && !needsBody) return;
        if (!sameInputs) install(next);
        evaluate();
    }
    void reevaluate() override {
        if (needsBody && installed_) evaluate();
    }
    std::type_index kind() const override { return kind_; }

    std::shared_ptr<void>& slot(std::size_t key) override { return storage().slots[key]; }
    void keepSubscription(std::size_t key, Subscription subscription) override {
        storage().subscriptions[key] = std::move(subscription);
    }
    // Made when a property first asks for it: views that only read the environment never do.
    std::weak_ptr<detail::Invalidator> invalidator() override {
        auto& made = storage().invalidator;
        if (!made) {
            made = std::make_shared<NodeInvalidator>();
            made->node = unmounted_ ? nullptr : this;
        }
        return made;
    }
    const EnvironmentValues& environmentValues() const override { return environment; }

    void willUnmount() override {
        if (storage_) storage_->subscriptions.clear();
        unmounted_ = true;
        forgetInvalidator();
    }

private:
    void install(const CompositeContentBase& next) {
        // One list for every install on the thread: a copy never installs another while it is made.
        thread_local std::vector<detail::DynamicProperty*> found;
        found.clear();
        std::unique_ptr<CompositeContentBase> copy;
        {
            const detail::InstallScope scope(found);
            copy = next.cloneForInstall();
        }
        // The properties of the view itself, not of views it holds, in a block of their own size.
        const auto* base = static_cast<const char*>(copy->viewAddress());
        const auto inView = [&](const detail::DynamicProperty* p) {
            const auto* at = reinterpret_cast<const char*>(p);
            return at >= base && at < base + copy->viewSize();
        };
        const auto count = static_cast<std::uint32_t>(std::count_if(found.begin(), found.end(), inView));
        properties_ = count == 0 ? nullptr : std::make_unique<Property[]>(count);
        propertyCount_ = 0;
        for (auto* p : found) {
            if (!inView(p)) continue;
            const auto offset = static_cast<std::size_t>(reinterpret_cast<const char*>(p) - base);
            p->install(*this, offset);
            properties_[propertyCount_++] = {p, offset};
        }
        installed_ = std::move(copy);
        kind_ = installed_->kind();
    }

    void evaluate() {
        needsBody = false;
        for (std::uint32_t i = 0; i < propertyCount_; ++i) properties_[i].first->refresh(*this, properties_[i].second);
        if (graph) ++graph->bodyEvaluations;
        const AnyView body = installed_->evaluateBody();
        reconcileSingleChild(body, environment);
        // A view without state, subscriptions or an invalidator is evaluated again only when its parent
        // hands it a new copy, and one without == never finds that copy equal to this one: nothing reads
        // this copy again, nor what it holds (often the whole description of the views below it).
        if (!storage_ && !installed_->comparesInputs()) {
            installed_.reset();
            properties_.reset();
            propertyCount_ = 0;
        }
    }

    void forgetInvalidator() {
        if (storage_ && storage_->invalidator) storage_->invalidator->node = nullptr;
    }

    // The node's copy of its view, kept while something may evaluate its body again or compare it.
    std::unique_ptr<CompositeContentBase> installed_;
    std::type_index kind_ = typeid(void);
    // Its properties and their offsets in the installed view.
    using Property = std::pair<detail::DynamicProperty*, std::size_t>;
    std::unique_ptr<Property[]> properties_;
    std::uint32_t propertyCount_ = 0;
    bool unmounted_ = false;
    // State, subscriptions by property and the invalidator, made for the views that have any.
    struct Storage {
        std::unordered_map<std::size_t, std::shared_ptr<void>> slots;
        std::unordered_map<std::size_t, Subscription> subscriptions;
        std::shared_ptr<NodeInvalidator> invalidator;
    };
    Storage& storage() {
        if (!storage_) storage_ = std::make_unique<Storage>();
        return *storage_;
    }
    std::unique_ptr<Storage> storage_;
};

const bool compositeRegistered = registerNodeKind(typeid(CompositeNode));

} // namespace

void NodeInvalidator::invalidate() {
    if (node && node->graph) node->graph->invalidate(node);
}

std::unique_ptr<ViewNode> CompositeContentBase::makeNode(const std::shared_ptr<const ViewContent>&) const {
    (void)compositeRegistered;
    return std::make_unique<CompositeNode>();
}

AnyView::AnyView() : content_(EmptyView().toContent()) {}

std::shared_ptr<const ViewContent> EmptyView::toContent() const {
    static const auto shared = std::make_shared<const SimpleContent<EmptyNode, EmptyData>>(EmptyData{});
    return shared;
}

std::shared_ptr<const ViewContent> Group::toContent() const {
    return makeView<GroupNode, std::vector<AnyView>>(views_).content();
}

std::shared_ptr<const ViewContent> ForEach::toContent() const {
    return makeView<ForEachNode, std::vector<Element>>(elements_).content();
}

AnyView EnvironmentReader(EnvironmentRead content) {
    return makeView<EnvironmentReaderNode, EnvironmentRead>(std::move(content));
}

AnyView Branch(std::size_t index, AnyView view) { return makeView<BranchNode, BranchData>(BranchData{index, std::move(view)}); }

namespace modifiers {
AnyView id(AnyView v, AnyHashable id) { return makeView<IdNode, ForEach::Element>(ForEach::Element{std::move(id), std::move(v)}); }
AnyView equatable(AnyView v) { return v; }
} // namespace modifiers

} // namespace glimmo
