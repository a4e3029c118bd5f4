#include "RidadoziRI/Views/CodeBlockView.h"

#include "RidadoziRI/Views/ListViews.h"
#include "RidadoziRI/Views/TextStyleAttributesReader.h"
#include "RidadoziRI/Views/TrailingLineFeed.h"

namespace ridadozi {

CodeBlockView::CodeBlockView(std::optional<std::string> fenceInfo, std::string content)
    : fenceInfo(std::move(fenceInfo)), content(removingTrailingLineFeed(std::move(content))) {}

glimmo::AnyView CodeBlockView::body() const {
    const glimmo::AnyView code = inTextStyleFont((*_codeSyntaxHighlighter)->highlightedText(content, fenceInfo));
    const glimmo::AnyView label = TextStyleAttributesReader([code](const glimmo::AttributeContainer& attributes) {
        return code.foregroundColor(attributes.value<glimmo::ForegroundColorAttribute>());
    });
    return _codeBlock->body(CodeBlockConfiguration{fenceInfo, content, blockLabel(label)});
}

} // namespace ridadozi
