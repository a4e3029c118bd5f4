#include "app/ActivityRecordStream.h"

#include "app/ActivityRecordDecoding.h"
#include "platform/foundation/FileChunks.h"
#include "platform/foundation/Json.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <istream>
#include <optional>
#include <streambuf>
#include <vector>

namespace glimmo {
namespace {

using Json = nlohmann::json;

// The keys a record is decoded from; any other member is skipped unread, as the whole-file reader does.
bool isRecordKey(const std::string& key) {
    static constexpr std::array<const char*, 6> keys{"id", "appName", "timestamp", "duration", "activeTime", "windowText"};
    return std::any_of(keys.begin(), keys.end(), [&](const char* known) { return key == known; });
}

// The text a piece at a time from `read`, counting what it has handed out, so the parse can be stopped
// once one record has taken more than its bound.
class ChunkBuffer : public std::streambuf {
public:
    using Read = std::function<std::size_t(char*, std::size_t)>;
    ChunkBuffer(Read read, std::size_t chunkBytes) : read_(std::move(read)), chunk_(chunkBytes) {}

    // Bytes handed to the parser so far.
    std::size_t consumed() const { return delivered_ - static_cast<std::size_t>(egptr() - gptr()); }
    // Where the record being read began, or nullopt between records.
    std::optional<std::size_t> recordStart;
    std::size_t recordIndex = 0;
    std::size_t longestRecord = 0;

protected:
    int_type underflow() override {
        // Within a record, no more than its bound is handed out: a parse that asks for more has a
        // record that is larger.
        std::size_t wanted = chunk_.size();
        if (recordStart) {
            const std::size_t used = delivered_ - *recordStart;
            if (used >= longestRecord) {
                throw JSONDecodingError("[" + std::to_string(recordIndex) + "]",
                                        "a record larger than " + std::to_string(longestRecord) + " bytes");
            }
            wanted = std::min(wanted, longestRecord - used);
        }
        const std::size_t count = read_(chunk_.data(), wanted);
        if (count == 0) {
            return traits_type::eof();
        }
        // The parser would take a NUL byte for the end of the text; the whole-file reader refuses it
        // anywhere.
        if (std::memchr(chunk_.data(), '\0', count) != nullptr) {
            throw JSONDecodingError("", "The data contains a NUL byte.");
        }
        delivered_ += count;
        setg(chunk_.data(), chunk_.data(), chunk_.data() + count);
        return traits_type::to_int_type(chunk_[0]);
    }

private:
    Read read_;
    std::vector<char> chunk_;
    std::size_t delivered_ = 0;
};

// Parse events to records: the top level must be an array of objects; the known members of each
// object are gathered into a small JSON object that the shared decoder reads, so both readers agree
// on every rule (a key given twice counts with its last value, wrong types fail).
class RecordEvents : public nlohmann::json_sax<Json> {
public:
    RecordEvents(ChunkBuffer& buffer, const ActivityRecordTake& take) : buffer_(buffer), take_(take) {}

    bool null() override { return scalar(Json(nullptr)); }
    bool boolean(bool value) override { return scalar(Json(value)); }
    bool number_integer(number_integer_t value) override { return scalar(Json(value)); }
    bool number_unsigned(number_unsigned_t value) override { return scalar(Json(value)); }
    bool number_float(number_float_t value, const string_t&) override { return scalar(Json(value)); }
    bool string(string_t& value) override { return scalar(Json(std::move(value))); }
    bool binary(binary_t&) override { return scalar(Json(nullptr)); }

    bool start_object(std::size_t) override {
        enter();
        if (depth_ == 1) {
            notAnArray();
        }
        if (depth_ == 2) {
            record_ = Json::object();
            buffer_.recordStart = buffer_.consumed();
            buffer_.recordIndex = index_;
        } else if (depth_ == 3) {
            compoundValue();
        }
        return true;
    }
    bool key(string_t& key) override {
        if (depth_ == 2) {
            key_ = isRecordKey(key) ? std::optional<std::string>(std::move(key)) : std::nullopt;
        }
        return true;
    }
    bool end_object() override {
        if (depth_ == 2) {
            ActivityRecordValue record = decodeActivityRecord(record_, path());
            buffer_.recordStart.reset();
            ++index_;
            if (!take_(std::move(record))) {
                return false; // the parse ends here, with no error
            }
        }
        --depth_;
        return true;
    }
    bool start_array(std::size_t) override {
        enter();
        if (depth_ == 2) {
            notAnObject();
        } else if (depth_ == 3) {
            compoundValue();
        }
        return true;
    }
    bool end_array() override {
        --depth_;
        return true;
    }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& error) override {
        throw JSONDecodingError("", std::string("The data is not valid JSON: ") + error.what());
    }

private:
    std::string path() const { return "[" + std::to_string(index_) + "]"; }
    [[noreturn]] void notAnArray() const { throw JSONDecodingError("", "expected an array of records"); }
    [[noreturn]] void notAnObject() const { throw JSONDecodingError(path(), "expected an object"); }

    void enter() {
        if (++depth_ > maximumJSONNestingDepth) {
            throw JSONDecodingError("", "The data is nested deeper than " + std::to_string(maximumJSONNestingDepth) +
                                            " levels.");
        }
    }
    // An object or array as a member's value: of a known key it is the wrong type, which the decoder
    // reports unless a later value of the same key replaces it.
    void compoundValue() {
        if (key_) {
            record_[*key_] = Json::object();
        }
    }
    bool scalar(Json value) {
        if (depth_ == 0) {
            notAnArray();
        } else if (depth_ == 1) {
            notAnObject();
        } else if (depth_ == 2 && key_) {
            record_[*key_] = std::move(value);
        }
        return true;
    }

    ChunkBuffer& buffer_;
    const ActivityRecordTake& take_;
    std::size_t depth_ = 0;
    std::size_t index_ = 0;
    Json record_;
    std::optional<std::string> key_;
};

void parseRecords(ChunkBuffer::Read read, const ActivityRecordTake& take, std::size_t longestRecord) {
    // Pieces small enough that the bound is checked well before a record passes it by much.
    const std::size_t chunkBytes = std::clamp<std::size_t>(longestRecord / 4, 1, std::size_t{1} << 20);
    ChunkBuffer buffer(std::move(read), chunkBytes);
    buffer.longestRecord = longestRecord;
    std::istream stream(&buffer);
    RecordEvents events(buffer, take);
    Json::sax_parse(stream, &events, nlohmann::json::input_format_t::json, true);
}

ActivityRecordTake takingEvery(const ActivityRecordSink& sink) {
    return [&sink](ActivityRecordValue&& record) {
        sink(std::move(record));
        return true;
    };
}

} // namespace

bool streamActivityRecordsWhile(const std::filesystem::path& path, const ActivityRecordTake& take, std::size_t longestRecord) {
    std::optional<FileChunkReader> file = FileChunkReader::open(path);
    if (!file) {
        return false;
    }
    streamActivityRecordsFrom([&file](char* into, std::size_t count) { return file->read(into, count); }, take,
                              longestRecord);
    return true;
}

bool streamActivityRecords(const std::filesystem::path& path, const ActivityRecordSink& sink, std::size_t longestRecord) {
    return streamActivityRecordsWhile(path, takingEvery(sink), longestRecord);
}

void streamActivityRecordsFrom(const ActivityRecordTextRead& read, const ActivityRecordTake& take,
                               std::size_t longestRecord) {
    parseRecords(read, take, longestRecord);
}

} // namespace glimmo
