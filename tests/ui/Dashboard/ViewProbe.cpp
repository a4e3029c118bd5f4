#include "tests/ui/Dashboard/ViewProbe.h"

#include "tests/ui/Gallery/GalleryReference.h"

#include "platform/qt/OffscreenRendering.h"
#include "platform/qt/QtTextMeasurer.h"
#include "platform/view/SymbolTable.h"
#include "platform/view/TextMeasurer.h"
#include "platform/view/ViewHost.h"
#include "platform/view/ViewKit.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <type_traits>

namespace glimmo::testing {

namespace {

// Walks the list keeping the opacity and transform stacks.
template <class Visit>
void walk(const DisplayList& list, Visit&& visit) {
    std::vector<double> opacities{1};
    std::vector<CGAffineTransform> transforms{CGAffineTransform::identity()};
    for (const auto& item : list.items) {
        std::visit(
            [&](const auto& i) {
                using T = std::decay_t<decltype(i)>;
                if constexpr (std::is_same_v<T, PushOpacity>) {
                    opacities.push_back(opacities.back() * i.opacity);
                } else if constexpr (std::is_same_v<T, PopOpacity>) {
                    if (opacities.size() > 1) opacities.pop_back();
                } else if constexpr (std::is_same_v<T, PushTransform>) {
                    transforms.push_back(i.transform.concatenating(transforms.back()));
                } else if constexpr (std::is_same_v<T, PopTransform>) {
                    if (transforms.size() > 1) transforms.pop_back();
                } else {
                    visit(i, opacities.back(), transforms.back());
                }
            },
            item);
    }
}

} // namespace

std::vector<ShownText> shownTexts(const DisplayList& list) {
    std::vector<ShownText> out;
    walk(list, [&out](const auto& item, double opacity, const CGAffineTransform& t) {
        using T = std::decay_t<decltype(item)>;
        if constexpr (std::is_same_v<T, TextItem>) {
            for (const auto& run : item.runs) {
                const CGPoint origin = t.apply(CGPoint{item.origin.x + run.x, item.origin.y});
                out.push_back({run.text, opacity, run.color, run.font,
                               CGRect(origin.x, origin.y, run.width, item.lineHeight)});
            }
        }
    });
    return out;
}

std::optional<ShownText> findText(const DisplayList& list, const std::string& text) {
    for (auto& shown : shownTexts(list)) {
        if (shown.text == text) return shown;
    }
    return std::nullopt;
}

std::string symbolGlyph(const std::string& systemName) {
    const auto glyph = glimmo::symbolGlyph(systemName);
    if (!glyph) throw std::runtime_error("no symbol " + systemName);
    return *glyph;
}

std::vector<ShownFill> shownFills(const DisplayList& list) {
    std::vector<ShownFill> out;
    walk(list, [&out](const auto& item, double opacity, const CGAffineTransform& t) {
        using T = std::decay_t<decltype(item)>;
        if constexpr (std::is_same_v<T, FillItem>) {
            if (const auto* color = std::get_if<RGBA>(&item.paint)) {
                const CGRect r = item.path.boundingRect();
                const CGPoint origin = t.apply(CGPoint{r.minX(), r.minY()});
                out.push_back({CGRect(origin.x, origin.y, r.width(), r.height()), *color, opacity});
            }
        }
    });
    return out;
}

HostedView::HostedView(AnyView root, CGSize size)
    : host_(std::make_unique<ViewHost>(std::move(root), std::make_shared<FixedAdvanceTextMeasurer>())) {
    host_->setSize(size);
    host_->update();
}

HostedView::~HostedView() = default;

const DisplayList& HostedView::displayList() {
    host_->update();
    return host_->displayList();
}

bool HostedView::shows(const std::string& text) { return findText(displayList(), text).has_value(); }

bool HostedView::showsWrapped(const std::string& text) {
    std::string joined;
    for (const auto& run : shownTexts(displayList())) {
        for (const char ch : run.text) {
            if (ch == ' ' || ch == '\n') {
                if (!joined.empty() && joined.back() != ' ') joined += ' ';
            } else {
                joined += ch;
            }
        }
        if (!joined.empty() && joined.back() != ' ') joined += ' ';
    }
    return joined.find(text) != std::string::npos;
}

std::optional<ShownText> HostedView::text(const std::string& text) { return findText(displayList(), text); }

void HostedView::click(CGPoint point) {
    PointerEvent e;
    e.location = point;
    e.kind = PointerEvent::Kind::pressed;
    host_->handlePointer(e);
    e.kind = PointerEvent::Kind::released;
    host_->handlePointer(e);
    host_->update();
}

void HostedView::clickText(const std::string& shown) {
    const auto found = text(shown);
    if (!found) throw std::runtime_error("nothing shows " + shown);
    click(CGPoint{found->frame.midX(), found->frame.midY()});
}

void HostedView::hover(CGPoint point) {
    PointerEvent e;
    e.location = point;
    e.kind = PointerEvent::Kind::moved;
    host_->handlePointer(e);
    host_->update();
}

std::size_t HostedView::bodyEvaluations() {
    host_->update();
    return host_->bodyEvaluationCount();
}

std::optional<std::string> HostedView::tooltipAt(CGPoint point) {
    hover(point);
    const auto tip = host_->tooltip();
    if (!tip) return std::nullopt;
    return tip->text;
}

PixelImage renderToGallery(const AnyView& view, CGFloat width, const std::string& name, const std::function<void()>& settle,
                           std::optional<CGFloat> height, const std::function<void(ViewHost&)>& interact) {
    ViewHost host(view, std::make_shared<QtTextMeasurer>());
    host.setSize({width, height.value_or(2000)});
    host.update();
    settle();
    host.update();
    if (interact) {
        interact(host);
        settle();
        host.update();
    }
    const CGSize fitted = host.sizeThatFits({width, height});
    host.setSize({width, height.value_or(std::ceil(fitted.height))});
    host.update();
    const PixelImage image = renderDisplayList(host.displayList(), 2);
    expectMatchesGallery(image, "ui-gallery", "dashboard-" + name);
    return image;
}

} // namespace glimmo::testing
