#pragma once

// Stacks, spacers and dividers.

#include "platform/view/Structure.h"
#include "platform/view/View.h"

#include <cstddef>
#include <initializer_list>
#include <optional>
#include <vector>

namespace glimmo {

// Children side by side, aligned on `alignment`, `spacing` apart (the platform default, 8, when none
// is given). Space goes to the least flexible child first, by layout priority.
class HStack : public View<HStack> {
public:
    HStack(std::initializer_list<AnyView> children) : children_(children) {}
    HStack(VerticalAlignment alignment, std::optional<CGFloat> spacing, std::initializer_list<AnyView> children)
        : alignment_(alignment), spacing_(spacing), children_(children) {}
    HStack(VerticalAlignment alignment, std::optional<CGFloat> spacing, std::vector<AnyView> children)
        : alignment_(alignment), spacing_(spacing), children_(std::move(children)) {}
    std::shared_ptr<const ViewContent> toContent() const;

private:
    VerticalAlignment alignment_ = VerticalAlignment::center();
    std::optional<CGFloat> spacing_;
    std::vector<AnyView> children_;
};

class VStack : public View<VStack> {
public:
    VStack(std::initializer_list<AnyView> children) : children_(children) {}
    VStack(HorizontalAlignment alignment, std::optional<CGFloat> spacing, std::initializer_list<AnyView> children)
        : alignment_(alignment), spacing_(spacing), children_(children) {}
    VStack(HorizontalAlignment alignment, std::optional<CGFloat> spacing, std::vector<AnyView> children)
        : alignment_(alignment), spacing_(spacing), children_(std::move(children)) {}
    std::shared_ptr<const ViewContent> toContent() const;

private:
    HorizontalAlignment alignment_ = HorizontalAlignment::center();
    std::optional<CGFloat> spacing_;
    std::vector<AnyView> children_;
};

// A vertical stack of the elements of a ForEach that makes them a few at a time, from the top: the
// first ones in the update that shows it, more in each turn of the main loop after that, until all
// are made, and then it is the VStack of them all. A long document shows its beginning in its first
// frame, where making and laying out all of it would hold the window; the rest follows within a few
// frames. Elements it has made stay made while their ids stay. Without a main loop it makes them all
// at once.
class LazyVStack : public View<LazyVStack> {
public:
    // Made in the update that shows the stack, and then in each turn after it.
    static constexpr std::size_t firstMade = 16;
    static constexpr std::size_t madePerTurn = 16;

    LazyVStack(HorizontalAlignment alignment, std::optional<CGFloat> spacing, std::vector<ForEach::Element> elements)
        : alignment_(alignment), spacing_(spacing), elements_(std::move(elements)) {}
    std::shared_ptr<const ViewContent> toContent() const;

private:
    HorizontalAlignment alignment_;
    std::optional<CGFloat> spacing_;
    std::vector<ForEach::Element> elements_;
};

// Children on top of each other (later ones in front), aligned by `alignment`.
class ZStack : public View<ZStack> {
public:
    ZStack(std::initializer_list<AnyView> children) : children_(children) {}
    ZStack(Alignment alignment, std::initializer_list<AnyView> children) : alignment_(alignment), children_(children) {}
    ZStack(Alignment alignment, std::vector<AnyView> children) : alignment_(alignment), children_(std::move(children)) {}
    std::shared_ptr<const ViewContent> toContent() const;

private:
    Alignment alignment_;
    std::vector<AnyView> children_;
};

// Flexible space along the axis of the enclosing stack (both axes elsewhere), at least `minLength`
// (the default spacing, 8, when none is given).
class Spacer : public View<Spacer> {
public:
    Spacer() = default;
    explicit Spacer(std::optional<CGFloat> minLength) : minLength_(minLength) {}
    std::shared_ptr<const ViewContent> toContent() const;

private:
    std::optional<CGFloat> minLength_;
};

// A 1-point separator line across the enclosing stack's axis (horizontal outside stacks).
class Divider : public View<Divider> {
public:
    std::shared_ptr<const ViewContent> toContent() const;
};

} // namespace glimmo
