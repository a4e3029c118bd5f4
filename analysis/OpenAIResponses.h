#pragma once

#include "platform/foundation/Error.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace glimmo {

// A failed exchange with a web service, as the platform's URL errors report it.
class URLError : public Error {
public:
    static constexpr const char* errorDomain = "glimmo.url";
    enum Code { badServerResponse = -1011, cannotParseResponse = -1017 };

    URLError(Code code, std::string description) : Error(errorDomain, code, std::move(description)) {}
    ErrorValue::Thrower copyForThrowing() const override { return ErrorValue::thrower(*this); }
};

// The text sent as the request's input: the context, "\n\n User Query: " and the question, at most
// `maxCharacters` user-perceived characters. When it is too long the context is shortened, so the
// question always arrives whole (it is cut only when it alone is longer than the limit).
std::string openAIInput(std::string_view context, std::string_view message, std::size_t maxCharacters);

// The largest reply body read; a longer one ends the request with HttpError (tooLarge).
inline constexpr std::size_t openAIReplyLimit = 32 << 20;

// The JSON body: {"model": "gpt-4.1", "input": <input>}.
std::string openAIRequestBody(std::string_view input);

// The reply's output[0].content[0].text without surrounding white space. Throws URLError
// (badServerResponse) for any status but 200, naming the status and the body, and URLError
// (cannotParseResponse) when the path is missing; a body that is not JSON throws JSONDecodingError.
std::string openAIReplyText(int status, const std::string& body);

} // namespace glimmo
