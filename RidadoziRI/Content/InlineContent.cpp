#include "RidadoziRI/Content/InlineContent.h"

#include "platform/foundation/URL.h"

namespace ridadozi {

InlineContentComponent::InlineContentComponent(std::string text) : inlines_{InlineNode::text(std::move(text))} {}

InlineContent::InlineContent(std::initializer_list<InlineContentComponent> components) {
    for (const auto& component : components) {
        inlines.insert(inlines.end(), component.inlines().begin(), component.inlines().end());
    }
}

InlineContent Code::inlineContent() const { return InlineContent({InlineNode::code(text)}); }

Emphasis::Emphasis(std::string text) : content({InlineNode::text(std::move(text))}) {}
InlineContent Emphasis::inlineContent() const { return InlineContent({InlineNode::emphasis(content.inlines)}); }

InlineContent Strong::inlineContent() const { return InlineContent({InlineNode::strong(content.inlines)}); }

InlineContent Strikethrough::inlineContent() const {
    return InlineContent({InlineNode::strikethrough(content.inlines)});
}

InlineImage::InlineImage(const glimmo::URL& url) : source(url.absoluteString()) {}
InlineImage::InlineImage(std::string label, const glimmo::URL& url)
    : source(url.absoluteString()), content({InlineNode::text(std::move(label))}) {}
InlineContent InlineImage::inlineContent() const {
    return InlineContent({InlineNode::image(source, content.inlines)});
}

InlineLink::InlineLink(const glimmo::URL& url, InlineContent content)
    : destination(url.absoluteString()), content(std::move(content)) {}
InlineContent InlineLink::inlineContent() const {
    return InlineContent({InlineNode::link(destination, content.inlines)});
}

InlineContent SoftBreak::inlineContent() const { return InlineContent({InlineNode::softBreak()}); }
InlineContent LineBreak::inlineContent() const { return InlineContent({InlineNode::lineBreak()}); }

} // namespace ridadozi
