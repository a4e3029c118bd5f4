#include "RidadoziRI/Views/InlineText.h"

#include "RidadoziRI/Styles/InlineRenderers.h"
#include "RidadoziRI/Views/RawImageData.h"
#include "RidadoziRI/Views/ResolvedURL.h"
#include "RidadoziRI/Views/TextStyleAttributesReader.h"

#include <unordered_set>

namespace ridadozi {

namespace {

glimmo::Task<void> loadAndStore(std::vector<InlineNode> inlines, std::shared_ptr<const InlineImageProvider> provider,
                                std::optional<glimmo::URL> imageBaseURL, glimmo::State<InlineImages> images) {
    auto load = InlineText::loadInlineImages(std::move(inlines), std::move(provider), std::move(imageBaseURL));
    InlineImages loaded = co_await std::move(load);
    images.set(std::move(loaded));
}

} // namespace

glimmo::Task<InlineImages> InlineText::loadInlineImages(std::vector<InlineNode> inlines,
                                                        std::shared_ptr<const InlineImageProvider> provider,
                                                        std::optional<glimmo::URL> imageBaseURL) {
    const auto found = imageData(inlines);
    const std::unordered_set<RawImageData> distinct(found.begin(), found.end());
    InlineImages images;
    try {
        for (const RawImageData& data : distinct) {
            const auto url = resolvedURL(data.source, imageBaseURL);
            if (!url) continue;
            auto request = provider->loadImage(*url, data.alt);
            glimmo::Image image = co_await std::move(request);
            images.bySource.insert_or_assign(data.source, std::move(image));
        }
    } catch (const glimmo::CancellationError&) {
        throw;
    } catch (...) {
        // One image that cannot be had hides them all; the text itself is unaffected.
        images.bySource.clear();
    }
    co_return images;
}

glimmo::AnyView InlineText::body() const {
    const Theme& theme = *_theme;
    const InlineTextStyles styles{theme.code, theme.emphasis, theme.strong, theme.strikethrough, theme.link};
    const auto baseURL = *_baseURL;
    const auto images = _inlineImages->bySource;
    const auto mode = *_softBreakMode;
    const auto nodes = inlines;
    glimmo::AnyView text = TextStyleAttributesReader([nodes, baseURL, styles, images, mode](const glimmo::AttributeContainer& attributes) {
        return glimmo::AnyView(renderedAsText(nodes, baseURL, styles, images, mode, attributes));
    });
    const auto provider = *_inlineImageProvider;
    const auto imageBaseURL = *_imageBaseURL;
    const auto& state = _inlineImages;
    return text.task(
        glimmo::AnyHashable(inlines),
        [nodes, provider, imageBaseURL, state] { return loadAndStore(nodes, provider, imageBaseURL, state); },
        glimmo::View<glimmo::AnyView>::TaskPriority::userInitiated);
}

} // namespace ridadozi
