#include "platform/foundation/Files.h"
#include "platform/foundation/WriteBehindFile.h"
#include "tests/support/TemporaryDirectory.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace glimmo {
namespace {

namespace fs = std::filesystem;

// What the requests hold: how many are alive at most, and the thread each went on.
struct Holdings {
    std::mutex mutex;
    int alive = 0;
    int mostAlive = 0;
    std::map<int, std::thread::id> goneOn;
};

class Held {
public:
    Held(Holdings& holdings, int number) : holdings_(holdings), number_(number) {
        const std::lock_guard lock(holdings_.mutex);
        holdings_.mostAlive = std::max(holdings_.mostAlive, ++holdings_.alive);
    }
    ~Held() {
        const std::lock_guard lock(holdings_.mutex);
        --holdings_.alive;
        holdings_.goneOn[number_] = std::this_thread::get_id();
    }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;

private:
    Holdings& holdings_;
    const int number_;
};

// Requests numbered from 0, each holding a Held; the first one's content waits until released.
class Requests {
public:
    WriteBehindFile::Content operator()(int number) {
        return [this, number, held = std::make_shared<const Held>(holdings, number)] {
            made.push_back(number);
            if (number == 0) {
                writing.set_value();
                // Bounded: were the content made on the caller's thread, the test would fail, not hang.
                released.wait_for(std::chrono::seconds(20));
            }
            return "request " + std::to_string(number);
        };
    }
    void waitUntilWriting() { writing.get_future().wait(); }
    void release() { release_.set_value(); }

    Holdings holdings;
    std::vector<int> made; // on the writer's thread; read once its writes have ended

private:
    std::promise<void> writing;
    std::promise<void> release_;
    std::shared_future<void> released = release_.get_future().share();
};

std::string noFailureExpected(const std::exception& error) {
    ADD_FAILURE() << error.what();
    return error.what();
}

// However many requests come during a long write, two wait: the first, which holds what the owner had
// before it, and the latest, which is the one made and written next. Both go on the writer's thread.
TEST(WriteBehindFileTest, DuringALongWriteTheLatestRequestReplacesThePendingOne) {
    const testing::TemporaryDirectory folder;
    const fs::path path = folder.path() / "made on the first write" / "file.json";
    WriteBehindFile file(path, noFailureExpected);
    Requests request;
    constexpr int later = 10'000;
    file.write(request(0));
    request.waitUntilWriting();
    for (int number = 1; number <= later; ++number) file.write(request(number));
    request.release();
    file.flush();

    EXPECT_EQ(request.made, (std::vector<int>{0, later}));
    EXPECT_EQ(file.writesHandedOver(), 2u) << "the requests made during the write handed the writer one write between them";
    EXPECT_EQ(readFile(path), "request " + std::to_string(later));
    EXPECT_LE(request.holdings.mostAlive, 4) << "the one written, the first waiting, the latest and the next";
    EXPECT_EQ(request.holdings.alive, 0);
    for (const int number : {0, 1, later}) {
        EXPECT_NE(request.holdings.goneOn[number], std::this_thread::get_id()) << number;
    }
}

// Its queue's last turn writes what is still requested: no write is lost when it goes.
TEST(WriteBehindFileTest, WhatIsRequestedWhenItGoesIsWritten) {
    const testing::TemporaryDirectory folder;
    const fs::path path = folder.path() / "file.json";
    Requests request;
    {
        WriteBehindFile file(path, noFailureExpected);
        file.write(request(0));
        request.waitUntilWriting();
        file.write(request(1));
        file.write(request(2));
        request.release();
    }
    EXPECT_EQ(request.made, (std::vector<int>{0, 2}));
    EXPECT_EQ(readFile(path), "request 2");
}

} // namespace
} // namespace glimmo
