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
    std::optional<std::size_t> knownSize() const override { return base64DecodedSize(text_); }
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

namespace {

// The file's text as the writer makes it, handed piece by piece to `sink`: its own text, and values
// written in their shortest compact JSON. The one place that says what the file holds, whether the
// text is made or only measured.
template <class Sink>
void writeFile(const DefaultsEntries& values, Sink& sink) {
    if (values.empty()) {
        sink.text("{}");
        return;
    }
    sink.text("{");
    bool first = true;
    for (const auto& [key, value] : values) {
        sink.text(first ? "\n  " : ",\n  ");
        first = false;
        sink.json(nlohmann::ordered_json(key));
        sink.text(": ");
        if (value->data()) {
            sink.text("{\"");
            sink.text(defaultsDataTag);
            sink.text("\":\"");
            sink.text(value->base64());
            sink.text("\"}");
        } else {
            sink.json(value->json());
        }
    }
    sink.text("\n}");
}

struct TextSink {
    std::string& out;
    void text(std::string_view piece) { out += piece; }
    void json(const nlohmann::ordered_json& value) { appendShortestJSON(out, value); }
};

struct SizeSink {
    std::size_t size = 0;
    void text(std::string_view piece) { size += piece.size(); }
    void json(const nlohmann::ordered_json& value) { size += shortestJSONSize(value); }
};

} // namespace

DefaultsEntries defaultsEntries(std::string_view fileText, const JSONLimits& limits) {
    nlohmann::ordered_json object = parseOrderedJSON(fileText, limits);
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
    // Written as the writer writes it (a member a line, every number in its shortest form), a text may
    // take more bytes than it did; one the writer could not write back is refused here, not after a change.
    // As deep and with no more values, it passes the other limits.
    if (const std::size_t written = defaultsFileSize(values); written > limits.bytes) {
        throw JSONDecodingError("", "The data would take " + std::to_string(written) + " bytes written back, more than " +
                                        std::to_string(limits.bytes) + ".");
    }
    return values;
}

std::size_t defaultsFileSize(const DefaultsEntries& values) {
    SizeSink sink;
    writeFile(values, sink);
    return sink.size;
}

std::string defaultsFileText(const DefaultsEntries& values, const JSONLimits& limits) {
    std::size_t bytesText = 0;
    for (const auto& entry : values) {
        bytesText += entry.second->data() ? entry.second->base64().size() : 0;
    }
    std::string text;
    text.reserve(bytesText + 64 * values.size() + 2);
    TextSink sink{text};
    writeFile(values, sink);
    checkJSONLimits(text, limits);
    return text;
}

} // namespace glimmo
