#include "bench/app/OlderRecordFile.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <string>
#include <string_view>

namespace glimmo::bench {
namespace {

namespace fs = std::filesystem;

constexpr int recordsPerDay = 288;
constexpr std::size_t summaryBytes = 1500;

void appendNumber(std::string& out, double value) {
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    out.append(buffer, end);
    if (std::string_view(buffer, static_cast<std::size_t>(end - buffer)).find_first_of(".e") == std::string_view::npos) {
        out += ".0";
    }
}

} // namespace

std::uintmax_t writeOlderRecordFile(const fs::path& path, int days, Date now) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    static const char* apps[] = {"Editor", "Terminal", "Mail", "Google Chrome", "Calendar", "Music"};
    std::string base;
    while (base.size() < summaryBytes) base += "The user edits a document about the quarterly plan; a list of notes and a chart. ";
    std::string text = "[";
    const long long count = static_cast<long long>(days) * recordsPerDay;
    for (long long i = 0; i < count; ++i) {
        char id[37];
        std::snprintf(id, sizeof id, "%08llX-0000-4000-8000-%012llX", static_cast<unsigned long long>(i) >> 20,
                      static_cast<unsigned long long>(i));
        text += i == 0 ? "\n  {\n    \"id\": \"" : ",\n  {\n    \"id\": \"";
        text += id;
        text += "\",\n    \"appName\": \"";
        text += apps[i % 6];
        text += "\",\n    \"timestamp\": ";
        appendNumber(text, now.secondsSinceReferenceDate - 300.0 * static_cast<double>(i + 1));
        text += ",\n    \"duration\": ";
        appendNumber(text, 290.5);
        text += ",\n    \"activeTime\": ";
        appendNumber(text, 200.0);
        text += ",\n    \"windowText\": \"";
        const std::string prefix = "Record " + std::to_string(i) + ". ";
        text += prefix;
        text.append(base, 0, summaryBytes - prefix.size());
        text += "\"\n  }";
        if (text.size() > (1 << 20)) {
            out << text;
            text.clear();
        }
    }
    text += count == 0 ? "]" : "\n]";
    out << text;
    out.close();
    return fs::file_size(path);
}


} // namespace glimmo::bench
