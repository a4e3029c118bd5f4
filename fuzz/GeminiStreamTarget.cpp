#include "fuzz/FuzzSupport.h"
#include "fuzz/FuzzTargets.h"
#include "fuzz/GeminiRefusals.h"

#include "generative-ai/GenerateContentResponse.h"
#include "generative-ai/GenerativeAIService.h"
#include "platform/net/LineSplitter.h"

#include <algorithm>
#include <string>
#include <vector>

namespace glimmo::fuzz::geminiStream {

namespace {

// The service's reading of one stream: "data:" lines are replies, the other lines together an error.
void readEvents(const std::vector<std::string>& lines) {
    std::string otherLines;
    for (const std::string& line : lines) {
        if (line.starts_with("data:")) {
            refusedOrDecoded([&] {
                (void)genai::GenerativeAIService::parseStreamEvent(std::string_view(line).substr(5)).text();
            });
        } else {
            otherLines += line;
        }
    }
    if (!otherLines.empty()) {
        refusedOrDecoded([&] {
            std::rethrow_exception(genai::GenerativeAIService::parseError(genai::GenerativeAIService::jsonData(otherLines)));
        });
    }
}

} // namespace

int fuzzOne(const std::uint8_t* data, std::size_t size) {
    silenceLogs();
    if (size == 0) {
        return 0;
    }
    // The first byte chooses how the rest arrives: in pieces of 1 to 256 bytes.
    const std::size_t piece = std::size_t{data[0]} + 1;
    const std::string_view stream = bytesOf(data + 1, size - 1);
    const auto split = [stream](std::size_t pieceSize) {
        LineSplitter splitter;
        std::vector<std::string> lines;
        for (std::size_t offset = 0; offset < stream.size(); offset += pieceSize) {
            splitter.append(std::string(stream.substr(offset, pieceSize)));
            while (const auto line = splitter.next()) {
                lines.emplace_back(*line);
            }
        }
        if (const auto rest = splitter.rest()) {
            lines.emplace_back(*rest);
        }
        return lines;
    };
    const std::vector<std::string> lines = split(piece);
    // The same bytes arriving whole must give the same lines.
    const std::vector<std::string> wholeLines = split(std::max<std::size_t>(stream.size(), 1));
    if (wholeLines != lines) {
        fail("lines depend on how the bytes were cut");
    }
    readEvents(lines);
    return 0;
}

} // namespace glimmo::fuzz::geminiStream
