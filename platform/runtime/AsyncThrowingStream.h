#pragma once

#include <cstddef>
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

// A sequence of values pushed by a producer (on any thread) and awaited by one consumer task. The
// producer ends it with finish() or finish(error); the consumer receives the buffered values first,
// then the end (nullopt) or the error. When the consumer's task is cancelled or the consumer drops the
// stream, the stream ends and onTermination tells the producer to stop.
//
// The buffer never refuses a value. A stream made with a bound lets a producer that can wait keep
// memory flat: a task awaits send(), which waits while the consumer is the bound behind; a callback
// (a transfer that can pause) asks hasRoom() and, when that is false, holds back until its onRoom
// handler is called.
template <class T>
class AsyncThrowingStream {
    struct State;

public:
    // What one value counts against the bound; 1 when not given.
    using Weight = std::function<std::size_t(const T&)>;

    class Continuation {
    public:
        // Ignored once the stream has ended.
        void yield(T value) const { state_->yield(std::move(value)); }
        // Yields, then waits while the values unread weigh the bound or more (not at all when
        // unbounded) or until the stream ends. Throws CancellationError when the producing task is
        // cancelled while it waits.
        Task<void> send(T value) const { return sendTo(state_, std::move(value)); }
        void finish() const { state_->end(nullptr, false); }
        void finish(std::exception_ptr error) const { state_->end(std::move(error), false); }
        // Called once when the stream ends for any reason (at once if it already has).
        void onTermination(std::function<void()> handler) const { state_->setOnTermination(std::move(handler)); }
        bool isTerminated() const { return state_->isEnded(); }
        // False while the values waiting unread weigh the bound or more (always true when unbounded or
        // ended). Once it has answered false, the room handler is called when the consumer has read the
        // buffer down to half the bound.
        bool hasRoom() const { return state_->hasRoom(); }
        // Called on the consumer's thread (or wherever the stream ends), outside the stream's lock; it
        // must not block.
        void onRoom(std::function<void()> handler) const { state_->setOnRoom(std::move(handler)); }

    private:
        friend class AsyncThrowingStream;
        static Task<void> sendTo(std::shared_ptr<State> state, T value) {
            state->yield(std::move(value));
            if (state->hasRoom()) co_return;
            auto room = std::make_shared<std::optional<glimmo::Continuation<void>>>();
            // Built in its own statement: GCC 12 destroys lambda temporaries inside a co_await operand twice.
            auto waiting = withContinuation<void>(
                [state, room](glimmo::Continuation<void> resume) {
                    *room = resume;
                    state->setOnRoom([resume] { resume.resume(); });
                    if (state->hasRoom()) resume.resume();  // the consumer caught up before the handler was set
                },
                [room] {
                    if (*room) (*room)->resumeThrowing(std::make_exception_ptr(CancellationError{}));
                });
            co_await std::move(waiting);
        }

        explicit Continuation(std::shared_ptr<State> state);
        // Shared by all copies: ends the stream with an error if the last one goes away unfinished.
        struct Owner;
        std::shared_ptr<State> state_;
        std::shared_ptr<Owner> owner_;
    };

    // `bound` 0: unbounded.
    static std::pair<AsyncThrowingStream, Continuation> make(std::size_t bound = 0, Weight weight = {}) {
        auto state = std::make_shared<State>();
        state->bound = bound;
        state->weight = std::move(weight);
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
        // Delivered once, after the buffer, as an exception of the consumer's own.
        std::optional<ErrorValue> error;
        std::optional<Waiter> waiter;
        std::function<void()> onTermination;
        std::size_t bound = 0;
        Weight weight;
        std::size_t buffered = 0;  // the weight of `buffer`, kept only when bounded
        bool producerHeldBack = false;
        std::shared_ptr<const std::function<void()>> onRoom;

        std::size_t weightOf(const T& value) const { return weight ? weight(value) : 1; }

        void push(T value) {
            if (bound != 0) buffered += weightOf(value);
            buffer.push_back(std::move(value));
        }

        void yield(T value) {
            std::optional<Waiter> waiting;
            {
                const std::lock_guard lock(mutex);
                if (ended) return;
                if (!waiter) {
                    push(std::move(value));
                    return;
                }
                waiting = std::exchange(waiter, std::nullopt);
            }
            waiting->resume(std::optional<T>(std::move(value)));
        }

        bool hasRoom() {
            const std::lock_guard lock(mutex);
            if (bound == 0 || ended || buffered < bound) return true;
            producerHeldBack = true;
            return false;
        }

        void setOnRoom(std::function<void()> handler) {
            const std::lock_guard lock(mutex);
            if (!ended) onRoom = std::make_shared<const std::function<void()>>(std::move(handler));
        }

        // A value, the end (nullopt inside) or the error, when one is available without waiting.
        std::optional<std::optional<T>> takeReady() {
            std::optional<ErrorValue> failure;
            std::shared_ptr<const std::function<void()>> room;
            std::optional<std::optional<T>> value;
            {
                const std::lock_guard lock(mutex);
                if (!buffer.empty()) {
                    value.emplace(std::in_place, std::move(buffer.front()));
                    buffer.pop_front();
                    if (bound != 0) room = takeRoomAfterReading(**value);
                } else if (!ended) {
                    return std::nullopt;
                } else {
                    failure = std::exchange(error, std::nullopt);
                }
            }
            // Told outside the lock: the producer may yield again at once.
            if (room) (*room)();
            if (value) return value;
            if (failure) failure->raise();
            return std::optional<std::optional<T>>(std::in_place);
        }

        // The room handler when reading `value` brought a held-back producer's buffer down to half.
        std::shared_ptr<const std::function<void()>> takeRoomAfterReading(const T& value) {
            buffered -= weightOf(value);
            if (!producerHeldBack || buffered > bound / 2) return nullptr;
            producerHeldBack = false;
            return onRoom;
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
            std::shared_ptr<const std::function<void()>> room;
            {
                const std::lock_guard lock(mutex);
                if (ended) return;
                ended = true;
                // A held-back producer learns of the end too.
                if (std::exchange(producerHeldBack, false)) room = onRoom;
                onRoom = nullptr;
                if (forConsumer) {
                    buffer.clear();
                    buffered = 0;
                }
                waiting = std::exchange(waiter, std::nullopt);
                terminationHandler = std::exchange(onTermination, nullptr);
                // A waiter means the buffer is empty: it takes the failure at once.
                if (failure && !waiting) error.emplace(failure);
            }
            if (waiting) {
                if (forConsumer) {
                    waiting->resumeThrowing(std::make_exception_ptr(CancellationError{}));
                } else if (failure) {
                    waiting->resumeThrowing(failure);
                } else {
                    waiting->resume(std::optional<T>());
                }
            }
            if (terminationHandler) terminationHandler();
            if (room) (*room)();
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
