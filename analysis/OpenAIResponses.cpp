#include "analysis/OpenAIResponses.h"

#include "platform/foundation/Json.h"
#include "platform/foundation/Text.h"

#include <nlohmann/json.hpp>

namespace glimmo {

namespace {
constexpr std::string_view querySeparator = "\n\n User Query: ";

const nlohmann::json* firstObject(const nlohmann::json& object, const char* key) {
    const auto found = object.find(key);
    if (found == object.end() || !found->is_array() || found->empty() || !found->front().is_object()) {
        return nullptr;
    }
    for (const auto& element : *found) {
        if (!element.is_object()) {
            return nullptr;
        }
    }
    return &found->front();
}

} // namespace

std::string openAIInput(std::string_view context, std::string_view message, std::size_t maxCharacters) {
    const std::string question = std::string(querySeparator) + std::string(message);
    std::string input = std::string(context) + question;
    const std::size_t length = graphemeCount(input);
    if (length <= maxCharacters) {
        return input;
    }
    const std::size_t excess = length - maxCharacters;
    const std::size_t contextLength = graphemeCount(context);
    if (excess < contextLength) {
        input = prefixGraphemes(context, contextLength - excess) + question;
    } else {
        input = question;
    }
    // Only a question longer than the limit by itself (or a cluster joined across the seam) is cut.
    if (graphemeCount(input) > maxCharacters) {
        input = prefixGraphemes(input, maxCharacters);
    }
    return input;
}

std::string openAIRequestBody(std::string_view input) {
    nlohmann::json body = nlohmann::json::object();
    body["model"] = "gpt-4.1";
    body["input"] = std::string(input);
    return compactJSON(body);
}

std::string openAIReplyText(int status, const std::string& body) {
    if (status != 200) {
        const std::string details = isValidUTF8(body) ? body : std::string("No error details");
        throw URLError(URLError::badServerResponse,
                       "Server error: " + std::to_string(status) + ". Details: " + details);
    }
    const nlohmann::json root = parseJSON(body);
    if (root.is_object()) {
        if (const auto* output = firstObject(root, "output")) {
            if (const auto* content = firstObject(*output, "content")) {
                const auto text = content->find("text");
                if (text != content->end() && text->is_string()) {
                    return trimmed(text->get<std::string>());
                }
            }
        }
    }
    throw URLError(URLError::cannotParseResponse, "The server's reply could not be read.");
}

} // namespace glimmo
