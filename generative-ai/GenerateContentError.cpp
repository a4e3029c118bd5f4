#include "generative-ai/GenerateContentError.h"

namespace genai {

namespace {
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

} // namespace genai
