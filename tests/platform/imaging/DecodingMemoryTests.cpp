#include "platform/imaging/ImageDecoding.h"
#include "tests/platform/imaging/DemandingImageFiles.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <malloc.h>
#include <sys/wait.h>
#include <unistd.h>

namespace glimmo {
namespace {

using testing::WebPKind;

// What one decode was charged and how much its process's resident memory grew at its peak.
struct DecodeMemory {
    std::size_t charged = 0;
    std::size_t peakGrowth = 0;
    bool refused = false;
    bool finished = false;  // false too when the child could not report
};

std::size_t statusBytes(const std::string& field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(field + ":", 0) == 0) return std::stoull(line.substr(field.size() + 1)) * 1024;
    }
    return 0;
}

// In this process, which is about to end: makes the file, then measures its decode alone.
DecodeMemory measureDecode(const std::function<std::string()>& makeFile) {
    const std::string bytes = makeFile();
    malloc_trim(0);  // what making the file freed is not left resident for the decoder to reuse
    std::ofstream("/proc/self/clear_refs") << "5";  // the peak starts again from here
    const std::size_t before = statusBytes("VmRSS");
    DecodeMemory memory;
    ImageDecodingLimits limits;
    limits.maximumSeconds = 3600;  // a busy machine must not turn this into a refusal
    limits.beforeAllocating = [&memory](std::size_t byteCount) { memory.charged += byteCount; };
    limits.beforeAllocatingWorkspace = [&memory](std::size_t byteCount) { memory.charged += byteCount; };
    try {
        memory.finished = decodeImage(bytes, limits).isValid();
    } catch (const ImageDecodingError&) {
        memory.refused = memory.finished = true;
    }
    memory.peakGrowth = statusBytes("VmHWM") - before;
    return memory;
}

// Each decode runs in a child process of its own, so that nothing else moves its peak.
DecodeMemory measureInChild(const std::function<std::string()>& makeFile) {
    int channel[2];
    if (pipe(channel) != 0) return {};
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        const DecodeMemory memory = measureDecode(makeFile);
        const bool written = write(channel[1], &memory, sizeof memory) == static_cast<ssize_t>(sizeof memory);
        _exit(written ? 0 : 1);
    }
    close(channel[1]);
    DecodeMemory memory;
    if (child < 0 || read(channel[0], &memory, sizeof memory) != static_cast<ssize_t>(sizeof memory)) memory = {};
    close(channel[0]);
    if (child > 0) waitpid(child, nullptr, 0);
    return memory;
}

// Every format and mode at 8192 x 8192 pixels, and a PNG of one pixel with 158 MB of compressed text:
// the decode's peak resident growth stays within what it was charged (its pixels and the memory its
// decoder works in) with a quarter more and 64 MiB to spare for what does not grow with the image.
TEST(DecodingMemory, PeakGrowthOfEveryFormatAndModeStaysWithinItsCharge) {
    constexpr int side = 8192;
    struct Case {
        const char* name;
        int side;
        std::function<std::string()> makeFile;
    };
    const std::vector<Case> cases = {
        {"PNG", side, [] { return testing::largePNG(side, side, 8, false); }},
        {"PNG 16-bit", side, [] { return testing::largePNG(side, side, 16, false); }},
        {"PNG interlaced", side, [] { return testing::largePNG(side, side, 8, true); }},
        {"PNG with text", 1, [] { return testing::pngWithCompressedText(20); }},
        {"JPEG", side, [] { return testing::largeJPEG(side, side, false, false); }},
        {"JPEG progressive", side, [] { return testing::largeJPEG(side, side, true, false); }},
        {"JPEG CMYK", side, [] { return testing::largeJPEG(side, side, false, true); }},
        {"JPEG progressive CMYK", side, [] { return testing::largeJPEG(side, side, true, true); }},
        {"GIF", side, [] { return testing::largeGIF(side, side, 1, false); }},
        {"GIF interlaced", side, [] { return testing::largeGIF(side, side, 1, true); }},
        {"GIF animated", side, [] { return testing::largeGIF(side, side, 3, false); }},
        {"WebP", side, [] { return testing::largeWebP(side, side, WebPKind::lossy); }},
        {"WebP with alpha", side, [] { return testing::largeWebP(side, side, WebPKind::lossyWithAlpha); }},
        {"WebP lossless", side, [] { return testing::largeWebP(side, side, WebPKind::lossless); }},
        {"WebP animated", side, [] { return testing::animatedWebPOfTinyFrames(side, side); }},
    };
    constexpr std::size_t mebibyte = 1 << 20;
    for (const Case& current : cases) {
        const DecodeMemory memory = measureInChild(current.makeFile);
        ASSERT_TRUE(memory.finished) << current.name << ": the decode did not finish";
        EXPECT_FALSE(memory.refused) << current.name << ": nothing here bounds the charge";
        const std::size_t pixelBytes = std::size_t{4} * current.side * current.side;
        EXPECT_GE(memory.peakGrowth, pixelBytes * 7 / 8 / mebibyte * mebibyte) << current.name << ": the pixels are not seen";
        EXPECT_LE(memory.peakGrowth, memory.charged + memory.charged / 4 + 64 * mebibyte)
            << current.name << ": charged " << memory.charged / mebibyte << " MiB, grew " << memory.peakGrowth / mebibyte
            << " MiB";
    }
}

} // namespace
} // namespace glimmo
