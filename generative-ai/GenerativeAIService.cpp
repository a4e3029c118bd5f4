#include "generative-ai/GenerativeAIService.h"

#include "generative-ai/ClientError.h"
#include "generative-ai/DecodingError.h"
#include "generative-ai/Logging.h"
#include "generative-ai/RPCError.h"
#include "platform/foundation/Text.h"

#include <algorithm>
#include <memory>

namespace genai {

namespace {

using glimmo::HttpRequest;
using glimmo::Task;
using Stream = glimmo::AsyncThrowingStream<GenerateContentResponse>;

HttpRequest makeRequest(std::string url, std::string body, const RequestOptions& options, const std::string& apiKey) {
    HttpRequest request;
    request.method = "POST";
    request.url = std::move(url);
    request.headers = {
        {"x-goog-api-key", apiKey},
        {"x-goog-api-client", std::string("genai-cpp/") + GenerativeAIClient::version},
        {"Content-Type", "application/json"},
    };
    request.body = std::move(body);
    request.timeoutSeconds = options.timeout;
    request.carriesCredentials = true;
    return request;
}

std::string describeStatus(int status) { return "HTTP response with status code " + std::to_string(status); }

std::string describeError(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const glimmo::JSONDecodingError& decoding) {
        const auto& path = decoding.codingPath();
        return decoding.description() + (path.empty() ? "" : " (at " + path + ")");
    } catch (const std::exception& other) {
        return other.what();
    } catch (...) {
        return "unknown error";
    }
}

// Logs a refused request: the status on the network logger, the body (when it is text) on the
// default one.
void logRefusal(int status, std::string_view body) {
    Logging::network().error("[GenerativeAI] The server responded with an error: " + describeStatus(status));
    if (glimmo::isValidUTF8(body)) {
        Logging::defaultLogger().error("[GenerativeAI] Response payload: " + glimmo::logExcerpt(body));
    }
}

// With `textRequired`, a body that is no UTF-8 text fails as jsonData fails, without the decoding log
// lines. Text that decodes is valid UTF-8, so the bytes are checked only when decoding fails.
template <class Response>
Response parseLogging(std::string_view body, bool textRequired = false) {
    try {
        return Response::decode(body);
    } catch (...) {
        const auto error = std::current_exception();
        const bool isText = glimmo::isValidUTF8(body);
        if (textRequired && !isText) throw makeClientError("Could not parse response as UTF8.");
        if (isText) Logging::network().error("[GenerativeAI] JSON response: " + glimmo::logExcerpt(body));
        Logging::defaultLogger().error("[GenerativeAI] Error decoding server JSON: " + describeError(error));
        throw;
    }
}

// Appends to text that must stay within the reply limit.
void appendLimited(std::string& text, std::string_view more) {
    if (more.size() > maximumReplyBytes - std::min(text.size(), maximumReplyBytes)) {
        throw glimmo::HttpError(glimmo::HttpError::Kind::tooLarge,
                                "The reply exceeds " + std::to_string(maximumReplyBytes) + " bytes");
    }
    text += more;
}

template <class Request>
Task<typename Request::Response> load(GenerativeAIService service, Request request) {
    auto httpRequest = service.urlRequest(request);
    // Tasks are named before they are awaited: the compiler mishandles temporaries with destructors
    // inside a co_await expression.
    const glimmo::RequestOptions limits{.maxBodyBytes = maximumReplyBytes};
    auto sending = service.urlSession().send(std::move(httpRequest), limits);
    const auto response = co_await std::move(sending);
    GenerativeAIService::httpResponse(response.status);
    if (response.status != 200) {
        logRefusal(response.status, response.body);
        std::rethrow_exception(GenerativeAIService::parseError(response.body));
    }
    co_return parseLogging<typename Request::Response>(response.body);
}

// The error for the text of a refused or unfinished streamed reply.
std::exception_ptr parseErrorText(std::string_view text) {
    try {
        return GenerativeAIService::parseError(GenerativeAIService::jsonData(text));
    } catch (...) {
        return std::current_exception();
    }
}

Task<void> produceStream(GenerativeAIService service, GenerateContentRequest request, Stream::Continuation output) {
    try {
        auto httpRequest = service.urlRequest(request);
        const glimmo::LineStreamOptions limits{.maxLineBytes = maximumReplyBytes};
        auto opening = service.urlSession().streamLines(std::move(httpRequest), limits);
        auto reply = co_await std::move(opening);
        GenerativeAIService::httpResponse(reply.status);
        if (reply.status != 200) {
            Logging::network().error("[GenerativeAI] The server responded with an error: " +
                                     describeStatus(reply.status));
            std::string text;
            for (;;) {
                auto pending = reply.lines.next();
                const auto line = co_await std::move(pending);
                if (!line) break;
                appendLimited(text, *line);
                appendLimited(text, "\n");
            }
            if (glimmo::isValidUTF8(text)) {
                Logging::defaultLogger().error("[GenerativeAI] Response payload: " + glimmo::logExcerpt(text));
            }
            output.finish(parseErrorText(text));
            co_return;
        }
        const bool logLines = Logging::network().isEnabled() && Logging::network().isDebugEnabled();
        // Lines that are not "data:" events: a JSON error object sent without the prefix, say.
        std::string extraLines;
        for (;;) {
            auto pending = reply.lines.next();
            const auto line = co_await std::move(pending);
            if (!line) break;
            if (logLines) Logging::network().debug("[GenerativeAI] Stream response: " + glimmo::logExcerpt(*line));
            if (line->starts_with("data:")) {
                auto sending = output.send(GenerativeAIService::parseStreamEvent(line->substr(5)));
                co_await std::move(sending);
            } else {
                appendLimited(extraLines, *line);
            }
        }
        if (!extraLines.empty()) {
            output.finish(parseErrorText(extraLines));
        } else {
            output.finish();
        }
    } catch (...) {
        // Also a transfer that breaks off while the lines are read: the consumer learns of it
        // instead of waiting for lines that never come.
        output.finish(std::current_exception());
    }
}

} // namespace

GenerativeAIService::GenerativeAIService(std::string apiKey, glimmo::HttpClient& urlSession)
    : apiKey_(std::move(apiKey)), urlSession_(&urlSession) {}

Task<GenerateContentResponse> GenerativeAIService::loadRequest(GenerateContentRequest request) const {
    return load(*this, std::move(request));
}

Task<CountTokensResponse> GenerativeAIService::loadRequest(CountTokensRequest request) const {
    return load(*this, std::move(request));
}

Stream GenerativeAIService::loadRequestStream(GenerateContentRequest request, glimmo::Executor& executor) const {
    auto [stream, output] = Stream::make(streamedRepliesAhead);
    const auto handle = glimmo::startTask(executor, produceStream(*this, std::move(request), output));
    // Nobody reads any more: stop the transfer rather than let it run to its end.
    output.onTermination([handle] { handle.cancel(); });
    return std::move(stream);
}

HttpRequest GenerativeAIService::urlRequest(const GenerateContentRequest& request) const {
    return makeRequest(request.url(), request.encodeBody(), request.options, apiKey_);
}

HttpRequest GenerativeAIService::urlRequest(const CountTokensRequest& request) const {
    return makeRequest(request.url(), request.encodeBody(), request.options, apiKey_);
}

void GenerativeAIService::httpResponse(int status) {
    if (status >= 100 && status <= 999) return;
    Logging::defaultLogger().error("[GenerativeAI] Response wasn't an HTTP response, internal error "
                                   "reply without an HTTP status line (status " + std::to_string(status) + ")");
    throw makeClientError("Response was not an HTTP response.");
}

std::string GenerativeAIService::jsonData(std::string_view text) {
    if (!glimmo::isValidUTF8(text)) throw makeClientError("Could not parse response as UTF8.");
    return std::string(text);
}

std::exception_ptr GenerativeAIService::parseError(std::string_view body) {
    try {
        return std::make_exception_ptr(RPCError::decode(body));
    } catch (...) {
        return std::current_exception();
    }
}

GenerateContentResponse GenerativeAIService::parseGenerateContentResponse(std::string_view body) {
    return parseLogging<GenerateContentResponse>(body);
}

GenerateContentResponse GenerativeAIService::parseStreamEvent(std::string_view data) {
    return parseLogging<GenerateContentResponse>(data, true);
}

CountTokensResponse GenerativeAIService::parseCountTokensResponse(std::string_view body) {
    return parseLogging<CountTokensResponse>(body);
}

} // namespace genai
