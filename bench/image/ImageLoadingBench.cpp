// Decodes PNG, JPEG and WebP files through decodeImage and through the raw libraries, then loads a set of
// images from a loopback server through DefaultRemoteImageLoader (HTTP, decoding off the loop, the
// memory caches) and through plain libcurl followed by libpng, and prints the median times and their
// ratios. The disk cache is left out: the baseline writes no files.

#include "platform/imaging/ImageDecoding.h"
#include "platform/imaging/JPEGEncoding.h"
#include "platform/runtime/RealTimeRunLoop.h"
#include "platform/runtime/Task.h"
#include "RemoteImage/DefaultRemoteImageLoader.h"
#include "tests/platform/imaging/TestImageFiles.h"
#include "tests/support/LoopbackServer.h"

#include <curl/curl.h>
#include <jpeglib.h>
#include <png.h>
#include <webp/decode.h>
#include <webp/encode.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int rounds = 7;

double secondsOf(const std::function<void()>& work, int repetitions) {
    const auto start = Clock::now();
    for (int i = 0; i < repetitions; ++i) work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Runs both sides `rounds` times, alternating, and prints the medians and their ratio.
void compare(const char* label, const char* name, const std::function<double()>& ours,
             const std::function<double()>& baseline) {
    std::vector<double> oursSeconds;
    std::vector<double> baselineSeconds;
    for (int round = 0; round < rounds; ++round) {
        oursSeconds.push_back(ours());
        baselineSeconds.push_back(baseline());
    }
    std::printf("%-30s ours %8.3f s   raw %8.3f s\n", label, median(oursSeconds), median(baselineSeconds));
    std::printf("ratio %s %.2f\n", name, median(oursSeconds) / median(baselineSeconds));
}

std::size_t rawPNG(const std::string& bytes) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) throw std::runtime_error(image.message);
    image.format = PNG_FORMAT_RGBA;
    std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) throw std::runtime_error(image.message);
    return pixels.size();
}

std::size_t rawJPEG(const std::string& bytes) {
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_RGBA;
    jpeg_start_decompress(&info);
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(info.output_width) * info.output_height * 4);
    while (info.output_scanline < info.output_height) {
        JSAMPLE* row = pixels.data() + static_cast<std::size_t>(info.output_scanline) * info.output_width * 4;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return pixels.size();
}

std::size_t rawWebP(const std::string& bytes) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    int width = 0;
    int height = 0;
    if (!WebPGetInfo(data, bytes.size(), &width, &height)) throw std::runtime_error("not a WebP file");
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 4);
    if (!WebPDecodeRGBAInto(data, bytes.size(), pixels.data(), pixels.size(), width * 4)) throw std::runtime_error("WebP");
    return pixels.size();
}

// `image` as WebP: lossy at quality 85, or lossless as quickly as the encoder goes.
std::string encodeWebP(const glimmo::DecodedImage& image, bool lossless) {
    WebPConfig config;
    WebPPicture picture;
    if (!WebPConfigInit(&config) || !WebPPictureInit(&picture)) throw std::runtime_error("WebP encoder");
    config.lossless = lossless ? 1 : 0;
    config.method = lossless ? 0 : 4;
    config.quality = lossless ? 0 : 85;
    picture.use_argb = 1;
    picture.width = image.width;
    picture.height = image.height;
    WebPMemoryWriter writer;
    WebPMemoryWriterInit(&writer);
    picture.writer = WebPMemoryWrite;
    picture.custom_ptr = &writer;
    const bool encoded = WebPPictureImportRGBA(&picture, image.rgba.data(), image.width * 4) && WebPEncode(&config, &picture);
    WebPPictureFree(&picture);
    std::string bytes(reinterpret_cast<const char*>(writer.mem), writer.size);
    WebPMemoryWriterClear(&writer);
    if (!encoded) throw std::runtime_error("WebP encoding failed");
    return bytes;
}

// The pattern with noise in its low bits, as a photograph has.
glimmo::DecodedImage noisyImage(int width, int height) {
    glimmo::DecodedImage image = glimmo::testing::patternImage(width, height);
    for (std::size_t index = 0; index < image.rgba.size(); index += 4) {
        for (std::size_t channel = 0; channel < 3; ++channel) {
            image.rgba[index + channel] ^= static_cast<std::uint8_t>((index * 2654435761u >> (channel * 4 + 7)) & 15);
        }
    }
    return image;
}

std::size_t appendBody(char* data, std::size_t size, std::size_t count, void* body) {
    static_cast<std::string*>(body)->append(data, size * count);
    return size * count;
}

std::string rawDownload(CURL* curl, const std::string& url) {
    std::string body;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, appendBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    if (curl_easy_perform(curl) != CURLE_OK) throw std::runtime_error("download failed");
    return body;
}

glimmo::Task<std::size_t> loadAll(std::shared_ptr<remoteimage::DefaultRemoteImageLoader> loader,
                                  std::vector<glimmo::URL> urls) {
    std::size_t bytes = 0;
    for (const auto& url : urls) {
        auto load = loader->image(url);
        const remoteimage::DecodedImage image = co_await std::move(load);
        bytes += image->rgba.size();
    }
    co_return bytes;
}

} // namespace

int main() {
    const glimmo::DecodedImage photo = glimmo::testing::patternImage(1024, 768);
    const std::string png = glimmo::testing::encodePNG(photo);
    const std::vector<std::uint8_t> jpegBytes = glimmo::encodeJPEG(photo, 0.85);
    const std::string jpeg(jpegBytes.begin(), jpegBytes.end());
    constexpr int decodes = 10;

    std::size_t sink = 0;
    compare("decode PNG 1024x768", "image_decode_png",
            [&] { return secondsOf([&] { sink += glimmo::decodeImage(png).rgba.size(); }, decodes); },
            [&] { return secondsOf([&] { sink += rawPNG(png); }, decodes); });
    compare("decode JPEG 1024x768", "image_decode_jpeg",
            [&] { return secondsOf([&] { sink += glimmo::decodeImage(jpeg).rgba.size(); }, decodes); },
            [&] { return secondsOf([&] { sink += rawJPEG(jpeg); }, decodes); });
    // A file of more than 1,024 rows is handed to libwebp a piece at a time.
    const std::vector<std::tuple<const char*, const char*, std::string>> webpFiles = {
        {"decode WebP lossless 1024x768", "image_decode_webp_lossless", encodeWebP(noisyImage(1024, 768), true)},
        {"decode WebP lossy 1024x768", "image_decode_webp_lossy", encodeWebP(noisyImage(1024, 768), false)},
        {"decode WebP lossless 1024x4096", "image_decode_webp_lossless_tall", encodeWebP(noisyImage(1024, 4096), true)},
    };
    for (const auto& [label, name, webp] : webpFiles) {
        const std::string& file = webp;
        compare(label, name, [&] { return secondsOf([&] { sink += glimmo::decodeImage(file).rgba.size(); }, decodes); },
                [&] { return secondsOf([&] { sink += rawWebP(file); }, decodes); });
        std::printf("(%zu bytes)\n", file.size());
    }

    // 60 different 256x256 images, each loaded once: transfer and decode, no cache hits.
    constexpr int imageCount = 60;
    glimmo::testing::LoopbackServer server;
    const std::string tile = glimmo::testing::encodePNG(glimmo::testing::patternImage(256, 256));
    server.on("GET", "/tile/[0-9]+\\.png", [&tile](const glimmo::testing::RecordedRequest&, glimmo::testing::ServerReply& reply) {
        reply.headers = {{"Content-Type", "image/png"}};
        reply.body = tile;
    });
    std::vector<glimmo::URL> urls;
    for (int i = 0; i < imageCount; ++i) urls.push_back(*glimmo::URL::parse(server.url("/tile/" + std::to_string(i) + ".png")));

    glimmo::RealTimeRunLoop loop;
    curl_global_init(CURL_GLOBAL_DEFAULT);
    CURL* curl = curl_easy_init();
    compare(
        "load 60 PNG 256x256", "image_load_png",
        [&] {
            // A new loader each round: every image is transferred and decoded again.
            const auto loader = std::make_shared<remoteimage::DefaultRemoteImageLoader>(
                std::make_shared<remoteimage::DefaultRemoteImageCache>(100),
                remoteimage::makeImageLoadingSession(10'485'760, 0, 15, {}), loop);
            const auto start = Clock::now();
            sink += glimmo::runBlocking(loop, loadAll(loader, urls), 120);
            return std::chrono::duration<double>(Clock::now() - start).count();
        },
        [&] {
            const auto start = Clock::now();
            for (const auto& url : urls) sink += rawPNG(rawDownload(curl, url.absoluteString()));
            return std::chrono::duration<double>(Clock::now() - start).count();
        });
    curl_easy_cleanup(curl);
    curl_global_cleanup();

    std::printf("(%zu bytes decoded)\n", sink);
    return 0;
}
