#include "fuzz/FuzzSupport.h"
#include "fuzz/FuzzTargets.h"
#include "fuzz/GeminiRefusals.h"

#include "generative-ai/GenerateContentRequest.h"
#include "generative-ai/GenerativeAIService.h"

namespace glimmo::fuzz::geminiReply {

int fuzzOne(const std::uint8_t* data, std::size_t size) {
    silenceLogs();
    const std::string_view body = bytesOf(data, size);
    refusedOrDecoded([&] {
        const auto response = genai::GenerativeAIService::parseGenerateContentResponse(body);
        (void)response.text();
        (void)response.functionCalls();
        // A chat sends the reply's content back with its next request.
        genai::GenerateContentRequest request;
        request.model = "models/gemini-2.0-flash";
        for (const auto& candidate : response.candidates) {
            request.contents.push_back(candidate.content);
        }
        (void)request.encodeBody();
    });
    refusedOrDecoded([&] { (void)genai::GenerativeAIService::parseCountTokensResponse(body); });
    refusedOrDecoded([&] { std::rethrow_exception(genai::GenerativeAIService::parseError(body)); });
    return 0;
}

} // namespace glimmo::fuzz::geminiReply
