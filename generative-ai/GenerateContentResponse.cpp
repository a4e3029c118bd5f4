#include "generative-ai/GenerateContentResponse.h"

#include "generative-ai/Logging.h"
#include "platform/foundation/Text.h"

namespace genai {

namespace {

// The text a part contributes to a reply's text, if any.
std::optional<std::string> textPiece(const ModelContent::Part& part) {
    using Part = ModelContent::Part;
    switch (part.kind()) {
    case Part::Kind::text: return part.textValue();
    case Part::Kind::executableCode: {
        const auto& code = *part.as<ExecutableCode>();
        const std::string language = code.language == "LANGUAGE_UNSPECIFIED" ? "" : glimmo::lowercased(code.language);
        return "```" + language + "\n" + code.code + "\n```";
    }
    case Part::Kind::codeExecutionResult: {
        const auto& result = *part.as<CodeExecutionResult>();
        if (result.output.empty()) return std::nullopt;
        return "```\n" + result.output + "\n```";
    }
    default: return std::nullopt;
    }
}

} // namespace

std::optional<std::string> GenerateContentResponse::text() const {
    if (candidates.empty()) {
        Logging::defaultLogger().error("Could not get text from a response that had no candidates.");
        return std::nullopt;
    }
    std::optional<std::string> joined;
    for (const auto& part : candidates.front().content.parts) {
        const auto piece = textPiece(part);
        if (!piece) continue;
        if (joined) {
            *joined += '\n';
            *joined += *piece;
        } else {
            joined = *piece;
        }
    }
    if (!joined) Logging::defaultLogger().error("Could not get a text part from the first candidate.");
    return joined;
}

std::vector<FunctionCall> GenerateContentResponse::functionCalls() const {
    std::vector<FunctionCall> calls;
    if (candidates.empty()) return calls;
    for (const auto& part : candidates.front().content.parts) {
        if (const auto* call = part.as<FunctionCall>()) calls.push_back(*call);
    }
    return calls;
}

} // namespace genai
