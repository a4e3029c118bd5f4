// How long a lossless WebP file whose head is costly to read takes to be refused under a time limit
// of 1 ms. The file is of 8192 x 8192 pixels, 1 MiB: a predictor's image of 1024 x 1024 pixels (a
// byte each) and a prefix image of 2048 x 2048 (no bits each) lie ahead of the pixels, and the decoder
// reads both before libwebp does, to count what libwebp will allocate. The independent baseline is the
// least any refusal costs: libwebp's own WebPGetInfo reading the file's header, then the limit running
// out. Prints the figures and
//   ratio image_refuse_webp_head_over_least <refusal / the least refusal>
//   ratio image_refuse_webp_head_ms <the refusal, in milliseconds; the goal is a few at most>
//
// Usage: webp_head_refusal_bench [runs]   (default 7; medians of the runs)

#include "bench/BenchProgram.h"
#include "platform/imaging/ImageDecoding.h"
#include "tests/platform/imaging/LosslessWebPWriter.h"

#include <webp/decode.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr double limitSeconds = 0.001;

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

double refusalSeconds(const std::string& file) {
    const auto start = Clock::now();
    try {
        glimmo::decodeImage(file, {.maximumSeconds = limitSeconds});
    } catch (const glimmo::ImageDecodingError& error) {
        if (error.kind() != glimmo::ImageDecodingError::Kind::tooMuchWork) glimmo::bench::fail(error.what());
        return secondsSince(start);
    }
    glimmo::bench::fail("the file was decoded within the limit");
}

double leastRefusalSeconds(const std::string& file) {
    const auto start = Clock::now();
    int width = 0;
    int height = 0;
    if (!WebPGetInfo(reinterpret_cast<const std::uint8_t*>(file.data()), file.size(), &width, &height) || width != 8192) {
        glimmo::bench::fail("libwebp cannot read the header");
    }
    while (secondsSince(start) < limitSeconds) {
    }
    return secondsSince(start);
}

} // namespace

int main(int argc, char** argv) {
    const int runs = glimmo::bench::runsFrom(argc, argv, 7);
    const std::string file =
        glimmo::testing::losslessWebP({.width = 8192, .height = 8192, .prefixBits = 2, .predictor = true});
    std::vector<double> ours;
    std::vector<double> least;
    for (int run = 0; run < runs; ++run) {
        ours.push_back(refusalSeconds(file));
        least.push_back(leastRefusalSeconds(file));
    }
    const double oursMedian = glimmo::bench::median(ours);
    const double leastMedian = glimmo::bench::median(least);
    std::printf("refuse WebP head 8192x8192 (%zu bytes)   ours %8.3f ms   least %8.3f ms\n", file.size(), oursMedian * 1e3,
                leastMedian * 1e3);
    glimmo::bench::printRatio("image_refuse_webp_head_over_least", oursMedian / leastMedian);
    glimmo::bench::printLongestMs("image_refuse_webp_head_ms", oursMedian, 5, "the refusal took");
    return 0;
}
