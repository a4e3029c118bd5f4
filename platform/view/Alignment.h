#pragma once

// Alignment guides. An alignment is an identifier with a default value computed from a view's
// dimensions; views may give explicit values (text baselines, `alignmentGuide`). Custom alignments are
// made from an AlignmentID:
//
//     struct MidAccounts final : AlignmentID { CGFloat defaultValue(const ViewDimensions& d) const override { return d[VerticalAlignment::center()]; } };
//     inline const MidAccounts midAccounts;
//     const VerticalAlignment midAccountsAlignment{&midAccounts};

#include "platform/view/Geometry.h"

#include <functional>
#include <optional>

namespace glimmo {

class ViewDimensions;
class AlignmentID;

// An alignment and the axis it belongs to.
struct AlignmentKey {
    const AlignmentID* id = nullptr;
    bool horizontal = true;
    bool operator==(const AlignmentKey&) const = default;
};

class AlignmentID {
public:
    virtual ~AlignmentID() = default;
    virtual CGFloat defaultValue(const ViewDimensions& d) const = 0;
};

struct HorizontalAlignment {
    const AlignmentID* id = nullptr;
    static HorizontalAlignment leading();
    static HorizontalAlignment center();
    static HorizontalAlignment trailing();
    AlignmentKey key() const { return {id, true}; }
    bool operator==(const HorizontalAlignment&) const = default;
};

struct VerticalAlignment {
    const AlignmentID* id = nullptr;
    static VerticalAlignment top();
    static VerticalAlignment center();
    static VerticalAlignment bottom();
    static VerticalAlignment firstTextBaseline();
    static VerticalAlignment lastTextBaseline();
    AlignmentKey key() const { return {id, false}; }
    bool operator==(const VerticalAlignment&) const = default;
};

struct Alignment {
    HorizontalAlignment horizontal = HorizontalAlignment::center();
    VerticalAlignment vertical = VerticalAlignment::center();
    static Alignment center() { return {}; }
    static Alignment leading() { return {HorizontalAlignment::leading(), VerticalAlignment::center()}; }
    static Alignment trailing() { return {HorizontalAlignment::trailing(), VerticalAlignment::center()}; }
    static Alignment top() { return {HorizontalAlignment::center(), VerticalAlignment::top()}; }
    static Alignment bottom() { return {HorizontalAlignment::center(), VerticalAlignment::bottom()}; }
    static Alignment topLeading() { return {HorizontalAlignment::leading(), VerticalAlignment::top()}; }
    static Alignment topTrailing() { return {HorizontalAlignment::trailing(), VerticalAlignment::top()}; }
    static Alignment bottomLeading() { return {HorizontalAlignment::leading(), VerticalAlignment::bottom()}; }
    static Alignment bottomTrailing() { return {HorizontalAlignment::trailing(), VerticalAlignment::bottom()}; }
    bool operator==(const Alignment&) const = default;
};

// A view's size and its explicit alignment values, as alignment guides and layouts see them.
class ViewDimensions {
public:
    using ExplicitLookup = std::function<std::optional<CGFloat>(AlignmentKey)>;
    ViewDimensions(CGSize size, ExplicitLookup lookup = {}) : size_(size), lookup_(std::move(lookup)) {}

    CGFloat width() const { return size_.width; }
    CGFloat height() const { return size_.height; }
    // The explicit value when the view has one, else the alignment's default.
    CGFloat operator[](HorizontalAlignment a) const { return value(a.key()); }
    CGFloat operator[](VerticalAlignment a) const { return value(a.key()); }
    std::optional<CGFloat> explicitValue(HorizontalAlignment a) const { return lookup_ ? lookup_(a.key()) : std::nullopt; }
    std::optional<CGFloat> explicitValue(VerticalAlignment a) const { return lookup_ ? lookup_(a.key()) : std::nullopt; }

private:
    CGFloat value(AlignmentKey key) const {
        if (lookup_) {
            if (auto v = lookup_(key)) return *v;
        }
        return key.id ? key.id->defaultValue(*this) : 0;
    }
    CGSize size_;
    ExplicitLookup lookup_;
};

} // namespace glimmo
