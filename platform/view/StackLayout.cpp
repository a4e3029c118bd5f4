#include "platform/view/ViewNode.h"

#include <algorithm>
#include <functional>

namespace glimmo {
namespace {

CGFloat along(Axis a, CGSize s) { return a == Axis::horizontal ? s.width : s.height; }
CGFloat across(Axis a, CGSize s) { return a == Axis::horizontal ? s.height : s.width; }
CGSize makeSize(Axis a, CGFloat alongValue, CGFloat acrossValue) {
    return a == Axis::horizontal ? CGSize{alongValue, acrossValue} : CGSize{acrossValue, alongValue};
}
ProposedViewSize makeProposal(Axis a, std::optional<CGFloat> alongValue, std::optional<CGFloat> acrossValue) {
    return a == Axis::horizontal ? ProposedViewSize{alongValue, acrossValue} : ProposedViewSize{acrossValue, alongValue};
}
std::optional<CGFloat> acrossProposal(Axis a, const ProposedViewSize& p) { return a == Axis::horizontal ? p.height : p.width; }
std::optional<CGFloat> alongProposal(Axis a, const ProposedViewSize& p) { return a == Axis::horizontal ? p.width : p.height; }

AlignmentKey crossAlignment(Axis a, const Alignment& alignment) {
    return a == Axis::horizontal ? alignment.vertical.key() : alignment.horizontal.key();
}

bool isLastBaseline(AlignmentKey k) { return k == VerticalAlignment::lastTextBaseline().key(); }

// Sizes the elements along the stack's axis by the rules of the proposal model: spacing first, then
// layout priority groups from highest, inside a group the least flexible element first, each offered an
// equal share of what is left. Fills in what each element was offered and answered.
void distributeAlong(const StackLayout& s, const std::vector<ViewNode*>& elements, const ProposedViewSize& proposal,
                     StackCache::Entry& e) {
    const std::size_t n = elements.size();
    std::vector<ProposedViewSize>& offers = e.offers;
    std::vector<CGSize>& sizes = e.sizes;
    offers.resize(n);
    sizes.resize(n);
    if (n == 0) return;
    const CGFloat spacing = s.spacing.value_or(defaultSpacing) * static_cast<CGFloat>(n - 1);
    const auto alongP = alongProposal(s.axis, proposal);
    const auto acrossP = acrossProposal(s.axis, proposal);
    if (!alongP) {
        for (std::size_t i = 0; i < n; ++i) {
            offers[i] = makeProposal(s.axis, std::nullopt, acrossP);
            sizes[i] = elements[i]->sizeThatFits(offers[i]);
        }
        return;
    }
    std::vector<CGFloat> minimum(n), flexibility(n);
    for (std::size_t i = 0; i < n; ++i) {
        const CGFloat lo = along(s.axis, elements[i]->sizeThatFits(makeProposal(s.axis, 0.0, acrossP)));
        const CGFloat hi = along(s.axis, elements[i]->sizeThatFits(makeProposal(s.axis, infinity, acrossP)));
        minimum[i] = lo;
        flexibility[i] = hi - lo;
    }
    std::vector<double> priorities;
    std::vector<bool> spacers;
    for (auto* e : elements) {
        priorities.push_back(e->layoutPriority());
        spacers.push_back(e->spacerMinLength().has_value());
    }
    std::vector<double> groups = priorities;
    std::sort(groups.begin(), groups.end(), std::greater<>());
    groups.erase(std::unique(groups.begin(), groups.end()), groups.end());

    CGFloat remaining = *alongP - spacing;
    for (const double priority : groups) {
        CGFloat lowerMinimum = 0;
        for (std::size_t i = 0; i < n; ++i) {
            if (priorities[i] < priority) lowerMinimum += minimum[i];
        }
        std::vector<std::size_t> members;
        for (std::size_t i = 0; i < n; ++i) {
            if (priorities[i] == priority) members.push_back(i);
        }
        // Spacers come last and get what the others leave (at least their minimum length), so text
        // beside a spacer keeps its width.
        auto isSpacer = [&](std::size_t i) { return spacers[i]; };
        std::stable_sort(members.begin(), members.end(), [&](std::size_t a, std::size_t b) {
            if (isSpacer(a) != isSpacer(b)) return !isSpacer(a);
            return flexibility[a] < flexibility[b];
        });
        CGFloat available = remaining - lowerMinimum;
        CGFloat spacerReserve = 0;
        std::size_t others = 0;
        for (const std::size_t i : members) {
            if (isSpacer(i)) spacerReserve += minimum[i];
            else ++others;
        }
        std::size_t spacersLeft = members.size() - others;
        for (const std::size_t i : members) {
            CGFloat offer = 0;
            if (!isSpacer(i)) {
                offer = std::max<CGFloat>(0, (available - spacerReserve) / static_cast<CGFloat>(others));
                --others;
            } else {
                offer = std::max<CGFloat>(0, available / static_cast<CGFloat>(spacersLeft));
                spacerReserve -= minimum[i];
                --spacersLeft;
            }
            offers[i] = makeProposal(s.axis, offer, acrossP);
            sizes[i] = elements[i]->sizeThatFits(offers[i]);
            available -= along(s.axis, sizes[i]);
            remaining -= along(s.axis, sizes[i]);
        }
    }
}

} // namespace

StackCache::Entry StackLayout::distribute(const std::vector<ViewNode*>& elements, const ProposedViewSize& proposal) const {
    StackCache::Entry e;
    e.proposal = proposal;
    distributeAlong(*this, elements, proposal, e);
    CGFloat total = spacing.value_or(defaultSpacing) * static_cast<CGFloat>(elements.size() - 1);
    bool first = true;
    for (std::size_t i = 0; i < elements.size(); ++i) {
        total += along(axis, e.sizes[i]);
        const CGFloat value = alignmentValue(elements[i], crossAlignment(axis, alignment), e.sizes[i]);
        const CGFloat before = value, after = across(axis, e.sizes[i]) - value;
        e.before = first ? before : std::max(e.before, before);
        e.after = first ? after : std::max(e.after, after);
        first = false;
    }
    e.size = makeSize(axis, total, e.before + e.after);
    return e;
}

StackCache::Entry& StackLayout::entry(const std::vector<ViewNode*>& elements, const ProposedViewSize& proposal,
                                            StackCache& cache) const {
    for (auto& e : cache.entries) {
        if (e.proposal == proposal) return e;
    }
    cache.entries.push_back(distribute(elements, proposal));
    return cache.entries.back();
}

CGSize StackLayout::sizeThatFits(const std::vector<ViewNode*>& elements, const ProposedViewSize& proposal, StackCache* cache) const {
    if (elements.empty()) return {0, 0};
    if (!cache) return distribute(elements, proposal).size;
    return entry(elements, proposal, *cache).size;
}

void StackLayout::place(const std::vector<ViewNode*>& elements, const CGRect& bounds, const ProposedViewSize& proposal,
                        StackCache* cache) const {
    if (elements.empty()) return;
    StackCache local;
    StackCache& c = cache ? *cache : local;
    // Every child is placed under what it was offered for this proposal, at the size it answered. A
    // copy: placing a child may make the stack forget its cache.
    const StackCache::Entry e = entry(elements, proposal, c);
    // The stack's content is centred on the cross axis when the bounds are larger than it.
    const CGFloat crossStart = (axis == Axis::horizontal ? bounds.minY() : bounds.minX());
    CGFloat position = axis == Axis::horizontal ? bounds.minX() : bounds.minY();
    const CGFloat gap = spacing.value_or(defaultSpacing);
    for (std::size_t i = 0; i < elements.size(); ++i) {
        const CGSize size = e.sizes[i];
        const CGFloat value = alignmentValue(elements[i], crossAlignment(axis, alignment), size);
        const CGFloat crossOffset = crossStart + (e.before - value);
        const CGRect f = axis == Axis::horizontal ? CGRect(position, crossOffset, size.width, size.height)
                                                  : CGRect(crossOffset, position, size.width, size.height);
        elements[i]->place(f, e.offers[i]);
        position += along(axis, size) + gap;
    }
}

std::optional<CGFloat> StackLayout::explicitAlignment(const std::vector<ViewNode*>& elements, AlignmentKey id, CGSize size,
                                                      StackCache* cache) const {
    if (elements.empty()) return std::nullopt;
    StackCache local;
    const StackCache::Entry e = entry(elements, ProposedViewSize::of(size), cache ? *cache : local);
    const bool vertical = !id.horizontal;
    // The element's value moved by its offset inside the stack.
    auto valueAt = [&](std::size_t i) -> std::optional<CGFloat> {
        const auto v = elements[i]->explicitAlignment(id, e.sizes[i]);
        if (!v) return std::nullopt;
        if (vertical == (axis == Axis::vertical)) {
            CGFloat position = 0;
            for (std::size_t j = 0; j < i; ++j) position += along(axis, e.sizes[j]) + spacing.value_or(defaultSpacing);
            return *v + position;
        }
        return *v + e.before - alignmentValue(elements[i], crossAlignment(axis, alignment), e.sizes[i]);
    };
    if (isLastBaseline(id)) {
        for (std::size_t i = elements.size(); i-- > 0;) {
            if (auto v = valueAt(i)) return v;
        }
        return std::nullopt;
    }
    for (std::size_t i = 0; i < elements.size(); ++i) {
        if (auto v = valueAt(i)) return v;
    }
    return std::nullopt;
}

CGSize sizeOfContent(const std::vector<ViewNode*>& elements, const ProposedViewSize& proposal) {
    if (elements.empty()) return {0, 0};
    if (elements.size() == 1) return elements.front()->sizeThatFits(proposal);
    return StackLayout{Axis::vertical, std::nullopt, Alignment::center()}.sizeThatFits(elements, proposal);
}

void placeContent(const std::vector<ViewNode*>& elements, const CGRect& bounds, const ProposedViewSize& proposal) {
    if (elements.size() == 1) {
        elements.front()->place(bounds, proposal);
    } else {
        StackLayout{Axis::vertical, std::nullopt, Alignment::center()}.place(elements, bounds, proposal);
    }
}

std::optional<CGFloat> contentAlignment(const std::vector<ViewNode*>& elements, AlignmentKey id, CGSize size) {
    if (elements.empty()) return std::nullopt;
    if (elements.size() == 1) return elements.front()->explicitAlignment(id, size);
    return StackLayout{Axis::vertical, std::nullopt, Alignment::center()}.explicitAlignment(elements, id, size);
}

CGFloat alignmentValue(ViewNode* element, AlignmentKey key, CGSize size) {
    if (auto v = element->explicitAlignment(key, size)) return *v;
    if (!key.id) return 0;
    // The dimensions last only for this call, so the lookup refers to the size rather than copying it
    // and fits inside the function object without an allocation.
    const auto lookup = [element, &size](AlignmentKey k) { return element->explicitAlignment(k, size); };
    return key.id->defaultValue(ViewDimensions(size, lookup));
}

ViewDimensions dimensionsOf(ViewNode* element, CGSize size) {
    return ViewDimensions(size, [element, size](AlignmentKey key) { return element->explicitAlignment(key, size); });
}

} // namespace glimmo
