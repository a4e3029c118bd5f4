#pragma once

// A row of segments, one selected at a time, each with a text label, a width and a tag.

#include "platform/window/NativeView.h"

#include <functional>
#include <string>

namespace glimmo {

class SegmentedControl : public NativeView {
public:
    enum class Style : std::uint8_t { automatic = 0, rounded = 1, texturedRounded = 2, roundRect = 3,
                                      texturedSquare = 4, capsule = 5, smallSquare = 6, separated = 8 };
    enum class ControlSize : std::uint8_t { regular = 0, small = 1, mini = 2, large = 3 };
    enum class TrackingMode : std::uint8_t { selectOne = 0, selectAny = 1, momentary = 2 };

    explicit SegmentedControl(int segmentCount);
    ~SegmentedControl() override;

    int segmentCount() const;
    void setLabel(int segment, std::string label);
    std::string label(int segment) const;
    void setWidth(int segment, CGFloat width);
    CGFloat width(int segment) const;
    void setTag(int segment, int tag);
    int tag(int segment) const;

    // -1 when no segment is selected.
    int selectedSegment() const;
    void setSelectedSegment(int segment);

    Style segmentStyle() const { return style_; }
    void setSegmentStyle(Style style);
    ControlSize controlSize() const { return controlSize_; }
    void setControlSize(ControlSize size) { controlSize_ = size; }
    TrackingMode trackingMode() const { return trackingMode_; }
    void setTrackingMode(TrackingMode mode) { trackingMode_ = mode; }
    const std::string& identifier() const { return identifier_; }
    void setIdentifier(std::string identifier) { identifier_ = std::move(identifier); }

    // Called after the user clicked a segment (the click already selected it).
    void setAction(std::function<void(SegmentedControl&)> action);
    // A click on a segment, as the user makes it.
    void performClick(int segment);

    void setFrame(CGRect frame) override;

    // The size of `text` drawn in the system font at the size of regular controls.
    static CGSize measureSystemFontText(const std::string& text);

    struct Segments;

private:
    std::unique_ptr<Segments> segments_;
    Style style_ = Style::automatic;
    ControlSize controlSize_ = ControlSize::regular;
    TrackingMode trackingMode_ = TrackingMode::selectOne;
    std::string identifier_;
};

} // namespace glimmo
