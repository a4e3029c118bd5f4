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
    // Images have no equality, so any map stored counts as a change and builds the text again; an empty
    // outcome over an empty map (text without images, the usual case) changes nothing.
    if (loaded.bySource.empty() && images->bySource.empty()) co_return;
    images.set(std::move(loaded));
}

} // namespace

namespace {

// The task's identity: the nodes, compared by value.
struct SharedInlines {
    std::shared_ptr<const std::vector<InlineNode>> nodes;
    bool operator==(const SharedInlines& other) const { return nodes == other.nodes || *nodes == *other.nodes; }
};

struct ImageRequest {
    glimmo::URL url;
    std::string source;
    std::string alt;
};

// The children of one load: each image is fetched by a task of its own, concurrently; the first
// failure cancels the others and ends the load.
struct ImageLoadGroup {
    std::vector<glimmo::TaskHandle> children;
    std::size_t pending = 0;
    InlineImages images;
    std::optional<glimmo::Continuation<InlineImages>> done;

    void finish(const std::exception_ptr& error) {
        if (!done || done->isResumed()) return;
        for (const auto& child : children) child.cancel();
        if (error) done->resumeThrowing(error);
        else done->resume(images);
    }
};

glimmo::Task<void> loadOne(std::shared_ptr<ImageLoadGroup> group, std::shared_ptr<const InlineImageProvider> provider,
                           ImageRequest request) {
    std::exception_ptr error;
    try {
        auto load = provider->loadImage(request.url, request.alt);
        glimmo::Image image = co_await std::move(load);
        // Results arrive in completion order; a later one for the same source replaces the earlier.
        group->images.bySource.insert_or_assign(request.source, std::move(image));
    } catch (...) {
        error = std::current_exception();
    }
    if (error) {
        group->finish(error);
    } else if (--group->pending == 0) {
        group->finish(nullptr);
    }
}

} // namespace

glimmo::Task<InlineImages> InlineText::loadInlineImages(std::vector<InlineNode> inlines,
                                                        std::shared_ptr<const InlineImageProvider> provider,
                                                        std::optional<glimmo::URL> imageBaseURL) {
    const auto found = imageData(inlines);
    const std::unordered_set<RawImageData> distinct(found.begin(), found.end());
    std::vector<ImageRequest> requests;
    for (const RawImageData& data : distinct) {
        if (auto url = resolvedURL(data.source, imageBaseURL)) requests.push_back({std::move(*url), data.source, data.alt});
    }
    if (requests.empty()) co_return InlineImages{};

    glimmo::Executor& executor = co_await glimmo::currentExecutor();
    auto group = std::make_shared<ImageLoadGroup>();
    auto all = glimmo::withContinuation<InlineImages>(
        [group, provider, requests, &executor](glimmo::Continuation<InlineImages> done) {
            group->done = done;
            group->pending = requests.size();
            for (const auto& request : requests) group->children.push_back(glimmo::startTask(executor, loadOne(group, provider, request)));
        },
        [group] {
            for (const auto& child : group->children) child.cancel();
            if (group->done) group->done->resumeThrowing(std::make_exception_ptr(glimmo::CancellationError{}));
        });
    InlineImages images;
    try {
        images = co_await std::move(all);
    } catch (const glimmo::CancellationError&) {
        throw;
    } catch (...) {
        // One image that cannot be had hides them all; the text itself is unaffected.
        images = InlineImages{};
    }
    co_return images;
}

glimmo::AnyView InlineText::body() const {
    const Theme& theme = *_theme;
    const InlineTextStyles styles{theme.code, theme.emphasis, theme.strong, theme.strikethrough, theme.link};
    const auto baseURL = *_baseURL;
    const auto images = _inlineImages->bySource;
    const auto mode = *_softBreakMode;
    // One copy of the nodes, shared by the reader, the task and its identity (and every copy of them).
    const SharedInlines nodes{std::make_shared<const std::vector<InlineNode>>(inlines)};
    glimmo::AnyView text = TextStyleAttributesReader([nodes, baseURL, styles, images, mode](const glimmo::AttributeContainer& attributes) {
        return glimmo::AnyView(renderedAsText(*nodes.nodes, baseURL, styles, images, mode, attributes));
    });
    const auto provider = *_inlineImageProvider;
    const auto imageBaseURL = *_imageBaseURL;
    const auto& state = _inlineImages;
    // Without images the load finds nothing, and over an empty map it stores nothing: no task is started
    // (the usual case, one for every paragraph and table cell).
    std::function<glimmo::Task<void>()> load;
    if (!images.empty() || !imageData(*nodes.nodes).empty()) {
        load = [nodes, provider, imageBaseURL, state] { return loadAndStore(*nodes.nodes, provider, imageBaseURL, state); };
    }
    return text.task(glimmo::AnyHashable(nodes), std::move(load), glimmo::View<glimmo::AnyView>::TaskPriority::userInitiated);
}

} // namespace ridadozi
