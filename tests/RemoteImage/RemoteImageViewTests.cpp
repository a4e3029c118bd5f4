#include "RemoteImage/DefaultRemoteImageLoader.h"
#include "RemoteImage/RemoteImage.h"
#include "RemoteImage/TaskModifier.h"
#include "tests/RemoteImage/ScriptedLoader.h"

#include "platform/runtime/ManualRunLoop.h"
#include "platform/view/Structure.h"
#include "platform/view/ViewHost.h"

#include <gtest/gtest.h>

#include <variant>

namespace remoteimage::testing {
namespace {

glimmo::URL address(const std::string& path) { return *glimmo::URL::parse("https://images.example/" + path); }

// What a content closure was asked to show, in order.
using Shown = std::shared_ptr<std::vector<RemoteImageState>>;

RemoteImage::StateContent recording(const Shown& shown) {
    return [shown](const RemoteImageState& state) {
        shown->push_back(state);
        return glimmo::AnyView(glimmo::Color::clear());
    };
}

// The address a parent view shows; changing it updates the view.
struct Address : glimmo::ObservableObject {
    glimmo::Published<std::optional<glimmo::URL>> url{*this, address("first.png")};
    glimmo::Published<bool> visible{*this, true};
};

struct Parent : glimmo::View<Parent> {
    glimmo::ObservedObject<Address> model;
    Shown shown;
    glimmo::AnyView body() const {
        if (!model->visible.get()) return glimmo::AnyView(glimmo::EmptyView());
        return glimmo::AnyView(RemoteImage(model->url.get(), 1, glimmo::Transaction{}, recording(shown)));
    }
};

class RemoteImageViewTest : public ::testing::Test {
protected:
    RemoteImageViewTest() { glimmo::RunLoop::setMain(loop); }
    ~RemoteImageViewTest() override {
        host.reset();
        // Loads left unanswered end when their continuations go; their tasks must run to free themselves.
        loader->calls.clear();
        loop->runUntilIdle();
        glimmo::RunLoop::setMain(nullptr);
    }

    void show(glimmo::AnyView view) {
        host = std::make_unique<glimmo::ViewHost>(remoteImageLoader(std::move(view), loader),
                                                  std::make_shared<glimmo::FixedAdvanceTextMeasurer>());
        host->setSize({300, 200});
        settle();
    }
    // Runs updates, appear actions and tasks until nothing is left.
    void settle() {
        for (int round = 0; round < 10; ++round) {
            const bool updated = host->update();
            if (loop->runUntilIdle() == 0 && !updated) return;
        }
    }
    std::size_t count(const auto& predicate) {
        std::size_t n = 0;
        for (const auto& item : host->displayList().items) n += std::visit(predicate, item) ? 1 : 0;
        return n;
    }
    std::size_t imagesDrawn() {
        return count([](const auto& item) { return std::is_same_v<std::decay_t<decltype(item)>, glimmo::ImageItem>; });
    }
    std::size_t fillsDrawn() {
        return count([](const auto& item) { return std::is_same_v<std::decay_t<decltype(item)>, glimmo::FillItem>; });
    }

    std::shared_ptr<glimmo::ManualRunLoop> loop = std::make_shared<glimmo::ManualRunLoop>();
    std::shared_ptr<ScriptedLoader> loader = std::make_shared<ScriptedLoader>();
    Shown shown = std::make_shared<std::vector<RemoteImageState>>();
    std::unique_ptr<glimmo::ViewHost> host;
};

TEST_F(RemoteImageViewTest, LoadsWhenShownAndBuildsTheContentForEachState) {
    show(RemoteImage(address("a.png"), 2, glimmo::Transaction{}, recording(shown)));
    ASSERT_EQ(loader->calls.size(), 1u);
    EXPECT_EQ(loader->calls[0].url, address("a.png"));
    ASSERT_FALSE(shown->empty());
    EXPECT_EQ(shown->back(), RemoteImageState::empty());

    loader->succeed(0, decodedImage(200, 100));
    settle();
    ASSERT_TRUE(shown->back().isSuccess());
    EXPECT_EQ(shown->back().idealSize(), (glimmo::CGSize{100, 50}));
    EXPECT_EQ(loader->calls.size(), 1u) << "showing the result loads nothing more";
}

TEST_F(RemoteImageViewTest, NoAddressShowsEmptyAndAsksNothing) {
    show(RemoteImage(std::nullopt, 1, glimmo::Transaction{}, recording(shown)));
    EXPECT_TRUE(loader->calls.empty());
    ASSERT_FALSE(shown->empty());
    EXPECT_EQ(shown->back(), RemoteImageState::empty());
}

TEST_F(RemoteImageViewTest, ImageOnlyFormShowsTheRedactedPlaceholderUntilLoadedAndAfterAFailure) {
    show(RemoteImage(address("a.png"), 1));
    EXPECT_EQ(imagesDrawn(), 0u);
    EXPECT_EQ(fillsDrawn(), 1u) << "the placeholder";
    loader->succeed(0, decodedImage(20, 10));
    settle();
    EXPECT_EQ(imagesDrawn(), 1u);
    EXPECT_EQ(fillsDrawn(), 0u);

    show(RemoteImage(address("b.png"), 1));
    loader->fail(1);
    settle();
    EXPECT_EQ(imagesDrawn(), 0u);
    EXPECT_EQ(fillsDrawn(), 1u);
}

// The view hands its transaction to the model: the image arrives inside it, a failure outside.
TEST_F(RemoteImageViewTest, TheImageArrivesInsideTheViewsTransaction) {
    glimmo::Transaction animated;
    animated.animation = glimmo::Animation::easeIn(0.4);
    show(RemoteImage(address("a.png"), 1, animated, recording(shown)));
    loader->succeed(0, decodedImage(2, 2));
    settle();
    ASSERT_TRUE(shown->back().isSuccess());
    EXPECT_EQ(host->lastTransaction(), animated);

    show(RemoteImage(address("b.png"), 1, animated, recording(shown)));
    loader->fail(1);
    settle();
    ASSERT_EQ(shown->back(), RemoteImageState::failure());
    EXPECT_EQ(host->lastTransaction(), glimmo::Transaction{});
}

TEST_F(RemoteImageViewTest, PlaceholderAndFallbackClosuresFollowTheState) {
    const auto built = std::make_shared<std::vector<std::string>>();
    const auto named = [built](std::string name) {
        return [built, name] {
            built->push_back(name);
            return glimmo::AnyView(glimmo::EmptyView());
        };
    };
    const auto content = [built](const glimmo::Image& image) {
        built->push_back("image " + std::to_string(image.pixels()->width));
        return glimmo::AnyView(image);
    };
    show(RemoteImage(address("a.png"), 1, glimmo::Transaction{}, content, named("placeholder"), named("fallback")));
    EXPECT_EQ(built->back(), "placeholder");
    loader->fail(0);
    settle();
    EXPECT_EQ(built->back(), "fallback");

    show(RemoteImage(address("b.png"), 1, glimmo::Transaction{}, content, named("placeholder")));
    loader->fail(1);
    settle();
    EXPECT_EQ(built->back(), "placeholder") << "without a fallback a failure shows the placeholder";

    show(RemoteImage(address("c.png"), 1, glimmo::Transaction{}, content, named("placeholder")));
    loader->succeed(2, decodedImage(7, 7));
    settle();
    EXPECT_EQ(built->back(), "image 7");
}

TEST_F(RemoteImageViewTest, ANewAddressLoadsAgainAndTheSameOneDoesNot) {
    const auto model = std::make_shared<Address>();
    show(glimmo::AnyView(Parent{{}, model, shown}));
    ASSERT_EQ(loader->calls.size(), 1u);
    loader->succeed(0, decodedImage(4, 4));
    settle();

    model->url = address("first.png");
    settle();
    EXPECT_EQ(loader->calls.size(), 1u);

    model->url = address("second.png");
    settle();
    ASSERT_EQ(loader->calls.size(), 2u);
    EXPECT_EQ(loader->calls[1].url, address("second.png"));
    EXPECT_TRUE(shown->back().isSuccess()) << "the previous picture stays while the next loads";

    model->url = std::nullopt;
    settle();
    EXPECT_EQ(loader->calls.size(), 2u);
}

TEST_F(RemoteImageViewTest, TheEnvironmentLoaderIsUsedAndTheSharedOneIsTheDefault) {
    EXPECT_EQ(glimmo::EnvironmentValues().get<RemoteImageLoaderKey>(), DefaultRemoteImageLoader::shared());
    glimmo::EnvironmentValues environment;
    setRemoteImageLoader(environment, loader);
    EXPECT_EQ(remoteImageLoader(environment), loader);

    const auto inner = std::make_shared<ScriptedLoader>();
    show(remoteImageLoader(glimmo::AnyView(RemoteImage(address("a.png"), 1, glimmo::Transaction{}, recording(shown))), inner));
    EXPECT_TRUE(loader->calls.empty()) << "the nearest loader wins";
    ASSERT_EQ(inner->calls.size(), 1u);
    inner->fail(0);  // the model holds this loader: its waiting load must end for both to go
    settle();
}

// What the view's task does, observed from inside: how often it started and how often it was cancelled.
struct TaskLog {
    int started = 0;
    int cancelled = 0;
};

glimmo::Task<void> waitUntilCancelled(std::shared_ptr<TaskLog> log) {
    ++log->started;
    try {
        co_await glimmo::sleepFor(3600);
    } catch (const glimmo::CancellationError&) {
        ++log->cancelled;
    }
}

struct TaskParent : glimmo::View<TaskParent> {
    glimmo::ObservedObject<Address> model;
    std::shared_ptr<TaskLog> log;
    glimmo::AnyView body() const {
        if (!model->visible.get()) return glimmo::AnyView(glimmo::EmptyView());
        auto action = [log = log] { return waitUntilCancelled(log); };
        return taskModifier(glimmo::AnyView(glimmo::Color::clear()), model->url.get(),
                            glimmo::AnyView::TaskPriority::userInitiated, action);
    }
};

TEST_F(RemoteImageViewTest, TaskModifierStartsOnAppearRestartsOnANewIdAndStopsOnDisappear) {
    const auto model = std::make_shared<Address>();
    const auto log = std::make_shared<TaskLog>();
    show(glimmo::AnyView(TaskParent{{}, model, log}));
    EXPECT_EQ(log->started, 1);
    EXPECT_EQ(log->cancelled, 0);

    model->url = address("first.png");  // the same id
    settle();
    EXPECT_EQ(log->started, 1);

    model->url = address("second.png");
    settle();
    EXPECT_EQ(log->started, 2);
    EXPECT_EQ(log->cancelled, 1);

    model->visible = false;
    settle();
    EXPECT_EQ(log->started, 2);
    EXPECT_EQ(log->cancelled, 2);
}

} // namespace
} // namespace remoteimage::testing
