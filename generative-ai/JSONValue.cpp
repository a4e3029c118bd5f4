#include "generative-ai/JSONValue.h"

namespace genai {

JSONValue::Kind JSONValue::kind() const {
    switch (storage_.index()) {
    case 1: return Kind::number;
    case 2: return Kind::string;
    case 3: return Kind::boolean;
    case 4: return Kind::object;
    case 5: return Kind::array;
    default: return Kind::null;
    }
}

} // namespace genai
