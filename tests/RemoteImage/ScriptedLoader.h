#pragma once

#include "platform/runtime/Task.h"
#include "RemoteImage/RemoteImageLoader.h"

#include <memory>
#include <stdexcept>
#include <vector>

namespace remoteimage::testing {

// A loader whose answers the test gives by hand, in any order.
class ScriptedLoader final : public RemoteImageLoader {
public:
    struct Call {
        glimmo::URL url;
        glimmo::Continuation<DecodedImage> reply;
    };

    glimmo::Task<DecodedImage> image(const glimmo::URL& url) override {
        auto start = [this, url](glimmo::Continuation<DecodedImage> reply) { calls.push_back(Call{url, reply}); };
        return glimmo::withContinuation<DecodedImage>(std::move(start));
    }

    void succeed(std::size_t call, DecodedImage image) { calls.at(call).reply.resume(std::move(image)); }
    void fail(std::size_t call) {
        calls.at(call).reply.resumeThrowing(std::make_exception_ptr(std::runtime_error("scripted failure")));
    }

    std::vector<Call> calls;
};

inline DecodedImage decodedImage(int width, int height) {
    auto image = std::make_shared<glimmo::PixelImage>();
    image->width = width;
    image->height = height;
    image->rgba.assign(static_cast<std::size_t>(width) * height * 4, 0x7f);
    return image;
}

} // namespace remoteimage::testing
