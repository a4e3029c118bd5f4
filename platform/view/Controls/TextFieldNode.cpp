#include "platform/view/Controls/TextField.h"

#include "platform/view/Controls/ControlParts.h"

#include "platform/view/NodeSupport.h"
#include "platform/view/TextLayout.h"
#include "platform/view/ViewGraph.h"

#include <algorithm>
#include <cmath>

namespace glimmo {
namespace {

struct TextFieldData {
    std::string placeholder;
    Binding<std::string> text;
    Axis axis;
    std::optional<TextFieldStyle> style;
    std::optional<TextFieldLineRange> lineRange;
    std::shared_ptr<const std::function<void()>> submit;
    std::shared_ptr<const Binding<bool>> focusBinding;
};

std::size_t previousCodePoint(const std::string& s, std::size_t at) {
    if (at == 0) return 0;
    std::size_t i = at - 1;
    while (i > 0 && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) --i;
    return i;
}

std::size_t nextCodePoint(const std::string& s, std::size_t at) {
    if (at >= s.size()) return s.size();
    std::size_t i = at + 1;
    while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) ++i;
    return i;
}

class TextFieldNode final : public ViewNode {
public:
    void update(const std::shared_ptr<const ViewContent>& c, const EnvironmentValues& env) override {
        content_ = c;
        environment = env;
        // The binding now holds every edit made before this update.
        edited_.reset();
        cursor_ = std::min(cursor_, text().size());
        invalidateLayout();
        followFocusBinding();
    }
    bool isHitTestable() const override { return true; }
    ViewNode* hitTest(CGPoint p, HitPurpose purpose) override {
        return purpose == HitPurpose::pointer && frame.contains(p) ? this : nullptr;
    }
    bool acceptsFocus() const override { return environment.isEnabled(); }
    void setFocused(bool focused) override {
        focused_ = focused;
        if (focused) cursor_ = text().size();
        if (const auto& binding = data().focusBinding; binding && binding->get() != focused) binding->set(focused);
        redraw();
    }
    bool handlePointer(const PointerEvent& e) override {
        return environment.isEnabled() && e.button == MouseButton::left && e.kind == PointerEvent::Kind::pressed;
    }
    bool handleKey(const KeyEvent& e) override {
        if (!environment.isEnabled()) return false;
        std::string value = text();
        cursor_ = std::min(cursor_, value.size());
        const bool vertical = data().axis == Axis::vertical;
        if (e.key == "Return") {
            if (vertical && e.modifiers.contains(EventModifiers::option())) return insert(value, "\n");
            const auto submit = data().submit ? data().submit : environment.get<SubmitActionKey>();
            if (submit && *submit) (*submit)();
            return true;
        }
        if (e.key == "Backspace") {
            if (cursor_ == 0) return true;
            const std::size_t from = previousCodePoint(value, cursor_);
            value.erase(from, cursor_ - from);
            cursor_ = from;
            return write(value);
        }
        if (e.key == "Delete") {
            if (cursor_ >= value.size()) return true;
            value.erase(cursor_, nextCodePoint(value, cursor_) - cursor_);
            return write(value);
        }
        if (e.key == "Left" || e.key == "Right" || e.key == "Home" || e.key == "End") {
            if (e.key == "Left") cursor_ = previousCodePoint(value, cursor_);
            if (e.key == "Right") cursor_ = nextCodePoint(value, cursor_);
            if (e.key == "Home") cursor_ = 0;
            if (e.key == "End") cursor_ = value.size();
            redraw();
            return true;
        }
        // A field of several lines keeps the arrows that go through its lines (the caret stays): they
        // are not a scroll of the view around it.
        if (vertical && (e.key == "Up" || e.key == "Down")) return true;
        if (e.key == "Tab" || e.key == "Backtab" || e.key == "Escape") return false;
        const bool shortcut = e.modifiers.contains(EventModifiers::command()) || e.modifiers.contains(EventModifiers::control());
        if (e.text.empty() || shortcut) return false;
        if (static_cast<unsigned char>(e.text[0]) < 0x20) return false;
        return insert(value, e.text);
    }

protected:
    CGSize computeSize(const ProposedViewSize& p) override {
        const EdgeInsets in = insets();
        const CGFloat lineHeight = this->lineHeight();
        CGFloat width = 0;
        if (p.width && std::isfinite(*p.width)) {
            width = *p.width;
        } else {
            const auto idealText = layout(std::nullopt);
            const auto idealPlaceholder = layoutPlaceholder(std::nullopt);
            width = std::max({idealText.size.width, idealPlaceholder.size.width, CGFloat(40)}) + in.leading + in.trailing + 1;
            if (p.width && !std::isfinite(*p.width)) width = std::max(width, CGFloat(0));
        }
        const int lines = visibleLines(std::max(width - in.leading - in.trailing, CGFloat(1)));
        return {width, lines * lineHeight + in.top + in.bottom};
    }
    void render(RenderContext& ctx) override {
        const ColorScheme scheme = environment.colorScheme();
        const bool bordered = style() != TextFieldStyle::plain;
        if (bordered) {
            ctx.list.items.push_back(FillItem{Path::roundedRect(frame, 4), Color::textBackgroundColor().resolve(scheme)});
            ctx.list.items.push_back(StrokeItem{Path::roundedRect(frame.insetBy(0.5, 0.5), 4),
                                                controls::borderColor().resolve(scheme), StrokeStyle{}});
            if (focused_) {
                StrokeStyle ring;
                ring.lineWidth = 3;
                ctx.list.items.push_back(StrokeItem{Path::roundedRect(frame.insetBy(-1.5, -1.5), 5.5),
                                                    Color::accentColor().opacity(0.5).resolve(scheme), ring});
            }
        }
        const EdgeInsets in = insets();
        const CGRect inner(frame.minX() + in.leading, frame.minY() + in.top, std::max(frame.width() - in.leading - in.trailing, CGFloat(0)),
                           std::max(frame.height() - in.top - in.bottom, CGFloat(0)));
        const bool vertical = data().axis == Axis::vertical;
        const std::string value = text();
        const auto laid = value.empty() ? layoutPlaceholder(vertical ? std::optional<CGFloat>(inner.width()) : std::nullopt)
                                        : layout(vertical ? std::optional<CGFloat>(inner.width()) : std::nullopt);
        // Keep the caret in view: longer single lines scroll left, taller text shows its caret's end.
        const CGPoint caret = caretPosition(inner.width());
        const CGFloat lineHeight = this->lineHeight();
        const CGFloat dx = vertical ? 0 : std::max(CGFloat(0), caret.x + 1 - inner.width());
        const CGFloat dy = std::max(CGFloat(0), caret.y + lineHeight - inner.height());
        ctx.list.items.push_back(PushClip{Path::rect(inner.insetBy(-1, 0))});
        for (const auto& line : laid.lines) {
            TextItem item = line.item;
            item.origin = CGPoint{inner.minX() + item.origin.x - dx, inner.minY() + item.origin.y - dy};
            ctx.list.items.push_back(std::move(item));
        }
        if (focused_) {
            const CGFloat x = std::round(inner.minX() + caret.x - dx) + 0.5;
            const CGFloat y = inner.minY() + caret.y - dy;
            Path bar;
            bar.move({x, y + 1});
            bar.addLine({x, y + lineHeight - 1});
            ctx.list.items.push_back(StrokeItem{bar, Color::labelColor().resolve(scheme), StrokeStyle{}});
        }
        ctx.list.items.push_back(PopClip{});
    }

private:
    const TextFieldData& data() const { return contentData<TextFieldNode, TextFieldData>(content_); }
    // What the field shows: its own edits until the update that applies them to the binding has run
    // (a binding's new value is read back only then), so fast typing loses nothing.
    std::string text() const { return edited_ ? *edited_ : data().text.get(); }
    TextFieldStyle style() const { return data().style.value_or(environment.get<TextFieldStyleKey>()); }
    EdgeInsets insets() const { return style() == TextFieldStyle::plain ? EdgeInsets{0, 0, 0, 0} : EdgeInsets{3, 5, 3, 5}; }
    ResolvedFont font() const { return environment.font().value_or(Font::body()).resolve(); }
    CGFloat lineHeight() const {
        const FontMetrics m = graph->measurer().metrics(font());
        return static_cast<CGFloat>(m.ascent + m.descent + m.leading);
    }
    LaidOutText layoutSpan(const std::string& s, RGBA color, std::optional<CGFloat> width) const {
        StyledSpan span;
        span.text = s;
        span.font = font();
        span.color = color;
        TextLayoutOptions options;
        options.width = width;
        return layoutText({span}, options, graph->measurer());
    }
    LaidOutText layout(std::optional<CGFloat> width) const {
        const ColorScheme scheme = environment.colorScheme();
        const Color color = environment.isEnabled() ? environment.foregroundColor().value_or(Color::labelColor())
                                                    : Color::secondaryLabelColor();
        return layoutSpan(text(), color.resolve(scheme), width);
    }
    LaidOutText layoutPlaceholder(std::optional<CGFloat> width) const {
        return layoutSpan(data().placeholder, Color::tertiaryLabelColor().resolve(environment.colorScheme()), width);
    }
    int visibleLines(CGFloat innerWidth) const {
        if (data().axis != Axis::vertical) return 1;
        TextFieldLineRange range = data().lineRange.value_or(environment.get<TextFieldLineRangeKey>().value_or(TextFieldLineRange{}));
        if (!range.upper) {
            if (const auto limit = environment.get<LineLimitKey>()) range.upper = *limit;
        }
        const std::string value = text();
        int lines = std::max<int>(1, static_cast<int>((value.empty() ? layoutPlaceholder(innerWidth) : layout(innerWidth)).lines.size()));
        if (!value.empty() && value.back() == '\n') ++lines; // the caret sits on a new empty line
        lines = std::max(lines, std::max(range.lower, 1));
        if (range.upper) lines = std::min(lines, std::max(*range.upper, 1));
        return lines;
    }
    // The caret's top-left inside the text, for the caret at `cursor_`.
    CGPoint caretPosition(CGFloat innerWidth) const {
        const std::string before = text().substr(0, cursor_);
        if (before.empty()) return {0, 0};
        const bool vertical = data().axis == Axis::vertical;
        const auto laid = layoutSpan(before, RGBA{}, vertical ? std::optional<CGFloat>(innerWidth) : std::nullopt);
        if (laid.lines.empty()) return {0, 0};
        if (before.back() == '\n') return {0, static_cast<CGFloat>(laid.lines.size()) * lineHeight()};
        const auto& last = laid.lines.back();
        return {last.width, last.item.origin.y};
    }
    bool insert(std::string value, const std::string& typed) {
        value.insert(cursor_, typed);
        cursor_ += typed.size();
        return write(value);
    }
    bool write(const std::string& value) {
        edited_ = value;
        data().text.set(value);
        redraw();
        return true;
    }
    void redraw() {
        invalidateLayout();
        if (graph) graph->setNeedsUpdate();
    }
    // The program moves the focus by setting the bound value; the move happens after the update.
    void followFocusBinding() {
        const auto& binding = data().focusBinding;
        if (!binding || !graph) return;
        const bool wanted = binding->get();
        if (wanted == (graph->focusedNode() == this)) return;
        std::weak_ptr<bool> weak = aliveFlag();
        graph->enqueueAction([this, weak, wanted] {
            const auto isAlive = weak.lock();
            if (!isAlive || !*isAlive) return;
            if (wanted && graph->focusedNode() != this) graph->focus(this);
            if (!wanted && graph->focusedNode() == this) graph->focus(nullptr);
        });
    }
    bool focused_ = false;
    std::size_t cursor_ = 0;
    std::shared_ptr<const ViewContent> content_; // its binding and style
    std::optional<std::string> edited_;
};

} // namespace

TextField::TextField(std::string placeholder, Binding<std::string> text, Axis axis)
    : placeholder_(std::move(placeholder)), text_(std::move(text)), axis_(axis) {}

TextField TextField::lineLimit(int lower, std::optional<int> upper) const {
    TextField copy = *this;
    copy.lineRange_ = TextFieldLineRange{lower, upper};
    return copy;
}

TextField TextField::focused(Binding<bool> isFocused) const {
    TextField copy = *this;
    copy.focusBinding_ = std::make_shared<const Binding<bool>>(std::move(isFocused));
    return copy;
}

TextField TextField::textFieldStyle(TextFieldStyle style) const {
    TextField copy = *this;
    copy.style_ = style;
    return copy;
}

TextField TextField::onSubmit(std::function<void()> action) const {
    TextField copy = *this;
    copy.submit_ = std::make_shared<const std::function<void()>>(std::move(action));
    return copy;
}

std::shared_ptr<const ViewContent> TextField::toContent() const {
    return makeView<TextFieldNode, TextFieldData>(TextFieldData{placeholder_, text_, axis_, style_, lineRange_, submit_, focusBinding_}).content();
}

} // namespace glimmo
