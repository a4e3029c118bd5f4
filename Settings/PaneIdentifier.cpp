#include "Settings/PaneIdentifier.h"

#include <nlohmann/json.hpp>

namespace settings::Settings {

void to_json(nlohmann::json& json, const PaneIdentifier& identifier) { json = identifier.rawValue; }

void from_json(const nlohmann::json& json, PaneIdentifier& identifier) {
    identifier.rawValue = json.get<std::string>();
}

} // namespace settings::Settings
