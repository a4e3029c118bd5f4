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
    GeometryProxy(CGRect globalFrame, std::function<std::optional<CGRect>(const std::string&)> namedSpace)
        : frame_(globalFrame), named_(std::move(namedSpace)) {}
    CGSize size() const { return frame_.size; }
    // The reader's frame in a coordinate space (a named space that no ancestor declares is global).
    CGRect frame(const CoordinateSpace& space) const;
    // An anchor resolved in the reader's local coordinates.
    CGRect operator[](const Anchor<CGRect>& anchor) const {
        return anchor.value.offsetBy(-frame_.minX(), -frame_.minY());
    }

private:
    CGRect frame_;
    std::function<std::optional<CGRect>(const std::string&)> named_;
};

class GeometryReader : public View<GeometryReader> {
public:
    explicit GeometryReader(std::function<AnyView(const GeometryProxy&)> content) : content_(std::move(content)) {}
    std::shared_ptr<const ViewContent> toContent() const;

private:
    std::function<AnyView(const GeometryProxy&)> content_;
};

} // namespace glimmo
