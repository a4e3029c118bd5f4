#include "RemoteImage/DefaultRemoteImageLoader.h"
#include "RemoteImage/RemoteImageModel.h"
#include "tests/RemoteImage/ScriptedLoader.h"

#include "platform/runtime/ManualRunLoop.h"

#include <gtest/gtest.h>

namespace remoteimage::testing {
namespace {

ImageSource sourceOf(const std::string& path, glimmo::CGFloat scale = 1) {
    return ImageSource{*glimmo::URL::parse("https://images.example/" + path), scale};
}

class RemoteImageModelTest : public ::testing::Test {
protected:
    RemoteImageModelTest() { model->imageLoader = loader; }
    // Loads left unanswered end when their continuations go; their tasks must run to free themselves.
    ~RemoteImageModelTest() override {
        loader->calls.clear();
        loop.runUntilIdle();
    }

    // Starts an update as the view's task would and runs the loop until nothing is left to do.
    void update(std::optional<ImageSource> source) {
        glimmo::startTask(loop, model->update(std::move(source)));
        loop.runUntilIdle();
    }
    void settle() { loop.runUntilIdle(); }

    glimmo::ManualRunLoop loop;
    std::shared_ptr<ScriptedLoader> loader = std::make_shared<ScriptedLoader>();
    std::shared_ptr<RemoteImageModel> model = std::make_shared<RemoteImageModel>();
};

TEST_F(RemoteImageModelTest, StartsEmptyWithTheSharedLoader) {
    const auto fresh = std::make_shared<RemoteImageModel>();
    EXPECT_EQ(fresh->image.get(), RemoteImageState::empty());
    EXPECT_FALSE(fresh->source.get());
    EXPECT_EQ(fresh->imageLoader, DefaultRemoteImageLoader::shared());
    EXPECT_EQ(fresh->transaction, glimmo::Transaction{});
}

TEST_F(RemoteImageModelTest, IdealSizeIsThePixelSizeOverTheScale) {
    update(sourceOf("wide.png", 2));
    ASSERT_EQ(loader->calls.size(), 1u);
    EXPECT_EQ(loader->calls[0].url.absoluteString(), "https://images.example/wide.png");
    loader->succeed(0, decodedImage(200, 100));
    settle();
    ASSERT_TRUE(model->image->isSuccess());
    EXPECT_EQ(model->image->idealSize(), (glimmo::CGSize{100, 50}));
    EXPECT_EQ(model->image->image()->scale, 2);
    EXPECT_EQ(model->image->image()->width, 200);

    // The same address at another scale is another source: loaded again, sized anew.
    update(sourceOf("wide.png", 1));
    ASSERT_EQ(loader->calls.size(), 2u);
    loader->succeed(1, decodedImage(200, 100));
    settle();
    EXPECT_EQ(model->image->idealSize(), (glimmo::CGSize{200, 100}));
}

TEST_F(RemoteImageModelTest, SameSourceAgainLoadsNothingAndPublishesNothing) {
    update(sourceOf("a.png"));
    loader->succeed(0, decodedImage(4, 4));
    settle();
    int announcements = 0;
    const auto subscription = model->objectWillChange.connect([&announcements] { ++announcements; });
    update(sourceOf("a.png"));
    update(sourceOf("a.png"));
    EXPECT_EQ(loader->calls.size(), 1u);
    EXPECT_EQ(announcements, 0);
    EXPECT_TRUE(model->image->isSuccess());
}

TEST_F(RemoteImageModelTest, FailureIsKeptUntilTheSourceChanges) {
    update(sourceOf("broken.png"));
    loader->fail(0);
    settle();
    EXPECT_EQ(model->image.get(), RemoteImageState::failure());

    update(sourceOf("broken.png"));
    EXPECT_EQ(loader->calls.size(), 1u) << "a failed source is not retried";
    EXPECT_EQ(model->image.get(), RemoteImageState::failure());

    update(sourceOf("other.png"));
    ASSERT_EQ(loader->calls.size(), 2u);
    loader->succeed(1, decodedImage(1, 1));
    settle();
    EXPECT_TRUE(model->image->isSuccess());
}

TEST_F(RemoteImageModelTest, NoSourceLoadsNothingAndKeepsTheState) {
    update(std::nullopt);
    EXPECT_TRUE(loader->calls.empty());
    EXPECT_EQ(model->image.get(), RemoteImageState::empty());

    update(sourceOf("a.png"));
    loader->succeed(0, decodedImage(2, 2));
    settle();
    const RemoteImageState loaded = model->image.get();
    update(std::nullopt);
    EXPECT_FALSE(model->source.get());
    EXPECT_EQ(model->image.get(), loaded);
    EXPECT_EQ(loader->calls.size(), 1u);
}

// The previous picture stays while the next loads, and a slow answer for a replaced source never
// overwrites the current one, neither as an image nor as a failure.
TEST_F(RemoteImageModelTest, AnswersForReplacedSourcesAreDropped) {
    update(sourceOf("first.png"));
    loader->succeed(0, decodedImage(1, 1));
    settle();
    const RemoteImageState first = model->image.get();

    update(sourceOf("slow.png"));
    update(sourceOf("fast.png"));
    ASSERT_EQ(loader->calls.size(), 3u);
    EXPECT_EQ(model->image.get(), first) << "the previous picture stays while loading";

    loader->succeed(2, decodedImage(30, 10));
    settle();
    ASSERT_TRUE(model->image->isSuccess());
    EXPECT_EQ(model->image->idealSize(), (glimmo::CGSize{30, 10}));

    loader->succeed(1, decodedImage(5, 5));
    settle();
    EXPECT_EQ(model->image->idealSize(), (glimmo::CGSize{30, 10}));

    update(sourceOf("slow-failure.png"));
    update(sourceOf("fast.png"));
    ASSERT_EQ(loader->calls.size(), 5u);
    loader->fail(3);
    settle();
    EXPECT_TRUE(model->image->isSuccess()) << "a failure of a replaced source is dropped too";
    loader->succeed(4, decodedImage(30, 10));
    settle();
    EXPECT_EQ(model->source.get(), sourceOf("fast.png"));
    EXPECT_TRUE(model->image->isSuccess());
}

TEST_F(RemoteImageModelTest, SuccessArrivesInsideTheTransactionAndFailureOutside) {
    std::vector<glimmo::Transaction> seen;
    const auto subscription =
        model->image.didChange.connect([&seen](const RemoteImageState&) { seen.push_back(glimmo::currentTransaction()); });
    glimmo::Transaction animated;
    animated.animation = glimmo::Animation::easeIn(0.4);
    model->transaction = animated;

    update(sourceOf("animated.png"));
    loader->succeed(0, decodedImage(1, 1));
    settle();
    update(sourceOf("missing.png"));
    loader->fail(1);
    settle();

    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], animated);
    EXPECT_EQ(seen[1], glimmo::Transaction{});
}

TEST_F(RemoteImageModelTest, UsesTheLoaderHeldWhenTheUpdateStarts) {
    const auto later = std::make_shared<ScriptedLoader>();
    glimmo::startTask(loop, model->update(sourceOf("a.png")));
    settle();
    model->imageLoader = later;
    EXPECT_EQ(loader->calls.size(), 1u);
    EXPECT_TRUE(later->calls.empty());
    update(sourceOf("b.png"));
    EXPECT_EQ(later->calls.size(), 1u);
    EXPECT_EQ(loader->calls.size(), 1u);
    later->fail(0);  // the model holds this loader: its waiting load must end for both to go
    settle();
}

TEST_F(RemoteImageModelTest, ALoadKeepsItsModelAliveUntilTheLoaderAnswers) {
    update(sourceOf("a.png"));
    const std::weak_ptr<RemoteImageModel> watched = model;
    model.reset();
    EXPECT_FALSE(watched.expired());
    loader->succeed(0, decodedImage(3, 3));
    settle();
    EXPECT_TRUE(watched.expired());
}

TEST_F(RemoteImageModelTest, AnInvalidImageFromALoaderIsAFailure) {
    update(sourceOf("null.png"));
    loader->succeed(0, nullptr);
    settle();
    EXPECT_EQ(model->image.get(), RemoteImageState::failure());
}

TEST(RemoteImageState, SuccessesCompareByPixelsAndIdealSize) {
    auto pixels = std::make_shared<glimmo::PixelImage>();
    pixels->width = 1;
    pixels->height = 1;
    pixels->rgba = {1, 2, 3, 4};
    auto samePixels = std::make_shared<glimmo::PixelImage>(*pixels);
    auto otherPixels = std::make_shared<glimmo::PixelImage>(*pixels);
    otherPixels->rgba[0] = 9;
    const auto state = RemoteImageState::success(pixels, {1, 1});
    EXPECT_EQ(state, RemoteImageState::success(samePixels, {1, 1}));
    EXPECT_NE(state, RemoteImageState::success(otherPixels, {1, 1}));
    EXPECT_NE(state, RemoteImageState::success(pixels, {2, 1}));
    EXPECT_NE(state, RemoteImageState::empty());
    EXPECT_NE(RemoteImageState::empty(), RemoteImageState::failure());
    EXPECT_EQ(RemoteImageState::failure(), RemoteImageState::failure());
}

TEST(ImageSource, EqualAndHashedByAddressAndScale) {
    const std::hash<ImageSource> hash;
    EXPECT_EQ(sourceOf("a.png", 2), sourceOf("a.png", 2));
    EXPECT_EQ(hash(sourceOf("a.png", 2)), hash(sourceOf("a.png", 2)));
    EXPECT_NE(sourceOf("a.png", 2), sourceOf("a.png", 1));
    EXPECT_NE(sourceOf("a.png"), sourceOf("b.png"));
}

} // namespace
} // namespace remoteimage::testing
