#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

namespace glimmo {

// Keeps a connection alive; cancels it when destroyed. Move-only.
class Subscription {
public:
    Subscription() = default;
    explicit Subscription(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
    Subscription(Subscription&& other) noexcept : cancel_(std::exchange(other.cancel_, nullptr)) {}
    Subscription& operator=(Subscription&& other) noexcept;
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;
    ~Subscription() { cancel(); }

    void cancel();
    bool isActive() const { return static_cast<bool>(cancel_); }

private:
    std::function<void()> cancel_;
};

// Calls its connected slots in connection order. A slot may connect or disconnect slots (itself
// included) while the signal is emitting: a slot disconnected before its turn is not called, a slot
// connected during an emission is called from the next one.
template <class... Args>
class Signal {
public:
    Signal() : state_(std::make_shared<State>()) {}
    Signal(Signal&&) noexcept = default;
    Signal& operator=(Signal&&) noexcept = default;
    Signal(const Signal&) = delete;
    Signal& operator=(const Signal&) = delete;

    [[nodiscard]] Subscription connect(std::function<void(Args...)> slot) {
        auto entry = std::make_shared<Slot>(std::move(slot));
        {
            const std::lock_guard lock(state_->mutex);
            state_->slots.push_back(entry);
        }
        return Subscription([weakState = std::weak_ptr<State>(state_), weakEntry = std::weak_ptr<Slot>(entry)] {
            const auto entry = weakEntry.lock();
            if (!entry) return;
            entry->connected = false;
            if (const auto state = weakState.lock()) {
                const std::lock_guard lock(state->mutex);
                std::erase(state->slots, entry);
            }
        });
    }

    void emit(Args... args) const {
        std::vector<std::shared_ptr<Slot>> snapshot;
        {
            const std::lock_guard lock(state_->mutex);
            snapshot = state_->slots;
        }
        for (const auto& slot : snapshot) {
            if (slot->connected) slot->function(args...);
        }
    }

    std::size_t connectionCount() const {
        const std::lock_guard lock(state_->mutex);
        return state_->slots.size();
    }

private:
    struct Slot {
        explicit Slot(std::function<void(Args...)> function) : function(std::move(function)) {}
        const std::function<void(Args...)> function;
        std::atomic<bool> connected{true};
    };
    struct State {
        std::mutex mutex;
        std::vector<std::shared_ptr<Slot>> slots;
    };
    std::shared_ptr<State> state_;
};

// A reference object whose changes views observe. Held by std::shared_ptr.
class ObservableObject {
public:
    ObservableObject() = default;
    ObservableObject(const ObservableObject&) = delete;
    ObservableObject& operator=(const ObservableObject&) = delete;
    virtual ~ObservableObject() = default;

    // Emitted before any published property changes.
    Signal<> objectWillChange;

    // For changes that are not made through a Published property.
    void announceChange() { objectWillChange.emit(); }
};

// A property of an ObservableObject: set() tells the owner's observers before the value changes, then
// emits didChange with the new value.
template <class T>
class Published {
public:
    Published(ObservableObject& owner, T initial) : owner_(owner), value_(std::move(initial)) {}
    Published(const Published&) = delete;
    Published& operator=(const Published&) = delete;

    const T& get() const { return value_; }
    operator const T&() const { return value_; }
    const T* operator->() const { return &value_; }

    void set(T value) {
        owner_.objectWillChange.emit();
        value_ = std::move(value);
        didChange.emit(value_);
    }
    Published& operator=(T value) {
        set(std::move(value));
        return *this;
    }

    // Changes the value in place (appending to a list, say) with the same notifications as set().
    template <class Mutation>
    void modify(Mutation&& mutation) {
        owner_.objectWillChange.emit();
        std::forward<Mutation>(mutation)(value_);
        didChange.emit(value_);
    }

    // Emitted after each change, with the new value.
    Signal<const T&> didChange;

private:
    ObservableObject& owner_;
    T value_;
};

}  // namespace glimmo
