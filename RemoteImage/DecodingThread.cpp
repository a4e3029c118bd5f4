#include "RemoteImage/DecodingThread.h"

#include "platform/imaging/ImageDecoding.h"

#include <new>
#include <utility>

namespace remoteimage::detail {

DecodingThread::DecodingThread() : thread_([this] { run(); }) {}

DecodingThread::~DecodingThread() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_one();
    thread_.join();
}

void DecodingThread::post(std::function<void()> job) {
    {
        const std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
    }
    changed_.notify_one();
}

void DecodingThread::run() {
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock lock(mutex_);
            changed_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (jobs_.empty()) return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        job();
    }
}

glimmo::Task<DecodingThread::Outcome> DecodingThread::decode(std::string bytes) {
    auto start = [this, bytes = std::move(bytes)](glimmo::Continuation<Outcome> continuation) mutable {
        post([bytes = std::move(bytes), continuation] {
            Outcome outcome;
            try {
                glimmo::DecodedImage decoded = glimmo::decodeImage(bytes);
                auto pixels = std::make_shared<glimmo::PixelImage>();
                pixels->width = decoded.width;
                pixels->height = decoded.height;
                pixels->rgba = std::move(decoded.rgba);
                outcome.image = std::move(pixels);
            } catch (const glimmo::ImageDecodingError& error) {
                outcome.failure = error.what();
            } catch (const std::bad_alloc&) {
                outcome.failure = "There is not enough memory for its pixels.";
            }
            continuation.resume(std::move(outcome));
        });
    };
    return glimmo::withContinuation<Outcome>(std::move(start));
}

} // namespace remoteimage::detail
