#pragma once

// Structural views: nothing, groups, conditional content with separate identities per branch, and
// ForEach over identified data.

#include "platform/view/View.h"

#include <concepts>
#include <cstddef>
#include <functional>
#include <initializer_list>
#include <utility>
#include <vector>

namespace glimmo {

class EmptyView : public View<EmptyView> {
public:
    std::shared_ptr<const ViewContent> toContent() const;
};

// Several views as one; in a stack they are laid out as separate elements.
class Group : public View<Group> {
public:
    Group(std::initializer_list<AnyView> views) : views_(views) {}
    explicit Group(std::vector<AnyView> views) : views_(std::move(views)) {}
    std::shared_ptr<const ViewContent> toContent() const;

private:
    std::vector<AnyView> views_;
};

// The view `content` builds from the environment it finds, built again whenever it is updated: the
// form a view that reads the environment and holds nothing else takes in the render tree, one light
// node rather than a user view's.
AnyView EnvironmentReader(std::function<AnyView(const EnvironmentValues&)> content);

// One of several branches; each branch index is its own identity, so switching branches replaces the
// view and resets its state even when both branches have the same type.
AnyView Branch(std::size_t index, AnyView view);
inline AnyView If(bool condition, AnyView then) { return condition ? Branch(0, std::move(then)) : Branch(1, AnyView(EmptyView())); }
inline AnyView IfElse(bool condition, AnyView then, AnyView otherwise) {
    return condition ? Branch(0, std::move(then)) : Branch(1, std::move(otherwise));
}
// Lazy forms: only the chosen branch is built.
template <class F>
    requires std::invocable<F>
AnyView If(bool condition, F&& then) {
    return condition ? Branch(0, AnyView(then())) : Branch(1, AnyView(EmptyView()));
}
template <class F, class G>
    requires(std::invocable<F> && std::invocable<G>)
AnyView IfElse(bool condition, F&& then, G&& otherwise) {
    return condition ? Branch(0, AnyView(then())) : Branch(1, AnyView(otherwise()));
}

template <class T>
concept Identifiable = requires(const T& v) { AnyHashable(v.id); };

// One view per element of a collection, each identified by its id: moving an element keeps its state,
// a new id is a new view.
class ForEach : public View<ForEach> {
public:
    struct Element {
        AnyHashable id;
        AnyView view;
    };

    template <class Collection, class IdOf, class Build>
        requires std::invocable<Build, const typename Collection::value_type&>
    ForEach(const Collection& data, IdOf idOf, Build build) {
        for (const auto& item : data) elements_.push_back({AnyHashable(idOf(item)), AnyView(build(item))});
    }
    template <class Collection, class Build>
        requires(Identifiable<typename Collection::value_type> && std::invocable<Build, const typename Collection::value_type&>)
    ForEach(const Collection& data, Build build) {
        for (const auto& item : data) elements_.push_back({AnyHashable(item.id), AnyView(build(item))});
    }
    // Over the integers lower..<upper, identified by the integer.
    template <class Build>
    static ForEach range(int lower, int upper, Build build) {
        ForEach f;
        for (int i = lower; i < upper; ++i) f.elements_.push_back({AnyHashable(i), AnyView(build(i))});
        return f;
    }
    explicit ForEach(std::vector<Element> elements) : elements_(std::move(elements)) {}
    std::shared_ptr<const ViewContent> toContent() const;

private:
    ForEach() = default;
    std::vector<Element> elements_;
};

} // namespace glimmo
