#pragma once

#include "generative-ai/FunctionCalling.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace genai {

// One turn of a conversation: who speaks ("user", "model" or "system") and what was said.
struct ModelContent {
    // One piece of a turn.
    class Part {
    public:
        struct InlineData {
            std::string mimetype;
            std::vector<std::uint8_t> bytes;
            bool operator==(const InlineData&) const = default;
        };
        struct FileData {
            std::string mimetype;
            std::string uri;
            bool operator==(const FileData&) const = default;
        };
        using Payload = std::variant<std::string, InlineData, FileData, FunctionCall, FunctionResponse,
                                     ExecutableCode, CodeExecutionResult>;
        enum class Kind { text, data, fileData, functionCall, functionResponse, executableCode, codeExecutionResult };

        static Part text(std::string text) { return Part(Payload(std::in_place_index<0>, std::move(text))); }
        static Part data(std::string mimetype, std::vector<std::uint8_t> bytes) {
            return Part(InlineData{std::move(mimetype), std::move(bytes)});
        }
        static Part fileData(std::string mimetype, std::string uri) {
            return Part(FileData{std::move(mimetype), std::move(uri)});
        }
        static Part functionCall(FunctionCall call) { return Part(std::move(call)); }
        static Part functionResponse(FunctionResponse response) { return Part(std::move(response)); }
        static Part executableCode(ExecutableCode code) { return Part(std::move(code)); }
        static Part codeExecutionResult(CodeExecutionResult result) { return Part(std::move(result)); }
        // Inline data marked as JPEG or PNG; the bytes are not inspected.
        static Part jpegImage(std::vector<std::uint8_t> bytes) { return data("image/jpeg", std::move(bytes)); }
        static Part pngImage(std::vector<std::uint8_t> bytes) { return data("image/png", std::move(bytes)); }

        Kind kind() const { return static_cast<Kind>(payload_.index()); }
        const Payload& payload() const { return payload_; }
        // The text of a text part; nullopt for every other kind.
        std::optional<std::string> textValue() const;

        template <class T>
        const T* as() const { return std::get_if<T>(&payload_); }

        bool operator==(const Part&) const = default;

    private:
        explicit Part(Payload payload) : payload_(std::move(payload)) {}
        Payload payload_;
    };

    std::optional<std::string> role;
    std::vector<Part> parts;

    ModelContent() = default;
    // The turn exactly as given; an absent role stays absent.
    ModelContent(std::optional<std::string> role, std::vector<Part> parts)
        : role(std::move(role)), parts(std::move(parts)) {}

    bool operator==(const ModelContent&) const = default;
};

} // namespace genai
