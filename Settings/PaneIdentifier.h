#pragma once

#include <nlohmann/json_fwd.hpp>

#include <cstddef>
#include <functional>
#include <string>

namespace settings::Settings {

// Tells panes apart; its text is also the identifier of the pane's toolbar item.
struct PaneIdentifier {
    std::string rawValue;

    PaneIdentifier() = default;
    explicit PaneIdentifier(std::string raw) : rawValue(std::move(raw)) {}
    bool operator==(const PaneIdentifier&) const = default;
};

// Encoded as the bare string.
void to_json(nlohmann::json& json, const PaneIdentifier& identifier);
void from_json(const nlohmann::json& json, PaneIdentifier& identifier);

} // namespace settings::Settings

template <>
struct std::hash<settings::Settings::PaneIdentifier> {
    std::size_t operator()(const settings::Settings::PaneIdentifier& id) const noexcept {
        return std::hash<std::string>{}(id.rawValue);
    }
};
