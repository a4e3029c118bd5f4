#include "RidadoziRI/Views/ImageView.h"

#include "RidadoziRI/Views/ResolvedURL.h"
#include "platform/view/Button.h"

namespace ridadozi {

std::optional<ImageView> ImageView::make(const std::vector<InlineNode>& inlines) {
    if (inlines.size() != 1) return std::nullopt;
    auto found = imageData(inlines.front());
    if (!found) return std::nullopt;
    return ImageView(std::move(*found));
}

glimmo::AnyView ImageView::body() const {
    const auto url = resolvedURL(data.source, *_baseURL);
    const glimmo::AnyView label =
        glimmo::AnyView(LinkModifier(data.destination, _imageProvider->makeImage(url))).accessibilityLabel(data.alt);
    InlineNode image = InlineNode::image(data.source, {InlineNode::text(data.alt)});
    if (data.destination) image = InlineNode::link(*data.destination, {image});
    return _image->body(
        BlockConfiguration{blockLabel(label), MarkdownContent(std::vector<BlockNode>{BlockNode::paragraph({image})})});
}

glimmo::AnyView LinkModifier::body() const {
    if (!destination) return content;
    const auto url = linkURL(*destination, *_baseURL);
    if (!url) return content;
    const auto open = *_openURL;
    const glimmo::URL target = *url;
    return glimmo::Button([open, target] { open(target); }, content).buttonStyle(glimmo::AnyButtonStyle::plain());
}

} // namespace ridadozi
