#pragma once

// GeometryReader takes all the space it is offered and builds its content from that space's geometry;
// the content is placed at its top-leading corner. The proxy also resolves anchors (captured with
// anchorPreference) into its own coordinates.

#include "platform/view/Preferences.h"
#include "platform/view/View.h"

#include <functional>
#include <optional>
#include <string>

namespace glimmo {

struct CoordinateSpace {
    enum class Kind : std::uint8_t { global, local, named };
    Kind kind = Kind::global;
    std::string name;
    static CoordinateSpace global() { return {}; }
    static CoordinateSpace local() { return {Kind::local, {}}; }
    static CoordinateSpace named(std::string n) { return {Kind::named, std::move(n)}; }
};

class GeometryProxy {
public:
    // `frame` is the reader's frame as laid out, `namedSpace` the frame of a named space in the same
    // coordinates; inside a scroll view, `scrolledBy` answers how far the scroll views move the reader
    // in the window (global frames).
    GeometryProxy(CGRect frame, std::function<std::optional<CGRect>(const std::string&)> namedSpace,
                  std::function<CGPoint()> scrolledBy = {})
        : frame_(frame), named_(std::move(namedSpace)), scrolledBy_(std::move(scrolledBy)) {}
    CGSize size() const { return frame_.size; }
    // The reader's frame in a coordinate space (a named space that no ancestor declares is global).
    CGRect frame(const CoordinateSpace& space) const;
    // An anchor resolved in the reader's local coordinates (an anchor of a view in the same scroll
    // view's content as the reader, or outside every scroll view as it is).
    CGRect operator[](const Anchor<CGRect>& anchor) const {
        return anchor.value.offsetBy(-frame_.minX(), -frame_.minY());
    }

private:
    CGRect global() const;

    CGRect frame_;
    std::function<std::optional<CGRect>(const std::string&)> named_;
    std::function<CGPoint()> scrolledBy_;
};

class GeometryReader : public View<GeometryReader> {
public:
    explicit GeometryReader(std::function<AnyView(const GeometryProxy&)> content) : content_(std::move(content)) {}
    std::shared_ptr<const ViewContent> toContent() const;

private:
    std::function<AnyView(const GeometryProxy&)> content_;
};

} // namespace glimmo
