#pragma once

#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <utility>

#include "platform/runtime/Task.h"

namespace glimmo {

// A sequence of values pushed by a producer (on any thread) and awaited by one consumer task, with an
// unbounded buffer. The producer ends it with finish() or finish(error); the consumer receives the
// buffered values first, then the end (nullopt) or the error. When the consumer's task is cancelled or
// the consumer drops the stream, the stream ends and onTermination tells the producer to stop.
template <class T>
class AsyncThrowingStream {
    struct State;

public:
    class Continuation {
    public:
        // Ignored once the stream has ended.
        void yield(T value) const { state_->yield(std::move(value)); }
        void finish() const { state_->end(nullptr, false); }
        void finish(std::exception_ptr error) const { state_->end(std::move(error), false); }
        // Called once when the stream ends for any reason (at once if it already has).
        void onTermination(std::function<void()> handler) const { state_->setOnTermination(std::move(handler)); }
        bool isTerminated() const { return state_->isEnded(); }

    private:
        friend class AsyncThrowingStream;
        explicit Continuation(std::shared_ptr<State> state);
        // Shared by all copies: ends the stream with an error if the last one goes away unfinished.
        struct Owner;
        std::shared_ptr<State> state_;
        std::shared_ptr<Owner> owner_;
    };

    static std::pair<AsyncThrowingStream, Continuation> make() {
        auto state = std::make_shared<State>();
        return {AsyncThrowingStream(state), Continuation(state)};
    }

    AsyncThrowingStream(AsyncThrowingStream&& other) noexcept : state_(std::exchange(other.state_, {})) {}
    AsyncThrowingStream& operator=(AsyncThrowingStream&& other) noexcept {
        if (this != &other) {
            abandon();
            state_ = std::exchange(other.state_, {});
        }
        return *this;
    }
    AsyncThrowingStream(const AsyncThrowingStream&) = delete;
    AsyncThrowingStream& operator=(const AsyncThrowingStream&) = delete;
    ~AsyncThrowingStream() { abandon(); }

    // The next value, nullopt at the end, or the producer's error (once, after the buffered values).
    // Throws CancellationError when the consumer's task is cancelled; the stream then ends.
    Task<std::optional<T>> next() {
        const std::shared_ptr<State> state = state_;
        if (!state) co_return std::nullopt;
        if (co_await isTaskCancelled()) {
            state->end(nullptr, true);
            throw CancellationError{};
        }
        if (auto ready = state->takeReady()) co_return std::move(*ready);
        // Built in its own statement: GCC 12 destroys lambda temporaries inside a co_await operand twice.
        auto waiting = withContinuation<std::optional<T>>(
            [state](glimmo::Continuation<std::optional<T>> waiter) { state->wait(std::move(waiter)); },
            [weakState = std::weak_ptr<State>(state)] {
                if (const auto state = weakState.lock()) state->end(nullptr, true);
            });
        co_return co_await std::move(waiting);
    }

private:
    explicit AsyncThrowingStream(std::shared_ptr<State> state) : state_(std::move(state)) {}

    void abandon() {
        if (state_) std::exchange(state_, {})->end(nullptr, true);
    }

    struct State {
        using Waiter = glimmo::Continuation<std::optional<T>>;

        std::mutex mutex;
        std::deque<T> buffer;
        bool ended = false;
        std::exception_ptr error;  // delivered once, after the buffer
        std::optional<Waiter> waiter;
        std::function<void()> onTermination;

        void yield(T value) {
            std::optional<Waiter> waiting;
            {
                const std::lock_guard lock(mutex);
                if (ended) return;
                if (!waiter) {
                    buffer.push_back(std::move(value));
                    return;
                }
                waiting = std::exchange(waiter, std::nullopt);
            }
            waiting->resume(std::optional<T>(std::move(value)));
        }

        // A value, the end (nullopt inside) or the error, when one is available without waiting.
        std::optional<std::optional<T>> takeReady() {
            std::exception_ptr failure;
            {
                const std::lock_guard lock(mutex);
                if (!buffer.empty()) {
                    std::optional<std::optional<T>> value(std::in_place, std::move(buffer.front()));
                    buffer.pop_front();
                    return value;
                }
                if (!ended) return std::nullopt;
                failure = std::exchange(error, nullptr);
            }
            if (failure) std::rethrow_exception(failure);
            return std::optional<std::optional<T>>(std::in_place);
        }

        void wait(Waiter waiting) {
            for (;;) {
                std::optional<std::optional<T>> ready;
                try {
                    ready = takeReady();
                } catch (...) {
                    waiting.resumeThrowing(std::current_exception());
                    return;
                }
                if (ready) {
                    waiting.resume(std::move(*ready));
                    return;
                }
                const std::lock_guard lock(mutex);
                if (buffer.empty() && !ended) {  // otherwise the producer slipped in: look again
                    waiter = std::move(waiting);
                    return;
                }
            }
        }

        // Ends the stream: by the producer (finish, possibly with an error) or for the consumer (it went
        // away or was cancelled, so what is buffered is dropped).
        void end(std::exception_ptr failure, bool forConsumer) {
            std::optional<Waiter> waiting;
            std::function<void()> terminationHandler;
            {
                const std::lock_guard lock(mutex);
                if (ended) return;
                ended = true;
                if (forConsumer) {
                    buffer.clear();
                } else {
                    error = std::move(failure);
                }
                waiting = std::exchange(waiter, std::nullopt);
                terminationHandler = std::exchange(onTermination, nullptr);
                if (waiting) failure = std::exchange(error, nullptr);  // a waiter means the buffer is empty
            }
            if (waiting) {
                if (forConsumer) {
                    waiting->resumeThrowing(std::make_exception_ptr(CancellationError{}));
                } else if (failure) {
                    waiting->resumeThrowing(std::move(failure));
                } else {
                    waiting->resume(std::optional<T>());
                }
            }
            if (terminationHandler) terminationHandler();
        }

        void setOnTermination(std::function<void()> handler) {
            {
                const std::lock_guard lock(mutex);
                if (!ended) {
                    onTermination = std::move(handler);
                    return;
                }
            }
            if (handler) handler();
        }

        bool isEnded() {
            const std::lock_guard lock(mutex);
            return ended;
        }
    };

    std::shared_ptr<State> state_;
};

template <class T>
struct AsyncThrowingStream<T>::Continuation::Owner {
    explicit Owner(std::shared_ptr<State> state) : state(std::move(state)) {}
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;
    ~Owner() {
        state->end(std::make_exception_ptr(std::logic_error("The stream's producer went away without finishing it")),
                   false);
    }
    const std::shared_ptr<State> state;
};

template <class T>
AsyncThrowingStream<T>::Continuation::Continuation(std::shared_ptr<State> state)
    : state_(state), owner_(std::make_shared<Owner>(std::move(state))) {}

}  // namespace glimmo
