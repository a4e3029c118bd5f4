#include "RidadoziRI/Views/ListViews.h"

#include "RidadoziRI/Views/BlockNodeView.h"
#include "RidadoziRI/Views/BlockSequence.h"
#include "RidadoziRI/Views/ColumnWidthPreference.h"
#include "RidadoziRI/Views/TextStyleAttributesReader.h"
#include "platform/view/GeometryReader.h"
#include "platform/view/Label.h"
#include "platform/view/Layout.h"

#include <algorithm>

#include <limits>

namespace ridadozi {

namespace {

constexpr glimmo::CGFloat markerGap = 6;

// The marker and the item's first line share their text baseline, so a marker stays beside the
// first line of an item however many blocks follow it.
struct MarkerRowLayout final : glimmo::Layout {
    struct Arrangement {
        glimmo::CGSize marker;
        glimmo::CGSize content;
        glimmo::CGFloat markerY = 0;
        glimmo::CGFloat contentY = 0;
        glimmo::ProposedViewSize contentProposal;
        glimmo::CGSize size() const {
            return {marker.width + markerGap + content.width, std::max(markerY + marker.height, contentY + content.height)};
        }
    };
    static Arrangement arrange(const glimmo::ProposedViewSize& proposal, const glimmo::LayoutSubviews& subviews) {
        Arrangement a;
        const glimmo::ViewDimensions marker = subviews[0].dimensions(glimmo::ProposedViewSize::unspecified());
        a.marker = {marker.width(), marker.height()};
        std::optional<glimmo::CGFloat> width;
        if (proposal.width) width = std::max<glimmo::CGFloat>(0, *proposal.width - a.marker.width - markerGap);
        a.contentProposal = {width, proposal.height};
        const glimmo::ViewDimensions content = subviews[1].dimensions(a.contentProposal);
        a.content = {content.width(), content.height()};
        const glimmo::CGFloat markerBaseline = marker[glimmo::VerticalAlignment::firstTextBaseline()];
        const glimmo::CGFloat contentBaseline = content[glimmo::VerticalAlignment::firstTextBaseline()];
        const glimmo::CGFloat baseline = std::max(markerBaseline, contentBaseline);
        a.markerY = baseline - markerBaseline;
        a.contentY = baseline - contentBaseline;
        return a;
    }
    glimmo::CGSize sizeThatFits(const glimmo::ProposedViewSize& proposal, const glimmo::LayoutSubviews& subviews) const override {
        return arrange(proposal, subviews).size();
    }
    void placeSubviews(const glimmo::CGRect& bounds, const glimmo::ProposedViewSize& proposal,
                       const glimmo::LayoutSubviews& subviews) const override {
        const Arrangement a = arrange(proposal, subviews);
        subviews[0].place({bounds.minX(), bounds.minY() + a.markerY}, glimmo::UnitPoint::topLeading(),
                          glimmo::ProposedViewSize::of(a.marker));
        subviews[1].place({bounds.minX() + a.marker.width + markerGap, bounds.minY() + a.contentY},
                          glimmo::UnitPoint::topLeading(), glimmo::ProposedViewSize::of(a.content));
    }
};

int markerNumber(std::int64_t number) {
    return static_cast<int>(std::clamp<std::int64_t>(number, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

} // namespace

glimmo::AnyView inTextStyleFont(glimmo::AnyView marker) {
    return TextStyleAttributesReader([marker](const glimmo::AttributeContainer& attributes) {
        const auto font = fontProperties(attributes);
        return marker.font(font ? std::optional<glimmo::Font>(fontWithProperties(*font)) : std::nullopt);
    });
}

glimmo::AnyView markerRow(glimmo::AnyView marker, glimmo::AnyView content) {
    return glimmo::LayoutView(MarkerRowLayout{}, {std::move(marker), std::move(content)});
}

glimmo::AnyView insideList(glimmo::AnyView items, int listLevel, bool isTight) {
    return items.environment([listLevel, isTight](glimmo::EnvironmentValues& e) {
        e.set<ListLevelKey>(listLevel + 1);
        e.set<TightSpacingEnabledKey>(isTight);
    });
}

glimmo::AnyView BulletedListView::body() const {
    const glimmo::AnyView label =
        insideList(ListItemSequence{items, 1, *_bulletedListMarker, std::nullopt}, *_listLevel, isTight);
    return _list->body(BlockConfiguration{blockLabel(label),
                                          MarkdownContent(std::vector<BlockNode>{BlockNode::bulletedList(isTight, items)})});
}

glimmo::AnyView NumberedListView::body() const {
    const auto& width = _markerWidth;
    const glimmo::AnyView label =
        insideList(ListItemSequence{items, start, *_numberedListMarker, *_markerWidth}, *_listLevel, isTight)
            .onPreferenceChange<ColumnWidthPreference>([width](const ColumnWidthPreference::Value& widths) {
                const auto column = widths.find(0);
                width.set(column == widths.end() ? std::nullopt : std::optional<glimmo::CGFloat>(column->second));
            });
    return _list->body(BlockConfiguration{
        blockLabel(label), MarkdownContent(std::vector<BlockNode>{BlockNode::numberedList(isTight, start, items)})});
}

glimmo::AnyView ListItemSequence::body() const {
    const auto first = start;
    const auto style = markerStyle;
    const auto width = markerWidth;
    return glimmo::AnyView(BlockSequence<RawListItem>(items, [first, style, width](int position, const RawListItem& item) {
               return glimmo::AnyView(ListItemView(item, numberedListItemNumber(first, static_cast<std::size_t>(position)), style, width));
           }))
        .environment<glimmo::LabelStyleKey>(glimmo::LabelStyle::titleAndIcon);
}

glimmo::AnyView ListItemView::body() const {
    const glimmo::AnyView marker =
        inTextStyleFont(markerStyle.body(ListMarkerConfiguration{*_listLevel, markerNumber(number)}))
            .background(glimmo::AnyView(glimmo::GeometryReader([](const glimmo::GeometryProxy& proxy) {
                return glimmo::AnyView(glimmo::Color::clear())
                    .preference<ColumnWidthPreference>(ColumnWidthPreference::Value{{0, proxy.size().width}});
            })));
    const glimmo::AnyView icon = markerWidth ? marker.frame(*markerWidth, std::nullopt, glimmo::Alignment::trailing()) : marker;
    const glimmo::AnyView row = markerRow(icon, blockSequence(item.children));
    return _listItem->body(BlockConfiguration{blockLabel(row), MarkdownContent(item.children)});
}

} // namespace ridadozi
