#include "platform/imaging/ImageDecoding.h"
#include "platform/view/NodeSupport.h"
#include "platform/view/Label.h"
#include "platform/view/PixelDecoding.h"
#include "platform/view/Stacks.h"
#include "platform/view/SymbolTable.h"
#include "platform/view/Text.h"
#include "platform/view/TextLayout.h"
#include "platform/view/ViewGraph.h"

#include <algorithm>
#include <cmath>

namespace glimmo {
namespace {

const std::string objectReplacement = "\xEF\xBF\xBC";

Font baseFont(const AttributeContainer& a, const EnvironmentValues& env) {
    Font f = a.value<FontAttribute>().value_or(env.font().value_or(Font::body()));
    if (auto w = a.value<TextWeightAttribute>()) f = f.weight(*w);
    else if (auto ew = env.get<FontWeightKey>()) f = f.weight(*ew);
    if (a.value<TextItalicAttribute>().value_or(env.get<ItalicKey>())) f = f.italic();
    if (a.value<TextMonospacedAttribute>().value_or(false)) f = f.monospaced();
    if (a.value<TextMonospacedDigitAttribute>().value_or(false)) f = f.monospacedDigit();
    return f;
}

std::vector<StyledSpan> resolveSpans(const AttributedString& text, const EnvironmentValues& env, CGFloat scale) {
    std::vector<StyledSpan> spans;
    const ColorScheme scheme = env.colorScheme();
    for (const auto& run : text.runs()) {
        const auto& a = run.attributes;
        StyledSpan s;
        s.text = std::string(text.text(run.range));
        s.font = baseFont(a, env).resolve();
        s.font.pointSize *= scale;
        if (auto link = a.value<LinkAttribute>()) s.link = std::make_shared<const URL>(std::move(*link));
        Color color = a.value<ForegroundColorAttribute>().value_or(
            s.link ? Color::accentColor() : env.foregroundColor().value_or(Color::primary()));
        s.color = color.resolve(scheme);
        if (auto bg = a.value<BackgroundColorAttribute>()) s.background = bg->resolve(scheme);
        if (auto u = a.value<UnderlineStyleAttribute>()) s.underline = u->color.value_or(color).resolve(scheme);
        if (auto st = a.value<StrikethroughStyleAttribute>()) s.strikethrough = st->color.value_or(color).resolve(scheme);
        s.tracking = (a.value<KernAttribute>().value_or(0) + a.value<TrackingAttribute>().value_or(0)) * scale;
        s.baselineOffset = a.value<BaselineOffsetAttribute>().value_or(0) * scale;
        if (const auto* attachment = a.get<ImageAttachmentAttribute>()) {
            if (!attachment->systemName.empty()) {
                const auto glyph = symbolGlyph(attachment->systemName);
                if (!glyph) continue;
                s.text = *glyph;
                s.font.family = symbolFontFamily;
            } else if (attachment->pixels && attachment->pixels->isValid()) {
                s.text = objectReplacement;
                s.image = attachment->pixels;
                s.imageSize = {attachment->pixels->pointWidth() * scale, attachment->pixels->pointHeight() * scale};
            } else {
                continue;
            }
        }
        spans.push_back(std::move(s));
    }
    return spans;
}

// A place in laid-out text: a line and a byte offset into the text of its runs.
struct TextPosition {
    std::size_t line = 0;
    std::size_t offset = 0;
    auto operator<=>(const TextPosition&) const = default;
};

std::string lineString(const LaidOutLine& line) {
    std::string s;
    for (const auto& r : line.item.runs) s += r.text;
    return s;
}

class TextNode final : public ViewNode {
public:
    void update(const std::shared_ptr<const ViewContent>& c, const EnvironmentValues& env) override {
        const bool sameText = content_ && contentData<TextNode, AttributedString>(content_).characters() ==
                                              contentData<TextNode, AttributedString>(c).characters();
        content_ = c;
        environment = env;
        spans_ = resolveSpans(contentData<TextNode, AttributedString>(c), env, 1);
        // Read once here rather than at every layout question.
        environmentOptions_.lineLimit = env.lineLimit();
        environmentOptions_.truncation = env.truncationMode();
        environmentOptions_.alignment = env.multilineTextAlignment();
        environmentOptions_.lineSpacing = env.lineSpacing();
        minimumScaleFactor_ = env.minimumScaleFactor();
        redacted_ = env.redactionReasons().has_value();
        layoutCacheReset();
        if (!sameText || !env.textSelectionEnabled()) selection_.reset();
    }
    bool acceptsFocus() const override { return environment.textSelectionEnabled(); }
    void setFocused(bool focused) override {
        if (!focused && selection_) {
            selection_.reset();
            redrawSelection();
        }
    }
    bool handleKey(const KeyEvent& e) override {
        if (!environment.textSelectionEnabled()) return false;
        const bool shortcut = e.modifiers.contains(EventModifiers::control()) || e.modifiers.contains(EventModifiers::command());
        if (!shortcut) return false;
        if (e.key == "C" || e.key == "c") {
            const std::string text = selectedText();
            if (!text.empty()) {
                if (const auto& write = environment.get<PasteboardWriterKey>()) (*write)(text);
            }
            return true;
        }
        if (e.key == "A" || e.key == "a") {
            const LaidOutText& laid = layout(placedProposal);
            if (!laid.lines.empty()) {
                selection_ = {TextPosition{0, 0}, TextPosition{laid.lines.size() - 1, lineString(laid.lines.back()).size()}};
                redrawSelection();
            }
            return true;
        }
        return false;
    }
    // The selected text; wrapped lines are joined with a space, broken lines with a newline.
    std::string selectedText() {
        if (!selection_) return {};
        auto [a, b] = *selection_;
        if (b < a) std::swap(a, b);
        const LaidOutText& laid = layout(placedProposal);
        std::string out;
        for (std::size_t l = a.line; l <= b.line && l < laid.lines.size(); ++l) {
            const std::string text = lineString(laid.lines[l]);
            const std::size_t from = l == a.line ? std::min(a.offset, text.size()) : 0;
            const std::size_t to = l == b.line ? std::min(b.offset, text.size()) : text.size();
            if (l > a.line) out += laid.lines[l - 1].endsWithNewline ? "\n" : " ";
            if (to > from) out += text.substr(from, to - from);
        }
        return out;
    }
    bool isHitTestable() const override { return true; }
    std::optional<CGFloat> computeExplicitAlignment(AlignmentKey key, CGSize size) override {
        if (key == VerticalAlignment::firstTextBaseline().key()) return extent(ProposedViewSize::of(size)).firstBaseline;
        if (key == VerticalAlignment::lastTextBaseline().key()) return extent(ProposedViewSize::of(size)).lastBaseline;
        return std::nullopt;
    }
    void render(RenderContext& ctx) override {
        const LaidOutText& laid = layout(placedProposal);
        if (selection_ && !redacted_) {
            auto [a, b] = *selection_;
            if (b < a) std::swap(a, b);
            const RGBA highlight = Color::accentColor().opacity(0.3).resolve(environment.colorScheme());
            for (std::size_t l = a.line; l <= b.line && l < laid.lines.size(); ++l) {
                const auto& line = laid.lines[l];
                const CGFloat x0 = xAt(line, l == a.line ? a.offset : 0);
                const CGFloat x1 = xAt(line, l == b.line ? b.offset : lineString(line).size());
                if (x1 <= x0) continue;
                const CGRect r(frame.minX() + line.item.origin.x + x0, frame.minY() + line.item.origin.y, x1 - x0, line.item.lineHeight);
                ctx.list.items.push_back(FillItem{Path::rect(r), highlight});
            }
        }
        if (redacted_) {
            const RGBA bar = Color::labelColor().opacity(0.16).resolve(environment.colorScheme());
            for (const auto& line : laid.lines) {
                const CGRect r(frame.minX() + line.item.origin.x, frame.minY() + line.item.origin.y + line.item.lineHeight * 0.15,
                               line.width, line.item.lineHeight * 0.7);
                ctx.list.items.push_back(FillItem{Path::roundedRect(r, 2, Path::RoundedCornerStyle::circular), bar});
            }
            return;
        }
        for (const auto& line : laid.lines) {
            TextItem item = line.item;
            item.origin = {frame.minX() + item.origin.x, frame.minY() + item.origin.y};
            ctx.list.items.push_back(std::move(item));
        }
    }
    bool handlePointer(const PointerEvent& e) override {
        if (e.kind == PointerEvent::Kind::pressed) {
            pressedLink_ = linkAt(e.location);
            if (!pressedLink_ && environment.textSelectionEnabled()) {
                const TextPosition at = positionAt(e.location);
                selection_ = {at, at};
                selecting_ = true;
                redrawSelection();
                return true;
            }
            return pressedLink_ != nullptr;
        }
        if (selecting_ && (e.kind == PointerEvent::Kind::moved || e.kind == PointerEvent::Kind::released)) {
            selection_->second = positionAt(e.location);
            if (e.kind == PointerEvent::Kind::released) selecting_ = false;
            redrawSelection();
            return true;
        }
        if (e.kind == PointerEvent::Kind::released && pressedLink_) {
            const auto link = linkAt(e.location);
            if (link && *link == *pressedLink_) {
                environment.get<OpenURLKey>()(*link);
            }
            pressedLink_.reset();
            return true;
        }
        return false;
    }

protected:
    CGSize computeSize(const ProposedViewSize& p) override { return extent(p).size; }

private:
    TextLayoutOptions options(const ProposedViewSize& p) const {
        TextLayoutOptions o = environmentOptions_;
        // A little slack so that text placed at the width it asked for does not wrap differently.
        o.width = p.width ? std::optional<CGFloat>(*p.width + 1e-3) : std::nullopt;
        o.height = p.height ? std::optional<CGFloat>(*p.height + 1e-3) : std::nullopt;
        return o;
    }
    // Text is measured once and broken into lines once per width. A height that holds all the lines
    // gives the same layout as no height (unless shrinking text may make more fit), which its extent
    // tells. Measuring answers with the layout's extent alone; the lines' items are made only for the
    // proposal the text is placed with, which is drawn.
    ProposedViewSize layoutProposal(const ProposedViewSize& p) {
        if (!p.height || minimumScaleFactor_ < 1) return p;
        const ProposedViewSize whole{p.width, std::nullopt};
        return rememberedExtent(whole).size.height <= *options(p).height ? whole : p;
    }
    TextExtent extent(const ProposedViewSize& p) { return rememberedExtent(layoutProposal(p)); }
    TextExtent rememberedExtent(const ProposedViewSize& p) {
        for (const auto& [proposal, known] : extents_) {
            if (proposal == p) return known;
        }
        if (extents_.size() >= keptLayouts) extents_.erase(extents_.begin());
        const TextLayoutOptions o = options(p);
        TextExtent fresh = measureLayout(linesFor(o.width), spans_, o, graph->measurer());
        if (fresh.truncated && minimumScaleFactor_ < 1) {
            const LaidOutText& shrunk = remembered(p);
            fresh = {shrunk.size, shrunk.firstBaseline, shrunk.lastBaseline, shrunk.truncated};
        }
        extents_.emplace_back(p, fresh);
        return fresh;
    }
    const LaidOutText& layout(const ProposedViewSize& p) { return remembered(layoutProposal(p)); }
    const LaidOutText& remembered(const ProposedViewSize& p) {
        for (const auto& [proposal, laid] : laidOut_) {
            if (proposal == p) return *laid;
        }
        if (laidOut_.size() >= keptLayouts) laidOut_.erase(laidOut_.begin());
        // Proposals that lay the text out alike (no width and a width its lines fit in) share one layout.
        LaidOutText fresh = layoutFor(p);
        std::shared_ptr<const LaidOutText> kept;
        for (const auto& entry : laidOut_) {
            if (*entry.second == fresh) kept = entry.second;
        }
        if (!kept) kept = std::make_shared<const LaidOutText>(std::move(fresh));
        laidOut_.emplace_back(p, std::move(kept));
        return *laidOut_.back().second;
    }
    const TextLines& linesFor(std::optional<CGFloat> width) {
        for (const auto& [w, lines] : lines_) {
            if (w == width) return *lines;
        }
        const TextMeasurer& m = graph->measurer();
        if (!measured_) measured_ = measureText(spans_, m);
        if (lines_.size() >= keptLayouts) lines_.erase(lines_.begin());
        lines_.emplace_back(width, breakText(*measured_, spans_, width, m));
        return *lines_.back().second;
    }
    LaidOutText layoutFor(const ProposedViewSize& p) {
        const TextMeasurer& m = graph->measurer();
        const TextLayoutOptions o = options(p);
        LaidOutText laid = layoutText(linesFor(o.width), spans_, o, m);
        const CGFloat minimum = minimumScaleFactor_;
        if (!laid.truncated || minimum >= 1) return laid;
        // Shrink in steps until the text fits, down to the minimum scale factor.
        for (CGFloat scale = 0.95; scale >= minimum - 1e-9; scale -= 0.05) {
            const auto spans = resolveSpans(contentData<TextNode, AttributedString>(content_), environment, scale);
            LaidOutText smaller = layoutText(spans, options(p), m);
            if (!smaller.truncated) return smaller;
            laid = std::move(smaller);
        }
        return laid;
    }
    std::shared_ptr<const URL> linkAt(CGPoint p) {
        const LaidOutText& laid = layout(placedProposal);
        for (const auto& line : laid.lines) {
            const CGFloat top = frame.minY() + line.item.origin.y;
            if (p.y < top || p.y >= top + line.item.lineHeight) continue;
            for (std::size_t i = 0; i < line.item.runs.size(); ++i) {
                const auto& run = line.item.runs[i];
                const CGFloat x = frame.minX() + line.item.origin.x + run.x;
                if (p.x < x || p.x >= x + run.width) continue;
                return spans_[line.runSpans[i]].link;
            }
        }
        return nullptr;
    }

    // Distance from the line's left edge to the character boundary at `offset`.
    CGFloat xAt(const LaidOutLine& line, std::size_t offset) const {
        std::size_t consumed = 0;
        for (const auto& run : line.item.runs) {
            if (offset <= consumed + run.text.size()) {
                const std::size_t inRun = offset - consumed;
                if (inRun == 0) return run.x;
                if (run.image || inRun >= run.text.size()) return run.x + (inRun >= run.text.size() ? run.width : 0);
                const std::string prefix = run.text.substr(0, inRun);
                std::size_t characters = 0;
                for (const char c : prefix) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
                return run.x + graph->measurer().advance(prefix, run.font) + run.tracking * static_cast<CGFloat>(characters);
            }
            consumed += run.text.size();
        }
        return line.width;
    }
    // The character boundary nearest to a point (window coordinates).
    TextPosition positionAt(CGPoint p) {
        const LaidOutText& laid = layout(placedProposal);
        if (laid.lines.empty()) return {};
        std::size_t l = 0;
        while (l + 1 < laid.lines.size() && p.y >= frame.minY() + laid.lines[l + 1].item.origin.y) ++l;
        const auto& line = laid.lines[l];
        const std::string text = lineString(line);
        const CGFloat x = p.x - frame.minX() - line.item.origin.x;
        std::size_t best = 0;
        CGFloat bestDistance = infinity;
        for (std::size_t i = 0; i <= text.size(); ++i) {
            if (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
            const CGFloat d = std::abs(xAt(line, i) - x);
            if (d < bestDistance) {
                bestDistance = d;
                best = i;
            }
        }
        return {l, best};
    }

    void layoutCacheReset() override {
        measured_.reset();
        lines_.clear();
        extents_.clear();
        laidOut_.clear();
    }
    void redrawSelection() {
        invalidateDisplay();
        if (graph) graph->setNeedsUpdate();
    }

    static constexpr std::size_t keptLayouts = 12;
    std::shared_ptr<const ViewContent> content_; // its attributed string
    std::vector<StyledSpan> spans_;
    TextLayoutOptions environmentOptions_; // what the environment sets: line limit, truncation, alignment, spacing
    CGFloat minimumScaleFactor_ = 1;
    bool redacted_ = false;
    std::shared_ptr<const MeasuredText> measured_;
    std::vector<std::pair<std::optional<CGFloat>, std::shared_ptr<const TextLines>>> lines_;
    std::vector<std::pair<ProposedViewSize, TextExtent>> extents_;
    std::vector<std::pair<ProposedViewSize, std::shared_ptr<const LaidOutText>>> laidOut_;
    std::shared_ptr<const URL> pressedLink_; // the pressed span's address
    std::optional<std::pair<TextPosition, TextPosition>> selection_;
    bool selecting_ = false;
};

struct ImageParams {
    std::string systemName;
    SharedPixels pixels;
    bool resizable;
    Image::Interpolation interpolation;
};

class ImageNode final : public ViewNode {
public:
    void update(const std::shared_ptr<const ViewContent>& c, const EnvironmentValues& env) override {
        environment = env;
        params_ = contentData<ImageNode, ImageParams>(c);
        glyph_ = params_.systemName.empty() ? std::nullopt : symbolGlyph(params_.systemName);
    }
    bool isHitTestable() const override { return true; }
    std::optional<CGFloat> computeExplicitAlignment(AlignmentKey key, CGSize) override {
        if (glyph_ && (key == VerticalAlignment::firstTextBaseline().key() || key == VerticalAlignment::lastTextBaseline().key())) {
            return graph->measurer().metrics(symbolFont()).ascent;
        }
        return std::nullopt;
    }
    void render(RenderContext& ctx) override {
        const ColorScheme scheme = environment.colorScheme();
        if (environment.redactionReasons()) {
            ctx.list.items.push_back(FillItem{Path::roundedRect(frame, 2, Path::RoundedCornerStyle::circular),
                                              Color::labelColor().opacity(0.16).resolve(scheme)});
            return;
        }
        if (glyph_) {
            const ResolvedFont font = symbolFont();
            TextRunItem run;
            run.text = *glyph_;
            run.font = font;
            run.color = environment.foregroundColor().value_or(Color::primary()).resolve(scheme);
            run.width = graph->measurer().advance(*glyph_, font);
            run.baseline = graph->measurer().metrics(font).ascent;
            // What the painter keeps of a run is for its text and font: another symbol or font is another run.
            if (!glyphPainted_ || glyphPainted_->glyph != *glyph_ || !(glyphPainted_->font == font)) {
                glyphPainted_ = PaintedGlyph{*glyph_, font, PaintedRunSlot::make()};
            }
            run.painted = glyphPainted_->slot;
            // Symbols scale with their frame when a resizable frame is larger than the glyph.
            TextItem item;
            item.origin = {frame.midX() - run.width / 2, frame.midY() - naturalSize().height / 2};
            item.lineHeight = naturalSize().height;
            item.runs.push_back(std::move(run));
            ctx.list.items.push_back(std::move(item));
            return;
        }
        if (params_.pixels && params_.pixels->isValid()) {
            ImageItem item;
            item.image = params_.pixels;
            item.rect = frame;
            item.interpolation = static_cast<ImageItem::Interpolation>(params_.interpolation);
            ctx.list.items.push_back(std::move(item));
        }
    }

protected:
    CGSize computeSize(const ProposedViewSize& p) override {
        const CGSize natural = naturalSize();
        if (params_.resizable && !glyph_) return {p.width.value_or(natural.width), p.height.value_or(natural.height)};
        return natural;
    }

private:
    ResolvedFont symbolFont() const {
        ResolvedFont f = environment.font().value_or(Font::body()).resolve();
        f.family = symbolFontFamily;
        return f;
    }
    CGSize naturalSize() const {
        if (glyph_) {
            const ResolvedFont f = symbolFont();
            const FontMetrics m = graph->measurer().metrics(f);
            return {graph->measurer().advance(*glyph_, f), m.ascent + m.descent};
        }
        if (params_.pixels && params_.pixels->isValid()) return {params_.pixels->pointWidth(), params_.pixels->pointHeight()};
        return {0, 0};
    }
    ImageParams params_;
    std::optional<std::string> glyph_;
    struct PaintedGlyph {
        std::string glyph;
        ResolvedFont font;
        PaintedRunSlot slot;
    };
    std::optional<PaintedGlyph> glyphPainted_; // the slot of the glyph last drawn, in its font
};

struct AspectParams {
    std::optional<CGFloat> ratio;
    ContentMode mode;
    bool operator==(const AspectParams&) const = default;
};

class AspectRatioNode final : public ModifierNode<AspectRatioNode, AspectParams> {
protected:
    CGSize computeSize(const ProposedViewSize& p) override {
        const CGSize ideal = sizeOfContent(contentElements(), ProposedViewSize::unspecified());
        const CGFloat ratio = params.ratio.value_or(ideal.height > 0 ? ideal.width / ideal.height : 1);
        if (ratio <= 0) return sizeOfContent(contentElements(), p);
        CGSize box;
        if (p.width && p.height) {
            box = {*p.width, *p.height};
        } else if (p.width) {
            box = {*p.width, *p.width / ratio};
        } else if (p.height) {
            box = {*p.height * ratio, *p.height};
        } else {
            box = ideal;
        }
        const bool widthLimits = box.width / ratio <= box.height;
        CGSize s = (params.mode == ContentMode::fit) == widthLimits ? CGSize{box.width, box.width / ratio} : CGSize{box.height * ratio, box.height};
        if (std::isinf(s.width) || std::isinf(s.height)) s = ideal;
        return sizeOfContent(contentElements(), ProposedViewSize::of(s));
    }
};

} // namespace

Text::Text(std::string content) : content_(std::move(content)) {}
Text::Text(AttributedString content) : content_(std::move(content)) {}
Text::Text(const Image& image) {
    AttributeContainer a;
    a.set<ImageAttachmentAttribute>(ImageAttachment{image.pixels(), image.symbolName(), image.label()});
    content_ = AttributedString(objectReplacement, a);
}

Text Text::operator+(const Text& other) const {
    Text t = *this;
    t += other;
    return t;
}

Text& Text::operator+=(const Text& other) {
    content_.append(other.content_);
    return *this;
}

template <AttributeKey K>
Text Text::settingWhereUnset(typename K::Value value) const {
    Text t = *this;
    AttributedString result;
    for (const auto& run : content_.runs()) {
        AttributeContainer a = run.attributes;
        if (!a.contains<K>()) a.set<K>(value);
        result.append(AttributedString(std::string(content_.text(run.range)), a));
    }
    t.content_ = std::move(result);
    return t;
}

Text Text::font(std::optional<Font> f) const { return f ? settingWhereUnset<FontAttribute>(*f) : *this; }
Text Text::fontWeight(std::optional<Font::Weight> w) const { return w ? settingWhereUnset<TextWeightAttribute>(*w) : *this; }
Text Text::bold(bool active) const { return active ? fontWeight(Font::Weight::bold()) : *this; }
Text Text::italic(bool active) const { return settingWhereUnset<TextItalicAttribute>(active); }
Text Text::monospaced(bool active) const { return settingWhereUnset<TextMonospacedAttribute>(active); }
Text Text::monospacedDigit() const { return settingWhereUnset<TextMonospacedDigitAttribute>(true); }
Text Text::foregroundColor(std::optional<Color> c) const { return c ? settingWhereUnset<ForegroundColorAttribute>(*c) : *this; }
Text Text::underline(bool active, std::optional<Color> color) const {
    return active ? settingWhereUnset<UnderlineStyleAttribute>(LineStyle{LineStyle::Pattern::solid, color}) : *this;
}
Text Text::strikethrough(bool active, std::optional<Color> color) const {
    return active ? settingWhereUnset<StrikethroughStyleAttribute>(LineStyle{LineStyle::Pattern::solid, color}) : *this;
}
Text Text::kerning(CGFloat k) const { return settingWhereUnset<KernAttribute>(k); }
Text Text::tracking(CGFloat t) const { return settingWhereUnset<TrackingAttribute>(t); }
Text Text::baselineOffset(CGFloat o) const { return settingWhereUnset<BaselineOffsetAttribute>(o); }

std::shared_ptr<const ViewContent> Text::toContent() const { return makeView<TextNode, AttributedString>(content_).content(); }

Image Image::systemName(std::string name) {
    Image i;
    i.systemName_ = std::move(name);
    return i;
}

Image::Image(SharedPixels pixels) : pixels_(std::move(pixels)) {}

// Pixels that already have the scale and orientation are shared, not copied; a copy that would pass
// the bound on decoded pixels alive leaves the image empty, as one that could not be decoded.
Image::Image(SharedPixels pixels, double scale, ImageOrientation orientation) {
    try {
        pixels_ = withScaleAndOrientation(pixels, scale, orientation);
    } catch (const ImageDecodingError&) {
        pixels_ = nullptr;
    }
}

Image::Image(SharedPixels pixels, double scale, ImageOrientation orientation, std::string label)
    : Image(std::move(pixels), scale, orientation) {
    label_ = std::move(label);
}

Image Image::resizable() const {
    Image i = *this;
    i.resizable_ = true;
    return i;
}

Image Image::interpolation(Interpolation quality) const {
    Image i = *this;
    i.interpolation_ = quality;
    return i;
}

std::shared_ptr<const ViewContent> Image::toContent() const {
    AnyView image = makeView<ImageNode, ImageParams>(ImageParams{systemName_, pixels_, resizable_, interpolation_});
    if (label_.empty()) {
        return image.content();
    }
    return modifiers::accessibilityLabel(std::move(image), label_).content();
}

namespace {
struct LabelParts {
    AnyView title;
    AnyView icon;
};

class LabelNode final : public TransparentNode {
public:
    void update(const std::shared_ptr<const ViewContent>& c, const EnvironmentValues& env) override {
        environment = env;
        const auto& parts = contentData<LabelNode, LabelParts>(c);
        switch (env.get<LabelStyleKey>()) {
        case LabelStyle::titleOnly: reconcileSingleChild(parts.title, env); break;
        case LabelStyle::iconOnly: reconcileSingleChild(parts.icon, env); break;
        case LabelStyle::automatic:
        case LabelStyle::titleAndIcon:
            reconcileSingleChild(HStack(VerticalAlignment::center(), 6, {parts.icon, parts.title}), env);
            break;
        }
    }
};
} // namespace

Label::Label(std::string title, std::string systemImage) : title_(Text(std::move(title))), icon_(Image::systemName(std::move(systemImage))) {}

std::shared_ptr<const ViewContent> Label::toContent() const { return makeView<LabelNode, LabelParts>(LabelParts{title_, icon_}).content(); }

namespace modifiers {
AnyView aspectRatio(AnyView v, std::optional<CGFloat> ratio, ContentMode mode) {
    return modify<AspectRatioNode>(std::move(v), AspectParams{ratio, mode});
}
} // namespace modifiers

} // namespace glimmo
