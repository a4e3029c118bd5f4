#include "generative-ai/FunctionCalling.h"

namespace genai {

Schema::Schema(DataType type, std::optional<std::string> format, std::optional<std::string> description,
               std::optional<bool> nullable, std::optional<std::vector<std::string>> enumValues, Pointer items,
               std::optional<std::map<std::string, Pointer>> properties,
               std::optional<std::vector<std::string>> requiredProperties)
    : type(type), format(std::move(format)), description(std::move(description)), nullable(nullable),
      enumValues(std::move(enumValues)), items(std::move(items)), properties(std::move(properties)),
      requiredProperties(std::move(requiredProperties)) {}

FunctionDeclaration::FunctionDeclaration(std::string name, std::string description,
                                         std::optional<std::map<std::string, Schema::Pointer>> parameters,
                                         std::optional<std::vector<std::string>> requiredParameters)
    : name(std::move(name)), description(std::move(description)),
      parameters(Schema::make(DataType::object, std::nullopt, std::nullopt, std::nullopt, std::nullopt, nullptr,
                              std::move(parameters), std::move(requiredParameters))) {}

} // namespace genai
