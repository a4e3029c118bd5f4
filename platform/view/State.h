#pragma once

// Dynamic properties of views: state kept per view identity, bindings, observed objects, environment
// readers and a binding to a user-defaults key. They are members of a view struct:
//
//     struct Counter : View<Counter> {
//         std::shared_ptr<Model> model;
//         ObservedObject<Model> observed{model};          // re-evaluates this view when the model changes
//         StateObject<Cache> cache{[] { return std::make_shared<Cache>(); }};  // made once per identity
//         State<int> count{0};                            // kept while the view keeps its identity
//         Environment<ColorScheme> scheme{&EnvironmentValues::colorScheme};
//         AnyView body() const;
//     };
//
// When the render tree installs a view value at an identity it copies it, and each property binds
// itself to that identity's storage; a property of a view that was never installed keeps a private
// value (so a view can be used and tested outside a tree). Properties are read with `*p`, `p->`,
// `p.get()`; State and Binding are written with `set()` (which takes effect at the next update).

#include "platform/runtime/Observable.h"
#include "platform/view/Environment.h"

#include <concepts>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace glimmo {

class UserDefaults;

namespace detail {

// What a render-tree node offers to the properties of the view installed in it.
class PropertyHost {
public:
    virtual ~PropertyHost() = default;
    // Storage for the property at `key` (its offset in the view), empty until first installed.
    virtual std::shared_ptr<void>& slot(std::size_t key) = 0;
    // Keeps `subscription` for the property at `key`, replacing the previous one.
    virtual void keepSubscription(std::size_t key, Subscription subscription) = 0;
    // A handle that schedules a new body evaluation of the node; expires with the node.
    virtual std::weak_ptr<struct Invalidator> invalidator() = 0;
    virtual const EnvironmentValues& environmentValues() const = 0;
};

struct Invalidator {
    virtual ~Invalidator() = default;
    virtual void invalidate() = 0;
};

void invalidate(const std::weak_ptr<Invalidator>& target);

// Base of every dynamic property: registers itself with the install scope active while the render tree
// copies a view, so the tree can find the properties without reflection.
class DynamicProperty {
public:
    DynamicProperty();
    DynamicProperty(const DynamicProperty&);
    DynamicProperty& operator=(const DynamicProperty&) { return *this; }
    virtual ~DynamicProperty() = default;

    // After the view was copied into a node: bind to the node's storage.
    virtual void install(PropertyHost& host, std::size_t key) = 0;
    // Before each body evaluation: pick up environment values.
    virtual void refresh(PropertyHost&, std::size_t) {}
};

// Collects the properties constructed while it is active (the render tree's copy of a view) into
// `properties`, which the caller owns and may use again from one copy to the next.
class InstallScope {
public:
    explicit InstallScope(std::vector<DynamicProperty*>& properties);
    ~InstallScope();
    InstallScope(const InstallScope&) = delete;
    InstallScope& operator=(const InstallScope&) = delete;
    std::vector<DynamicProperty*>& properties;

private:
    InstallScope* previous_;
};

} // namespace detail

// A two-way connection to a value owned elsewhere.
template <class T>
class Binding {
public:
    Binding(std::function<T()> get, std::function<void(T)> set) : get_(std::move(get)), set_(std::move(set)) {}
    static Binding constant(T value) {
        return Binding([value] { return value; }, [](T) {});
    }
    T get() const { return get_(); }
    T operator*() const { return get_(); }
    T wrappedValue() const { return get_(); }
    void set(T value) const { set_(std::move(value)); }
    // A binding to a member of the bound value.
    template <class M, class U = T>
        requires std::is_class_v<U>
    Binding<M> member(M U::*field) const {
        auto self = *this;
        return Binding<M>([self, field] { return self.get().*field; },
                          [self, field](M v) { T whole = self.get(); whole.*field = std::move(v); self.set(std::move(whole)); });
    }

private:
    std::function<T()> get_;
    std::function<void(T)> set_;
};

// View state, kept per identity.
template <class T>
class State : public detail::DynamicProperty {
public:
    State() : State(T{}) {}
    State(T initial) : box_(std::make_shared<Box>(std::move(initial))) {} // NOLINT: `State<int> n = 0;`
    State(const State& o) : DynamicProperty(o), box_(o.box_) {}
    State& operator=(const State&) = delete;

    const T& get() const { return box_->value; }
    const T& operator*() const { return box_->value; }
    const T* operator->() const { return &box_->value; }
    const T& wrappedValue() const { return box_->value; }
    // Changes the value and schedules an update of the views that own it.
    void set(T value) const {
        if constexpr (std::equality_comparable<T>) {
            if (box_->value == value) return;
        }
        box_->value = std::move(value);
        detail::invalidate(box_->owner);
    }
    template <class F>
    void modify(F&& change) const {
        change(box_->value);
        detail::invalidate(box_->owner);
    }
    Binding<T> binding() const {
        auto box = box_;
        return Binding<T>([box] { return box->value; }, [box](T v) {
            if constexpr (std::equality_comparable<T>) {
                if (box->value == v) return;
            }
            box->value = std::move(v);
            detail::invalidate(box->owner);
        });
    }
    Binding<T> projectedValue() const { return binding(); }

    void install(detail::PropertyHost& host, std::size_t key) override {
        auto& slot = host.slot(key);
        if (!slot) {
            auto fresh = std::make_shared<Box>(box_->value);
            fresh->owner = host.invalidator();
            slot = fresh;
        }
        box_ = std::static_pointer_cast<Box>(slot);
    }

private:
    struct Box {
        explicit Box(T v) : value(std::move(v)) {}
        T value;
        std::weak_ptr<detail::Invalidator> owner;
    };
    std::shared_ptr<Box> box_;
};

// An observable object created once per identity by its closure and observed by the view.
template <class T>
class StateObject : public detail::DynamicProperty {
public:
    explicit StateObject(std::function<std::shared_ptr<T>()> make) : make_(std::move(make)) {}
    StateObject(const StateObject& o) : DynamicProperty(o), make_(o.make_), object_(o.object_) {}
    StateObject& operator=(const StateObject&) = delete;

    T& operator*() const { return *get(); }
    T* operator->() const { return get().get(); }
    const std::shared_ptr<T>& get() const {
        if (!object_) object_ = make_();
        return object_;
    }

    void install(detail::PropertyHost& host, std::size_t key) override {
        auto& slot = host.slot(key);
        if (!slot) {
            auto object = make_();
            slot = object;
            host.keepSubscription(key, object->objectWillChange.connect([weak = host.invalidator()] { detail::invalidate(weak); }));
        }
        object_ = std::static_pointer_cast<T>(slot);
    }

private:
    std::function<std::shared_ptr<T>()> make_;
    mutable std::shared_ptr<T> object_;
};

// An observable object given by the creator; the view is re-evaluated whenever it announces a change.
template <class T>
class ObservedObject : public detail::DynamicProperty {
public:
    ObservedObject(std::shared_ptr<T> object) : object_(std::move(object)) {} // NOLINT: implicit, as assigned
    ObservedObject(const ObservedObject& o) : DynamicProperty(o), object_(o.object_) {}
    ObservedObject& operator=(const ObservedObject&) = delete;

    T& operator*() const { return *object_; }
    T* operator->() const { return object_.get(); }
    const std::shared_ptr<T>& get() const { return object_; }
    // A binding to a published property of the object.
    template <class V>
    Binding<V> binding(Published<V> T::*member) const {
        auto object = object_;
        return Binding<V>([object, member] { return ((*object).*member).get(); },
                          [object, member](V v) { ((*object).*member).set(std::move(v)); });
    }

    void install(detail::PropertyHost& host, std::size_t key) override {
        auto& slot = host.slot(key);
        if (slot.get() != static_cast<void*>(object_.get())) {
            slot = object_;
            if (object_) {
                host.keepSubscription(key, object_->objectWillChange.connect([weak = host.invalidator()] { detail::invalidate(weak); }));
            } else {
                host.keepSubscription(key, Subscription());
            }
        }
    }

private:
    std::shared_ptr<T> object_;
};

// An observable object taken from the environment (set with `environmentObject`). Reading it when no
// ancestor provided one throws MissingEnvironmentObject.
template <class T>
class EnvironmentObject : public detail::DynamicProperty {
public:
    EnvironmentObject() = default;
    EnvironmentObject(const EnvironmentObject& o) : DynamicProperty(o), object_(o.object_) {}
    EnvironmentObject& operator=(const EnvironmentObject&) = delete;

    T& operator*() const { return *get(); }
    T* operator->() const { return get().get(); }
    const std::shared_ptr<T>& get() const {
        if (!object_) throw MissingEnvironmentObject(std::string("No environment object of type ") + typeid(T).name());
        return object_;
    }

    void install(detail::PropertyHost& host, std::size_t key) override { refresh(host, key); }
    void refresh(detail::PropertyHost& host, std::size_t key) override {
        auto object = host.environmentValues().template object<T>();
        auto& slot = host.slot(key);
        if (slot.get() != static_cast<void*>(object.get())) {
            slot = object;
            if (object) {
                host.keepSubscription(key, object->objectWillChange.connect([weak = host.invalidator()] { detail::invalidate(weak); }));
            } else {
                host.keepSubscription(key, Subscription());
            }
        }
        object_ = std::move(object);
    }

private:
    std::shared_ptr<T> object_;
};

// Reads a value of the environment where the view is installed (the default environment before). A
// value the environment holds is shared with it, not copied into every view that reads it (copies of a
// view share it too); a value computed from the environment is kept once.
template <class T>
class Environment : public detail::DynamicProperty {
public:
    template <class F>
        requires(!std::same_as<std::remove_cvref_t<F>, Environment> && std::is_invocable_r_v<T, const F&, const EnvironmentValues&>)
    explicit Environment(F read)
        : read_([read = std::move(read)](const EnvironmentValues& e) { return std::make_shared<const T>(std::invoke(read, e)); }) {}
    explicit Environment(T (EnvironmentValues::*accessor)() const)
        : Environment([accessor](const EnvironmentValues& e) { return (e.*accessor)(); }) {}
    Environment(const Environment& o) : DynamicProperty(o), read_(o.read_), value_(o.value_) {}
    Environment& operator=(const Environment&) = delete;
    // A reader of one key.
    template <EnvironmentKey K>
    static Environment key() {
        return sharing([](const EnvironmentValues& e) { return e.shared<K>(); });
    }
    // A reader of a value the environment holds (or a part of one), handed out as the environment's own.
    template <class F>
    static Environment sharing(F read) {
        return Environment(SharedRead{}, std::function<std::shared_ptr<const T>(const EnvironmentValues&)>(std::move(read)));
    }

    const T& get() const {
        if (!value_) value_ = read_(EnvironmentValues());
        return *value_;
    }
    const T& operator*() const { return get(); }
    const T* operator->() const { return &get(); }
    const T& operator()() const { return get(); }

    void install(detail::PropertyHost& host, std::size_t key) override { refresh(host, key); }
    void refresh(detail::PropertyHost& host, std::size_t) override { value_ = read_(host.environmentValues()); }

private:
    struct SharedRead {};
    Environment(SharedRead, std::function<std::shared_ptr<const T>(const EnvironmentValues&)> read) : read_(std::move(read)) {}

    std::function<std::shared_ptr<const T>(const EnvironmentValues&)> read_;
    mutable std::shared_ptr<const T> value_;
};

namespace detail {
Subscription observeDefaults(UserDefaults& defaults, std::string key, std::weak_ptr<Invalidator> target);
std::optional<std::string> readDefaultsString(UserDefaults& d, const std::string& key);
std::optional<bool> readDefaultsBool(UserDefaults& d, const std::string& key);
std::optional<std::int64_t> readDefaultsInteger(UserDefaults& d, const std::string& key);
std::optional<double> readDefaultsDouble(UserDefaults& d, const std::string& key);
void writeDefaults(UserDefaults& d, const std::string& key, const std::string& v);
void writeDefaults(UserDefaults& d, const std::string& key, bool v);
void writeDefaults(UserDefaults& d, const std::string& key, std::int64_t v);
void writeDefaults(UserDefaults& d, const std::string& key, double v);
UserDefaults& standardDefaults();
} // namespace detail

// A value stored in user defaults under `key`, with a default for an absent key; views that use it are
// re-evaluated when the key changes. T is std::string, bool, an integer or double; other types give
// conversions to and from the stored string (enumerations stored by raw value).
template <class T>
class AppStorage : public detail::DynamicProperty {
public:
    AppStorage(std::string key, T defaultValue, UserDefaults* defaults = nullptr)
        : key_(std::move(key)), default_(std::move(defaultValue)), defaults_(defaults) {}
    AppStorage(std::string key, T defaultValue, std::function<std::string(const T&)> toRaw,
               std::function<std::optional<T>(const std::string&)> fromRaw, UserDefaults* defaults = nullptr)
        : key_(std::move(key)), default_(std::move(defaultValue)), defaults_(defaults), toRaw_(std::move(toRaw)),
          fromRaw_(std::move(fromRaw)) {}
    AppStorage(const AppStorage& o)
        : DynamicProperty(o), key_(o.key_), default_(o.default_), defaults_(o.defaults_), toRaw_(o.toRaw_), fromRaw_(o.fromRaw_) {}
    AppStorage& operator=(const AppStorage&) = delete;

    T get() const {
        UserDefaults& d = defaults();
        if (fromRaw_) {
            if (auto raw = detail::readDefaultsString(d, key_)) {
                if (auto v = fromRaw_(*raw)) return *v;
            }
            return default_;
        }
        if constexpr (std::same_as<T, std::string>) return detail::readDefaultsString(d, key_).value_or(default_);
        else if constexpr (std::same_as<T, bool>) return detail::readDefaultsBool(d, key_).value_or(default_);
        else if constexpr (std::integral<T>) {
            if (auto v = detail::readDefaultsInteger(d, key_)) return static_cast<T>(*v);
            return default_;
        } else if constexpr (std::floating_point<T>) return static_cast<T>(detail::readDefaultsDouble(d, key_).value_or(default_));
        else return default_;
    }
    T operator*() const { return get(); }
    void set(const T& value) const {
        UserDefaults& d = defaults();
        if (toRaw_) detail::writeDefaults(d, key_, toRaw_(value));
        else if constexpr (std::same_as<T, std::string>) detail::writeDefaults(d, key_, value);
        else if constexpr (std::same_as<T, bool>) detail::writeDefaults(d, key_, value);
        else if constexpr (std::integral<T>) detail::writeDefaults(d, key_, static_cast<std::int64_t>(value));
        else if constexpr (std::floating_point<T>) detail::writeDefaults(d, key_, static_cast<double>(value));
    }
    Binding<T> binding() const {
        auto self = std::make_shared<AppStorage>(*this);
        return Binding<T>([self] { return self->get(); }, [self](T v) { self->set(v); });
    }

    void install(detail::PropertyHost& host, std::size_t key) override {
        auto& slot = host.slot(key);
        if (!slot) {
            slot = std::make_shared<int>(0);
            host.keepSubscription(key, detail::observeDefaults(defaults(), key_, host.invalidator()));
        }
    }

private:
    UserDefaults& defaults() const { return defaults_ ? *defaults_ : detail::standardDefaults(); }
    std::string key_;
    T default_;
    UserDefaults* defaults_;
    std::function<std::string(const T&)> toRaw_;
    std::function<std::optional<T>(const std::string&)> fromRaw_;
};

// Keyboard focus as state: bound to views with `focused(...)`; the kit sets it when focus moves and
// moves focus when the program sets it.
class FocusState : public State<bool> {
public:
    FocusState() : State<bool>(false) {}
};

} // namespace glimmo
