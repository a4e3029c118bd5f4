#pragma once

#include "generative-ai/RawValue.h"

#include <string_view>

namespace genai {

// What a caller asks the service to block.
struct SafetySetting {
    enum class HarmCategory { unknown, unspecified, harassment, hateSpeech, sexuallyExplicit, dangerousContent };
    enum class BlockThreshold { unknown, unspecified, blockLowAndAbove, blockMediumAndAbove, blockOnlyHigh, blockNone };

    HarmCategory harmCategory = HarmCategory::unspecified;  // "category" on the wire
    BlockThreshold threshold = BlockThreshold::unspecified;

    bool operator==(const SafetySetting&) const = default;
};

// How the service rated a prompt or an answer for one kind of harm.
struct SafetyRating {
    enum class HarmProbability { unknown, unspecified, negligible, low, medium, high };

    SafetySetting::HarmCategory category = SafetySetting::HarmCategory::unspecified;
    HarmProbability probability = HarmProbability::unspecified;

    bool operator==(const SafetyRating&) const = default;
};

struct SafetyFeedback {
    SafetyRating rating;
    SafetySetting setting;

    bool operator==(const SafetyFeedback&) const = default;
};

std::string_view rawValue(SafetySetting::HarmCategory category);
std::string_view rawValue(SafetySetting::BlockThreshold threshold);
std::string_view rawValue(SafetyRating::HarmProbability probability);

template <> std::optional<SafetySetting::HarmCategory> fromRawValue<SafetySetting::HarmCategory>(std::string_view text);
template <> std::optional<SafetySetting::BlockThreshold> fromRawValue<SafetySetting::BlockThreshold>(std::string_view text);
template <> std::optional<SafetyRating::HarmProbability> fromRawValue<SafetyRating::HarmProbability>(std::string_view text);

} // namespace genai
