#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/runtime/Observable.h"

namespace glimmo {
namespace {

TEST(SignalTest, CallsSlotsInConnectionOrderWithTheArguments) {
    Signal<int, const std::string&> signal;
    std::vector<std::string> calls;
    const Subscription first = signal.connect([&](int n, const std::string& s) { calls.push_back("1:" + s + std::to_string(n)); });
    const Subscription second = signal.connect([&](int n, const std::string& s) { calls.push_back("2:" + s + std::to_string(n)); });
    signal.emit(7, "x");
    EXPECT_EQ(calls, (std::vector<std::string>{"1:x7", "2:x7"}));
}

TEST(SignalTest, SubscriptionEndsTheConnection) {
    Signal<> signal;
    int count = 0;
    {
        const Subscription subscription = signal.connect([&] { ++count; });
        signal.emit();
    }
    signal.emit();
    EXPECT_EQ(count, 1);
    EXPECT_EQ(signal.connectionCount(), 0u);

    Subscription moved;
    {
        Subscription original = signal.connect([&] { ++count; });
        moved = std::move(original);
    }
    signal.emit();
    EXPECT_EQ(count, 2);
    moved.cancel();
    EXPECT_FALSE(moved.isActive());
    signal.emit();
    EXPECT_EQ(count, 2);
}

TEST(SignalTest, SlotsMayDisconnectThemselvesAndOthersWhileEmitting) {
    Signal<> signal;
    std::vector<std::string> calls;
    std::optional<Subscription> self;
    std::optional<Subscription> later;
    std::optional<Subscription> added;
    const Subscription first = signal.connect([&] {
        calls.push_back("first");
        if (!added) added = signal.connect([&] { calls.push_back("added"); });
    });
    self = signal.connect([&] {
        calls.push_back("self");
        self.reset();   // destroys the subscription of the running slot
        later.reset();  // and of a slot not yet reached
    });
    later = signal.connect([&] { calls.push_back("later"); });

    signal.emit();
    EXPECT_EQ(calls, (std::vector<std::string>{"first", "self"}));
    calls.clear();
    signal.emit();
    EXPECT_EQ(calls, (std::vector<std::string>{"first", "added"}));
}

TEST(SignalTest, SubscriptionMayOutliveItsSignal) {
    Subscription subscription;
    {
        Signal<> signal;
        subscription = signal.connect([] {});
    }
    subscription.cancel();
    EXPECT_FALSE(subscription.isActive());
}

class Counter : public ObservableObject {
public:
    Published<int> count{*this, 0};
    Published<std::vector<std::string>> names{*this, {}};
};

TEST(PublishedTest, WillChangeComesBeforeTheNewValueIsVisible) {
    const auto counter = std::make_shared<Counter>();
    std::vector<std::string> events;
    const Subscription willChange = counter->objectWillChange.connect(
        [&] { events.push_back("will change, value " + std::to_string(counter->count.get())); });
    const Subscription didChange = counter->count.didChange.connect(
        [&](const int& value) { events.push_back("changed to " + std::to_string(value) + ", value " + std::to_string(counter->count.get())); });

    counter->count.set(5);
    counter->count = 6;
    EXPECT_EQ(events, (std::vector<std::string>{"will change, value 0", "changed to 5, value 5",
                                                "will change, value 5", "changed to 6, value 6"}));
    EXPECT_EQ(static_cast<const int&>(counter->count), 6);
}

TEST(PublishedTest, ModifyInPlaceAnnouncesTheChange) {
    const auto counter = std::make_shared<Counter>();
    std::vector<std::size_t> sizesSeenBefore;
    std::vector<std::size_t> sizesSeenAfter;
    const Subscription willChange =
        counter->objectWillChange.connect([&] { sizesSeenBefore.push_back(counter->names->size()); });
    const Subscription didChange =
        counter->names.didChange.connect([&](const std::vector<std::string>& names) { sizesSeenAfter.push_back(names.size()); });
    counter->names.modify([](std::vector<std::string>& names) { names.push_back("Xcode"); });
    counter->announceChange();
    EXPECT_EQ(sizesSeenBefore, (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(sizesSeenAfter, (std::vector<std::size_t>{1}));
}

}  // namespace
}  // namespace glimmo
