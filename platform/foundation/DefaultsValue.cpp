#include "platform/foundation/DefaultsValue.h"

#include "platform/foundation/Json.h"

namespace glimmo {

namespace {

// Bytes as the file held them: Base64 text (checked when read from the file), decoded each time they
// are read.
class Base64Bytes final : public DefaultsData {
public:
    explicit Base64Bytes(std::string text) : text_(std::move(text)) {}
    std::vector<std::uint8_t> bytes() const override { return *base64Decode(text_); }
    const std::string& text() const { return text_; }

private:
    const std::string text_;
};

// {"data": "<base64>"} and nothing else: a byte value as this class writes it.
std::string* byteValueText(nlohmann::ordered_json& value) {
    if (!value.is_object() || value.size() != 1) {
        return nullptr;
    }
    const auto text = value.find(defaultsDataTag);
    if (text == value.end() || !text->is_string() || !isBase64(text->get_ref<const std::string&>())) {
        return nullptr;
    }
    return &text->get_ref<std::string&>();
}

} // namespace

const std::string& DefaultsValue::base64() const {
    if (const auto* read = dynamic_cast<const Base64Bytes*>(data_.get())) {
        return read->text();
    }
    std::call_once(encoding_, [this] { base64_ = base64Encode(data_->bytes()); });
    return base64_;
}

DefaultsEntries defaultsEntries(std::string_view fileText) {
    nlohmann::ordered_json object = parseOrderedJSON(fileText, defaultsFileLimits);
    if (!object.is_object()) {
        throw JSONDecodingError("", "the defaults file does not hold a JSON object");
    }
    DefaultsEntries values;
    values.reserve(object.size());
    for (auto item = object.begin(); item != object.end(); ++item) {
        if (std::string* text = byteValueText(item.value())) {
            auto bytes = std::make_shared<const Base64Bytes>(std::move(*text));
            values.emplace_back(item.key(), std::make_shared<const DefaultsValue>(std::move(bytes)));
        } else {
            values.emplace_back(item.key(), std::make_shared<const DefaultsValue>(std::move(item.value())));
        }
    }
    return values;
}

std::string defaultsFileText(const DefaultsEntries& values) {
    if (values.empty()) {
        return "{}";
    }
    std::size_t bytesText = 0;
    for (const auto& entry : values) {
        bytesText += entry.second->data() ? entry.second->base64().size() : 0;
    }
    std::string text = "{";
    text.reserve(bytesText + 64 * values.size());
    bool first = true;
    for (const auto& [key, value] : values) {
        text += first ? "\n  " : ",\n  ";
        first = false;
        text += compactJSON(nlohmann::ordered_json(key));
        text += ": ";
        if (value->data()) {
            text += "{\"" + std::string(defaultsDataTag) + "\":\"";
            text += value->base64();
            text += "\"}";
        } else {
            text += compactJSON(value->json());
        }
    }
    text += "\n}";
    checkJSONLimits(text, defaultsFileLimits);
    return text;
}

} // namespace glimmo
