#pragma once

#include "generative-ai/GenerateContentRequest.h"
#include "platform/net/HttpClient.h"
#include "platform/runtime/AsyncThrowingStream.h"
#include "platform/runtime/Executor.h"
#include "platform/runtime/Task.h"

#include <cstddef>
#include <exception>
#include <string>
#include <string_view>

namespace genai {

namespace GenerativeAIClient {
// The client library's version, sent in the "x-goog-api-client" header.
inline constexpr const char* version = "1.0.0";
} // namespace GenerativeAIClient

// The most a reply may hold: a whole body, one line of a streamed reply, or the text gathered from
// a streamed reply's error lines. More ends the request with glimmo::HttpError (tooLarge).
inline constexpr std::size_t maximumReplyBytes = 32 << 20;

// A streamed reply's producer runs at most this many decoded replies ahead of its reader, then waits,
// and the transfer pauses with it: memory stays flat however long the reply.
inline constexpr std::size_t streamedRepliesAhead = 16;

// The client's road to the network: posts a request value as JSON with the API key, checks for
// status 200 and decodes the reply. A refused request throws the server's RPCError (or, when the
// body is no error object, the decoding error); a reply that does not decode throws the decoding
// error. The key goes to no other origin than the request's: a redirect elsewhere fails with
// glimmo::HttpError (redirectRefused). Holds no state between requests, so it may be copied and used
// from any task.
class GenerativeAIService {
public:
    GenerativeAIService(std::string apiKey, glimmo::HttpClient& urlSession);

    glimmo::Task<GenerateContentResponse> loadRequest(GenerateContentRequest request) const;
    glimmo::Task<CountTokensResponse> loadRequest(CountTokensRequest request) const;

    // Returns at once; a task on `executor` posts the request and yields one reply per "data:"
    // line of the server-sent events, at most streamedRepliesAhead ahead of the reader. The stream
    // always finishes: normally after the last line, or with the first error (a failure to send, a
    // refused request, an undecodable line, a transfer that breaks off midway). When the consumer
    // goes away the transfer is stopped.
    glimmo::AsyncThrowingStream<GenerateContentResponse> loadRequestStream(GenerateContentRequest request,
                                                                          glimmo::Executor& executor) const;

    // The HTTP request for a request value: POST to its URL with the headers, the JSON body and the
    // options' time-out. Throws what building the URL or the body throws.
    glimmo::HttpRequest urlRequest(const GenerateContentRequest& request) const;
    glimmo::HttpRequest urlRequest(const CountTokensRequest& request) const;

    // Checks that a reply is an HTTP reply, one with a three-digit status code. Otherwise logs it and
    // throws the client error "Response was not an HTTP response.".
    static void httpResponse(int status);
    // The text as bytes; throws the client error "Could not parse response as UTF8." when it is not
    // valid UTF-8.
    static std::string jsonData(std::string_view text);
    // The error to throw for the body of a refused request: the decoded RPCError, or the error that
    // decoding it raised. Never throws itself.
    static std::exception_ptr parseError(std::string_view body);
    // Decodes a reply body; on failure logs the body and the error, then throws the error.
    static GenerateContentResponse parseGenerateContentResponse(std::string_view body);
    // One event of a streamed reply, the text after "data:": decoded the same way, and text that is
    // not UTF-8 fails as jsonData fails.
    static GenerateContentResponse parseStreamEvent(std::string_view data);
    static CountTokensResponse parseCountTokensResponse(std::string_view body);

    const std::string& apiKey() const { return apiKey_; }
    glimmo::HttpClient& urlSession() const { return *urlSession_; }

private:
    std::string apiKey_;
    glimmo::HttpClient* urlSession_;
};

} // namespace genai
