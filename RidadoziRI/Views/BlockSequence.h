#pragma once

// Every run of blocks (a document, a quote's children, a list's items, an item's blocks) stacks its
// elements with no spacing of its own: the gap above an element is the larger of its top margin and
// its predecessor's bottom margin (0 for the predecessor inside a tight list), as the elements reported
// them through BlockMarginsPreference.

#include "RidadoziRI/Views/BlockMargin.h"
#include "RidadoziRI/Views/Indexed.h"
#include "RidadoziRI/Views/MarkdownEnvironment.h"
#include "platform/view/Preferences.h"
#include "platform/view/Stacks.h"
#include "platform/view/Structure.h"

#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace ridadozi {

template <class Element>
struct BlockSequence {
    glimmo::Environment<glimmo::TextAlignment> _textAlignment =
        glimmo::Environment<glimmo::TextAlignment>::key<glimmo::MultilineTextAlignmentKey>();
    glimmo::Environment<bool> _tightSpacingEnabled = environmentValue<TightSpacingEnabledKey>();
    // Margins reported by the elements, under the hash of their indexed pair; never pruned.
    glimmo::State<std::map<std::size_t, BlockMargin>> _blockMargins;
    std::vector<Indexed<Element>> data;
    std::function<glimmo::AnyView(int, const Element&)> content;
    // A document's own sequence makes its blocks a few at a time (LazyVStack): a long document shows
    // its beginning in its first frame and the rest in the frames after it.
    bool madeFromTheTop = false;

    template <class Collection>
    BlockSequence(const Collection& elements, std::function<glimmo::AnyView(int, const Element&)> content, bool madeFromTheTop = false)
        : data(indexed(elements)), content(std::move(content)), madeFromTheTop(madeFromTheTop) {}

    glimmo::AnyView body() const {
        glimmo::HorizontalAlignment alignment = glimmo::HorizontalAlignment::leading();
        if (*_textAlignment == glimmo::TextAlignment::center) alignment = glimmo::HorizontalAlignment::center();
        if (*_textAlignment == glimmo::TextAlignment::trailing) alignment = glimmo::HorizontalAlignment::trailing();

        std::vector<glimmo::ForEach::Element> children;
        children.reserve(data.size());
        for (const auto& element : data) {
            const std::size_t key = std::hash<Indexed<Element>>{}(element);
            const auto& margins = _blockMargins;
            glimmo::AnyView child =
                content(element.index, element.value)
                    .template onPreferenceChange<BlockMarginsPreference>([margins, key](const BlockMargin& margin) {
                        const auto found = margins->find(key);
                        if (found != margins->end() && found->second == margin) return;
                        margins.modify([&](auto& stored) { stored[key] = margin; });
                    })
                    .padding(glimmo::EdgeSet::top(), topPadding(element));
            children.push_back({glimmo::AnyHashable(element), std::move(child)});
        }
        if (madeFromTheTop) return glimmo::LazyVStack(alignment, 0, std::move(children));
        return glimmo::VStack(alignment, 0, {glimmo::AnyView(glimmo::ForEach(std::move(children)))});
    }

    // Absent when neither side is known: the platform's default padding then applies.
    std::optional<glimmo::CGFloat> topPadding(const Indexed<Element>& element) const {
        if (element.index <= 0) return 0.0;
        const auto top = storedMargin(element).top;
        const auto bottom = *_tightSpacingEnabled
                                ? std::optional<glimmo::CGFloat>(0.0)
                                : storedMargin(data[static_cast<std::size_t>(element.index - 1)]).bottom;
        return largestPresent(top, bottom);
    }

private:
    BlockMargin storedMargin(const Indexed<Element>& element) const {
        const auto found = _blockMargins->find(std::hash<Indexed<Element>>{}(element));
        return found == _blockMargins->end() ? BlockMargin{} : found->second;
    }
};

} // namespace ridadozi
