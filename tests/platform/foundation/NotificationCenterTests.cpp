#include "platform/foundation/NotificationCenter.h"

#include <gtest/gtest.h>

#include <optional>

namespace glimmo {
namespace {

TEST(NotificationCenterTest, PostReachesObserversOfThatNameInOrder) {
    NotificationCenter center;
    std::vector<std::string> calls;
    const auto first = center.addObserver("didChangeCategoriesRequiringDataClear",
                                          [&](const Notification& n) { calls.push_back("first " + n.name); });
    const auto second = center.addObserver("didChangeCategoriesRequiringDataClear",
                                           [&](const Notification&) { calls.push_back("second"); });
    const auto other = center.addObserver("other", [&](const Notification&) { calls.push_back("other"); });

    center.post("didChangeCategoriesRequiringDataClear");
    center.post("nobody listens");

    EXPECT_EQ(calls, (std::vector<std::string>{"first didChangeCategoriesRequiringDataClear", "second"}));
}

TEST(NotificationCenterTest, ObserverGoesWithItsSubscription) {
    NotificationCenter center;
    int calls = 0;
    {
        const auto subscription = center.addObserver("n", [&](const Notification&) { ++calls; });
        center.post("n");
    }
    center.post("n");
    EXPECT_EQ(calls, 1);
}

TEST(NotificationCenterTest, ObserverMayRemoveItselfWhileBeingCalled) {
    NotificationCenter center;
    int calls = 0;
    std::optional<Subscription> subscription;
    subscription = center.addObserver("n", [&](const Notification&) {
        ++calls;
        subscription.reset();
    });
    center.post("n");
    center.post("n");
    EXPECT_EQ(calls, 1);
}

TEST(NotificationCenterTest, DefaultCenterIsShared) {
    int calls = 0;
    const auto subscription =
        NotificationCenter::defaultCenter().addObserver("shared", [&](const Notification&) { ++calls; });
    NotificationCenter::defaultCenter().post("shared");
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(&NotificationCenter::defaultCenter(), &NotificationCenter::defaultCenter());
}

} // namespace
} // namespace glimmo
