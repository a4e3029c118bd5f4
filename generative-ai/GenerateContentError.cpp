#include "generative-ai/GenerateContentError.h"

namespace genai {

namespace {

using glimmo::ErrorValue;

GenerateContentError copyOf(const GenerateContentError& error) {
    using Kind = GenerateContentError::Kind;
    switch (error.kind()) {
        case Kind::promptImageContentError:
            try {
                std::rethrow_exception(error.underlying());
            } catch (const ImageConversionError& conversion) {
                return GenerateContentError::promptImageContentError(ErrorValue::detached(conversion));
            }
        case Kind::internalError:
            return GenerateContentError::internalError(ErrorValue::copied(error.underlying()));
        case Kind::promptBlocked:
            return GenerateContentError::promptBlocked(*error.response());
        case Kind::responseStoppedEarly:
            return GenerateContentError::responseStoppedEarly(*error.reason(), *error.response());
        case Kind::invalidAPIKey:
            return GenerateContentError::invalidAPIKey(error.message());
        case Kind::unsupportedUserLocation:
            break;
    }
    return GenerateContentError::unsupportedUserLocation();
}

CountTokensError copyOf(const CountTokensError& error) {
    return CountTokensError::internalError(ErrorValue::copied(error.underlying()));
}

std::string describe(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& exception) {
        return exception.what();
    } catch (...) {
        return "unknown error";
    }
}
} // namespace

GenerateContentError::GenerateContentError(Kind kind, const std::string& description)
    : std::runtime_error(description), kind_(kind) {}

GenerateContentError GenerateContentError::promptImageContentError(ImageConversionError underlying) {
    GenerateContentError error(Kind::promptImageContentError,
                               std::string("An image in the prompt could not be converted: ") + underlying.what());
    error.underlying_ = std::make_exception_ptr(std::move(underlying));
    return error;
}

GenerateContentError GenerateContentError::internalError(std::exception_ptr underlying) {
    GenerateContentError error(Kind::internalError, "Internal error: " + describe(underlying));
    error.underlying_ = std::move(underlying);
    return error;
}

GenerateContentError GenerateContentError::promptBlocked(GenerateContentResponse response) {
    GenerateContentError error(Kind::promptBlocked, "The prompt was blocked.");
    error.response_ = std::move(response);
    return error;
}

GenerateContentError GenerateContentError::responseStoppedEarly(FinishReason reason, GenerateContentResponse response) {
    GenerateContentError error(Kind::responseStoppedEarly,
                               "The response stopped early: " + std::string(rawValue(reason)));
    error.reason_ = reason;
    error.response_ = std::move(response);
    return error;
}

GenerateContentError GenerateContentError::invalidAPIKey(std::string message) {
    GenerateContentError error(Kind::invalidAPIKey, "Invalid API key: " + message);
    error.message_ = std::move(message);
    return error;
}

GenerateContentError GenerateContentError::unsupportedUserLocation() {
    return GenerateContentError(Kind::unsupportedUserLocation, "The user's location is not supported.");
}

CountTokensError::CountTokensError(const std::string& description, std::exception_ptr underlying)
    : std::runtime_error(description), underlying_(std::move(underlying)) {}

CountTokensError CountTokensError::internalError(std::exception_ptr underlying) {
    const auto description = "Internal error: " + describe(underlying);
    return CountTokensError(description, std::move(underlying));
}

glimmo::ErrorValue::Thrower GenerateContentError::copyForThrowing() const { return ErrorValue::thrower(copyOf(*this)); }

glimmo::ErrorValue::Thrower CountTokensError::copyForThrowing() const { return ErrorValue::thrower(copyOf(*this)); }

} // namespace genai
