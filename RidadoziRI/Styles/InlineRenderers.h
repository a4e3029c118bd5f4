#pragma once

// Inline rendering: the inlines of one paragraph, heading or table cell become one styled Text.
// TextInlineRenderer handles plain text, raw HTML, soft breaks and images itself and has every other
// piece built as an attributed string by AttributedStringInlineRenderer, whose font descriptions are
// resolved into fonts before the piece joins the text.

#include "RidadoziRI/Content/InlineContent.h"
#include "RidadoziRI/Document/InlineNode.h"
#include "RidadoziRI/Styles/TextStyle.h"

#include "platform/foundation/URL.h"
#include "platform/view/AttributedString.h"
#include "platform/view/Image.h"
#include "platform/view/Text.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ridadozi {

// The five text styles the inline nodes use.
struct InlineTextStyles {
    AnyTextStyle code;
    AnyTextStyle emphasis;
    AnyTextStyle strong;
    AnyTextStyle strikethrough;
    AnyTextStyle link;
};

struct AttributedStringInlineRenderer {
    glimmo::AttributedString result;
    std::optional<glimmo::URL> baseURL;
    InlineTextStyles textStyles;
    SoftBreak::Mode softBreakMode = SoftBreak::Mode::space;
    // Applied to every piece appended; changed while a styled node's children render.
    glimmo::AttributeContainer attributes;
    // Set by a line-break tag: the next text loses its leading white space.
    bool shouldSkipNextWhitespace = false;

    AttributedStringInlineRenderer(std::optional<glimmo::URL> baseURL, InlineTextStyles textStyles,
                                   SoftBreak::Mode softBreakMode, glimmo::AttributeContainer attributes);

    void render(const InlineNode& inline_);

private:
    void renderText(std::string text);
    void renderEmphasis(const std::vector<InlineNode>& children);
    void renderStrong(const std::vector<InlineNode>& children);
    void renderStrikethrough(const std::vector<InlineNode>& children);
    void renderLink(const std::string& destination, const std::vector<InlineNode>& children);
    void renderStyled(const AnyTextStyle& style, const std::vector<InlineNode>& children,
                      const std::optional<std::string>& linkDestination);
    void append(std::string text, const glimmo::AttributeContainer& with);
};

struct TextInlineRenderer {
    glimmo::Text result{std::string()};
    std::optional<glimmo::URL> baseURL;
    InlineTextStyles textStyles;
    // Loaded inline images, keyed by the image node's source exactly as written.
    std::map<std::string, glimmo::Image> images;
    SoftBreak::Mode softBreakMode = SoftBreak::Mode::space;
    glimmo::AttributeContainer attributes;
    bool shouldSkipNextWhitespace = false;

    TextInlineRenderer(std::optional<glimmo::URL> baseURL, InlineTextStyles textStyles,
                       std::map<std::string, glimmo::Image> images, SoftBreak::Mode softBreakMode,
                       glimmo::AttributeContainer attributes);

    void render(const InlineNode& inline_);

private:
    void defaultRender(const InlineNode& inline_);
};

// The inlines as one Text, rendered in order through a fresh TextInlineRenderer.
glimmo::Text renderedAsText(const std::vector<InlineNode>& inlines, const std::optional<glimmo::URL>& baseURL,
                            const InlineTextStyles& textStyles, const std::map<std::string, glimmo::Image>& images,
                            SoftBreak::Mode softBreakMode, const glimmo::AttributeContainer& attributes);

} // namespace ridadozi
