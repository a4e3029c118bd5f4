#include "generative-ai/GenerateContentRequest.h"

#include "generative-ai/ClientError.h"
#include "generative-ai/internal/JSONCoding.h"
#include "platform/foundation/URL.h"

namespace genai {

namespace {

// The pieces are joined as they are; a model name or version that cannot stand in a URL is refused
// here rather than sent.
std::string endpointURL(const RequestOptions& options, const std::string& model, std::string_view suffix) {
    std::string url = options.baseURL + "/" + options.apiVersion + "/" + model + std::string(suffix);
    const auto parsed = glimmo::URL::parse(url);
    if (!parsed || !parsed->host() || parsed->host()->empty()) throw InvalidRequestURLError(url);
    return url;
}

std::string serialize(const coding::Json& json) {
    return json.dump(-1, ' ', false, coding::Json::error_handler_t::replace);
}

} // namespace

std::string GenerateContentRequest::url() const {
    return endpointURL(options, model, isStreaming ? ":streamGenerateContent?alt=sse" : ":generateContent");
}

std::string GenerateContentRequest::encodeBody() const { return serialize(coding::encode(*this)); }

std::string CountTokensRequest::url() const { return endpointURL(options, model, ":countTokens"); }

std::string CountTokensRequest::encodeBody() const {
    coding::Json body = coding::Json::object();
    body["generate_content_request"] = coding::encode(generateContentRequest);
    return serialize(body);
}

} // namespace genai
