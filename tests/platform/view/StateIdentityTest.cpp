#include "ViewTestSupport.h"

#include "platform/foundation/UserDefaults.h"
#include "platform/runtime/ManualRunLoop.h"
#include "platform/runtime/Task.h"
#include "platform/view/Button.h"
#include "platform/view/Shapes.h"
#include "platform/view/Stacks.h"
#include "platform/view/Structure.h"
#include "platform/view/Text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace glimmo {
namespace {

using testing::SumKey;
using testing::TestHost;

// Installs a manual main loop for the test and removes it afterwards.
class MainLoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        loop = std::make_shared<ManualRunLoop>();
        RunLoop::setMain(loop);
    }
    void TearDown() override { RunLoop::setMain(nullptr); }
    std::shared_ptr<ManualRunLoop> loop;
};

struct Counters {
    std::map<std::string, int> bodies;
};

struct CounterView : View<CounterView> {
    std::string name;
    std::shared_ptr<Counters> counters;
    State<int> count{0};
    CounterView(std::string n, std::shared_ptr<Counters> c) : name(std::move(n)), counters(std::move(c)) {}
    AnyView body() const {
        ++counters->bodies[name];
        auto state = count;
        return Button(name + ":" + std::to_string(*count), [state] { state.set(*state + 1); }).accessibilityLabel(name);
    }
};

std::string textOf(TestHost& t) {
    std::string out;
    for (const auto& item : t.host().displayList().items) {
        if (const auto* text = std::get_if<TextItem>(&item)) {
            for (const auto& r : text->runs) out += r.text;
            out += "|";
        }
    }
    return out;
}

// What a test changes from outside: views observe it, as they would a view model.
struct Controls : ObservableObject {
    Published<bool> flag{*this, true};
    Published<int> number{*this, 1};
};

struct Switcher : View<Switcher> {
    std::shared_ptr<Counters> counters;
    ObservedObject<Controls> controls;
    Switcher(std::shared_ptr<Counters> c, std::shared_ptr<Controls> k) : counters(std::move(c)), controls(std::move(k)) {}
    AnyView body() const {
        return VStack({
            IfElse(controls->flag.get(), AnyView(CounterView("left", counters)), AnyView(CounterView("right", counters))),
            AnyView(CounterView("keyed", counters)).id(controls->number.get()),
            CounterView("plain", counters),
        });
    }
};

TEST_F(MainLoopTest, StateSurvivesReRendersAndResetsWhenIdentityChanges) {
    auto controls = std::make_shared<Controls>();
    TestHost t(Switcher(std::make_shared<Counters>(), controls));
    t.click("left");
    t.click("left");
    t.click("keyed");
    t.click("plain");
    loop->runUntilIdle();
    EXPECT_EQ(textOf(t), "left:2|keyed:1|plain:1|");

    // Re-rendering the parent keeps every child's state.
    controls->flag.set(true);
    t.host().update();
    EXPECT_EQ(textOf(t), "left:2|keyed:1|plain:1|");

    // The other branch of a conditional is a new identity even with the same view type.
    controls->flag.set(false);
    t.host().update();
    EXPECT_EQ(textOf(t), "right:0|keyed:1|plain:1|");
    controls->flag.set(true);
    t.host().update();
    EXPECT_EQ(textOf(t), "left:0|keyed:1|plain:1|") << "the state of the removed branch is gone";

    // A new explicit id resets the view's state.
    controls->number.set(2);
    t.host().update();
    EXPECT_EQ(textOf(t), "left:0|keyed:0|plain:1|");
}

TEST_F(MainLoopTest, StateChangesAreCoalescedIntoOneUpdateOnTheMainLoop) {
    auto counters = std::make_shared<Counters>();
    CounterView view("c", counters);
    TestHost t(view);
    int displays = 0;
    t.host().setNeedsDisplayHandler([&] { ++displays; });
    const int before = counters->bodies["c"];
    t.host().handlePointer(TestHost::pointer(PointerEvent::Kind::pressed, {200, 150}));
    t.host().handlePointer(TestHost::pointer(PointerEvent::Kind::released, {200, 150}));
    t.host().handlePointer(TestHost::pointer(PointerEvent::Kind::pressed, {200, 150}));
    t.host().handlePointer(TestHost::pointer(PointerEvent::Kind::released, {200, 150}));
    EXPECT_EQ(counters->bodies["c"], before) << "nothing is evaluated before the main loop runs";
    loop->runUntilIdle();
    EXPECT_EQ(counters->bodies["c"], before + 1) << "two changes, one evaluation";
    EXPECT_EQ(displays, 1);
    EXPECT_EQ(textOf(t), "c:2|");
}

struct Model : ObservableObject {
    Published<int> value{*this, 0};
};

struct Observer : View<Observer> {
    std::string name;
    std::shared_ptr<Counters> counters;
    ObservedObject<Model> model;
    Observer(std::string n, std::shared_ptr<Counters> c, std::shared_ptr<Model> m)
        : name(std::move(n)), counters(std::move(c)), model(std::move(m)) {}
    AnyView body() const {
        ++counters->bodies[name];
        return Text(name + "=" + std::to_string(model->value.get()));
    }
};

struct Bystander : View<Bystander> {
    std::shared_ptr<Counters> counters;
    AnyView body() const {
        ++counters->bodies["bystander"];
        return Text("quiet");
    }
};

struct Page : View<Page> {
    std::shared_ptr<Counters> counters;
    std::shared_ptr<Model> model;
    AnyView body() const {
        ++counters->bodies["page"];
        return VStack({Observer("observer", counters, model), Bystander{{}, counters}});
    }
};

TEST_F(MainLoopTest, OnlyViewsObservingAnObjectAreEvaluatedAgain) {
    auto counters = std::make_shared<Counters>();
    auto model = std::make_shared<Model>();
    TestHost t(Page{{}, counters, model});
    EXPECT_EQ(counters->bodies, (std::map<std::string, int>{{"page", 1}, {"observer", 1}, {"bystander", 1}}));
    model->value.set(5);
    model->value.set(6);
    loop->runUntilIdle();
    EXPECT_EQ(counters->bodies, (std::map<std::string, int>{{"page", 1}, {"observer", 2}, {"bystander", 1}}));
    EXPECT_EQ(textOf(t), "observer=6|quiet|");
}

struct StateObjectView : View<StateObjectView> {
    std::shared_ptr<int> made;
    StateObject<Model> model;
    explicit StateObjectView(std::shared_ptr<int> m) : made(std::move(m)), model([made = made] { ++*made; return std::make_shared<Model>(); }) {}
    AnyView body() const { return Text(std::to_string(model->value.get())); }
};

struct StateObjectParent : View<StateObjectParent> {
    std::shared_ptr<int> made;
    ObservedObject<Controls> controls;
    StateObjectParent(std::shared_ptr<int> m, std::shared_ptr<Controls> c) : made(std::move(m)), controls(std::move(c)) {}
    AnyView body() const { return VStack({Text(std::to_string(controls->number.get())), StateObjectView(made)}); }
};

TEST_F(MainLoopTest, AStateObjectIsMadeOncePerIdentityAndObserved) {
    auto made = std::make_shared<int>(0);
    auto controls = std::make_shared<Controls>();
    TestHost t(StateObjectParent(made, controls));
    controls->number.set(5);
    loop->runUntilIdle();
    controls->number.set(2);
    loop->runUntilIdle();
    EXPECT_EQ(*made, 1);
    EXPECT_EQ(textOf(t), "2|0|");
}

struct ChangeWatcher : View<ChangeWatcher> {
    ObservedObject<Controls> controls;
    std::shared_ptr<std::vector<std::pair<int, int>>> seen;
    ChangeWatcher(std::shared_ptr<Controls> c, std::shared_ptr<std::vector<std::pair<int, int>>> s) : controls(std::move(c)), seen(std::move(s)) {}
    AnyView body() const {
        auto seen = this->seen;
        const int value = controls->number.get();
        return Text(std::to_string(value)).onChange<int>(value, [seen](const int& o, const int& n) { seen->emplace_back(o, n); });
    }
};

TEST_F(MainLoopTest, OnChangeSkipsTheInitialValueAndReportsOldAndNew) {
    auto controls = std::make_shared<Controls>();
    auto seen = std::make_shared<std::vector<std::pair<int, int>>>();
    TestHost t(ChangeWatcher(controls, seen));
    EXPECT_TRUE(seen->empty());
    controls->number.set(4);
    loop->runUntilIdle();
    controls->number.set(4);
    loop->runUntilIdle();
    controls->number.set(9);
    loop->runUntilIdle();
    EXPECT_EQ(*seen, (std::vector<std::pair<int, int>>{{1, 4}, {4, 9}}));
}

struct TaskLog {
    std::vector<std::string> events;
};

Task<void> waitThenFinish(std::shared_ptr<TaskLog> log, int id) {
    log->events.push_back("start " + std::to_string(id));
    try {
        co_await sleepFor(10);
        log->events.push_back("done " + std::to_string(id));
    } catch (const CancellationError&) {
        log->events.push_back("cancelled " + std::to_string(id));
    }
}

struct Tasked : View<Tasked> {
    std::shared_ptr<TaskLog> log;
    ObservedObject<Controls> controls;
    Tasked(std::shared_ptr<TaskLog> l, std::shared_ptr<Controls> c) : log(std::move(l)), controls(std::move(c)) {}
    AnyView body() const {
        auto log = this->log;
        const int current = controls->number.get();
        return If(controls->flag.get(), [&] { return Text("t").task(AnyHashable(current), [log, current] { return waitThenFinish(log, current); }); });
    }
};

TEST_F(MainLoopTest, ATaskStartsOnAppearanceRestartsWithANewIdAndIsCancelledOnDisappearance) {
    auto log = std::make_shared<TaskLog>();
    auto controls = std::make_shared<Controls>();
    TestHost t(Tasked(log, controls));
    loop->runUntilIdle();
    EXPECT_EQ(log->events, (std::vector<std::string>{"start 1"}));
    controls->number.set(2);
    loop->runUntilIdle();
    EXPECT_EQ(log->events, (std::vector<std::string>{"start 1", "cancelled 1", "start 2"}));
    loop->advance(11);
    EXPECT_EQ(log->events.back(), "done 2");
    controls->number.set(3);
    loop->runUntilIdle();
    controls->flag.set(false);
    loop->runUntilIdle();
    EXPECT_EQ(log->events.back(), "cancelled 3");
}

// Odd ids have no work: their action is empty.
struct EvenTasked : View<EvenTasked> {
    std::shared_ptr<TaskLog> log;
    ObservedObject<Controls> controls;
    EvenTasked(std::shared_ptr<TaskLog> l, std::shared_ptr<Controls> c) : log(std::move(l)), controls(std::move(c)) {}
    AnyView body() const {
        auto log = this->log;
        const int current = controls->number.get();
        std::function<Task<void>()> action;
        if (current % 2 == 0) action = [log, current] { return waitThenFinish(log, current); };
        return Text("t").task(AnyHashable(current), std::move(action));
    }
};

TEST_F(MainLoopTest, AnEmptyTaskActionStartsNothingAndStillCancelsTheRunningTask) {
    auto log = std::make_shared<TaskLog>();
    auto controls = std::make_shared<Controls>();
    TestHost t(EvenTasked(log, controls));
    loop->runUntilIdle();
    EXPECT_TRUE(log->events.empty());
    controls->number.set(2);
    loop->runUntilIdle();
    controls->number.set(3);
    loop->runUntilIdle();
    loop->advance(11);
    EXPECT_EQ(log->events, (std::vector<std::string>{"start 2", "cancelled 2"}));
}

// Its task's action goes empty, under the same id, in the update that made the view: a reader of a
// preference acts before the task is started.
struct ActionDropped : View<ActionDropped> {
    std::shared_ptr<TaskLog> log;
    State<bool> dropped{false};
    AnyView body() const {
        std::function<Task<void>()> action;
        if (!*dropped) action = [log = log] { return waitThenFinish(log, 1); };
        return Text("t").preference<SumKey>(1).task(AnyHashable(1), std::move(action)).onPreferenceChange<SumKey>([dropped = dropped](int) {
            dropped.set(true);
        });
    }
};

TEST_F(MainLoopTest, AnActionThatGoesEmptyBeforeItsTaskStartsStartsNothing) {
    auto log = std::make_shared<TaskLog>();
    TestHost t(ActionDropped{{}, log});
    loop->runUntilIdle();
    loop->advance(11);
    EXPECT_TRUE(log->events.empty());
}

// A model whose task is one of its member coroutines, held only by the view's task action.
struct TaskedModel {
    static inline int alive = 0;
    TaskedModel() { ++alive; }
    ~TaskedModel() { --alive; }
    Task<void> run(std::shared_ptr<std::optional<bool>> ranWhileAlive) {
        *ranWhileAlive = alive > 0;
        co_return;
    }
};

struct ShortLived : View<ShortLived> {
    std::shared_ptr<std::optional<bool>> ran;
    explicit ShortLived(std::shared_ptr<std::optional<bool>> r) : ran(std::move(r)) {}
    AnyView body() const {
        auto model = std::make_shared<TaskedModel>();
        auto ran = this->ran;
        return Text("m").task([model, ran] { return model->run(ran); });
    }
};

TEST_F(MainLoopTest, AViewGoneBeforeItsTaskStartsLeavesTheTaskWhatItsActionHeld) {
    auto ran = std::make_shared<std::optional<bool>>();
    { TestHost t(ShortLived{ran}); }
    loop->runUntilIdle();
    EXPECT_EQ(*ran, std::optional<bool>(true));
    EXPECT_EQ(TaskedModel::alive, 0);
}

struct AppearLog : View<AppearLog> {
    std::shared_ptr<std::vector<std::string>> log;
    ObservedObject<Controls> controls;
    AppearLog(std::shared_ptr<std::vector<std::string>> l, std::shared_ptr<Controls> c) : log(std::move(l)), controls(std::move(c)) {}
    AnyView body() const {
        auto log = this->log;
        return VStack({If(controls->flag.get(), [&] {
            return Text("x").onAppear([log] { log->push_back("appear"); }).onDisappear([log] { log->push_back("disappear"); });
        })});
    }
};

TEST_F(MainLoopTest, AppearAndDisappearRunOncePerAppearance) {
    auto log = std::make_shared<std::vector<std::string>>();
    auto controls = std::make_shared<Controls>();
    TestHost t(AppearLog(log, controls));
    t.host().update();
    controls->flag.set(false);
    loop->runUntilIdle();
    controls->flag.set(true);
    loop->runUntilIdle();
    EXPECT_EQ(*log, (std::vector<std::string>{"appear", "disappear", "appear"}));
}

struct GreetingKey {
    using Value = std::string;
    static Value defaultValue() { return "hello"; }
};

struct EnvironmentReader : View<EnvironmentReader> {
    Environment<std::string> greeting = Environment<std::string>::key<GreetingKey>();
    Environment<ColorScheme> scheme{&EnvironmentValues::colorScheme};
    AnyView body() const { return Text(*greeting + (*scheme == ColorScheme::dark ? " dark" : " light")); }
};

TEST_F(MainLoopTest, EnvironmentValuesFlowDownAndDefaultsApply) {
    TestHost t(VStack({
        EnvironmentReader(),
        EnvironmentReader().environment<GreetingKey>("hi"),
        EnvironmentReader().transformEnvironment<GreetingKey>([](std::string& s) { s += "!"; }).colorScheme(ColorScheme::dark),
        glimmo::EnvironmentReader([](const EnvironmentValues& e) {
            return AnyView(Text(e.get<GreetingKey>() + (e.colorScheme() == ColorScheme::dark ? " dark" : " light")));
        }).environment<GreetingKey>("read"),
    }));
    EXPECT_EQ(textOf(t), "hello light|hi light|hello! dark|read light|");
    t.host().setColorScheme(ColorScheme::dark);
    t.host().update();
    EXPECT_EQ(textOf(t), "hello dark|hi dark|hello! dark|read dark|");
}

struct NeedsModel : View<NeedsModel> {
    EnvironmentObject<Model> model;
    AnyView body() const { return Text("model " + std::to_string(model->value.get())); }
};

TEST_F(MainLoopTest, EnvironmentObjectsAreObservedAndMissingOnesAreReported) {
    auto model = std::make_shared<Model>();
    TestHost t(NeedsModel().environmentObject(model));
    model->value.set(3);
    loop->runUntilIdle();
    EXPECT_EQ(textOf(t), "model 3|");
    EXPECT_THROW(TestHost{NeedsModel()}, MissingEnvironmentObject);
}

struct Stored : View<Stored> {
    UserDefaults* defaults;
    AppStorage<std::string> style{"viewStyle", "Modern", defaults};
    explicit Stored(UserDefaults* d) : defaults(d), style("viewStyle", "Modern", d) {}
    AnyView body() const { return Text(style.get()); }
};

TEST_F(MainLoopTest, AppStorageReadsDefaultsAndFollowsChanges) {
    const auto dir = std::filesystem::temp_directory_path() / ("view-defaults-" + std::to_string(std::random_device{}()));
    std::filesystem::create_directories(dir);
    {
        UserDefaults defaults(dir / "defaults.json");
        TestHost t{AnyView(Stored(&defaults))};
        EXPECT_EQ(textOf(t), "Modern|");
        defaults.set("viewStyle", "Journal");
        loop->runUntilIdle();
        EXPECT_EQ(textOf(t), "Journal|");
        Stored(&defaults).style.binding().set("Classic");
        EXPECT_EQ(defaults.string("viewStyle"), "Classic");
    }
    std::filesystem::remove_all(dir);
}

TEST_F(MainLoopTest, WithAnimationCarriesItsTransactionIntoTheUpdate) {
    auto counters = std::make_shared<Counters>();
    CounterView view("c", counters);
    TestHost t(view);
    Transaction seen;
    t.host().setNeedsDisplayHandler([&] { seen = t.host().graph().currentTransaction; });
    withAnimation(Animation::easeInOut(0.2), [&] {
        t.host().handlePointer(TestHost::pointer(PointerEvent::Kind::pressed, {200, 150}));
        t.host().handlePointer(TestHost::pointer(PointerEvent::Kind::released, {200, 150}));
    });
    EXPECT_EQ(currentTransaction(), Transaction{}) << "the transaction ends with the block";
    loop->runUntilIdle();
    EXPECT_EQ(seen.animation, Animation::easeInOut(0.2));
    EXPECT_EQ(t.host().lastTransaction().animation, Animation::easeInOut(0.2));
    EXPECT_EQ(t.host().graph().currentTransaction, Transaction{}) << "and with the update it caused";
}

} // namespace
} // namespace glimmo

namespace glimmo {
namespace {

struct Chart : View<Chart> {
    std::vector<int> week;
    std::shared_ptr<Counters> counters;
    bool operator==(const Chart& o) const { return week == o.week; }
    AnyView body() const {
        ++counters->bodies["chart"];
        return Text(std::to_string(week.size()));
    }
};

struct ChartPage : View<ChartPage> {
    std::shared_ptr<Counters> counters;
    ObservedObject<Controls> controls;
    ChartPage(std::shared_ptr<Counters> c, std::shared_ptr<Controls> k) : counters(std::move(c)), controls(std::move(k)) {}
    AnyView body() const {
        ++counters->bodies["page"];
        std::vector<int> week(7, 0);
        if (controls->flag.get()) week[0] = 1;
        return VStack({Text(std::to_string(controls->number.get())), AnyView(Chart{{}, week, counters}).equatable()});
    }
};

TEST_F(MainLoopTest, EquatableViewsAreNotEvaluatedAgainWhileEqual) {
    auto counters = std::make_shared<Counters>();
    auto controls = std::make_shared<Controls>();
    TestHost t(ChartPage(counters, controls));
    controls->number.set(2);
    loop->runUntilIdle();
    EXPECT_EQ(counters->bodies["page"], 2);
    EXPECT_EQ(counters->bodies["chart"], 1) << "same week, same chart";
    controls->flag.set(false);
    loop->runUntilIdle();
    EXPECT_EQ(counters->bodies["chart"], 2);
}

struct Item {
    int id;
    std::string name;
};

struct Reorder : View<Reorder> {
    std::shared_ptr<Counters> counters;
    ObservedObject<Controls> controls;
    Reorder(std::shared_ptr<Counters> c, std::shared_ptr<Controls> k) : counters(std::move(c)), controls(std::move(k)) {}
    AnyView body() const {
        std::vector<Item> items{{1, "one"}, {2, "two"}, {3, "three"}};
        if (!controls->flag.get()) std::reverse(items.begin(), items.end());
        if (controls->number.get() > 1) items.erase(items.begin() + 1);
        auto counters = this->counters;
        return VStack({ForEach(items, [counters](const Item& item) { return CounterView(item.name, counters); })});
    }
};

TEST_F(MainLoopTest, ForEachKeepsStateByIdWhenElementsMoveOrGo) {
    auto controls = std::make_shared<Controls>();
    TestHost t(Reorder(std::make_shared<Counters>(), controls));
    t.click("one");
    t.click("three");
    t.click("three");
    loop->runUntilIdle();
    EXPECT_EQ(textOf(t), "one:1|two:0|three:2|");
    controls->flag.set(false);
    loop->runUntilIdle();
    EXPECT_EQ(textOf(t), "three:2|two:0|one:1|");
    controls->number.set(2);
    loop->runUntilIdle();
    EXPECT_EQ(textOf(t), "three:2|one:1|") << "removing an element keeps the others' state";
}

TEST(BindingTest, BindingsReadAndWriteThroughAndProjectMembers) {
    struct Point {
        int x = 0;
        int y = 0;
    };
    auto storage = std::make_shared<Point>();
    Binding<Point> point([storage] { return *storage; }, [storage](Point p) { *storage = p; });
    point.member(&Point::y).set(7);
    EXPECT_EQ(storage->y, 7);
    EXPECT_EQ(point.member(&Point::y).get(), 7);
    EXPECT_EQ(Binding<int>::constant(3).get(), 3);
    auto model = std::make_shared<Controls>();
    ObservedObject<Controls> observed(model);
    observed.binding(&Controls::number).set(42);
    EXPECT_EQ(model->number.get(), 42);
}

struct FocusByCode : View<FocusByCode> {
    FocusState focused;
    AnyView body() const {
        auto f = focused;
        return VStack({
            Rectangle().frame(20, 20).focused(focused.binding()).accessibilityLabel("field"),
            Button("Focus", [f] { f.set(true); }).accessibilityLabel("button"),
            Text(*focused ? "focused" : "idle"),
        });
    }
};

TEST_F(MainLoopTest, SettingFocusStateMovesKeyboardFocus) {
    TestHost t(FocusByCode{});
    t.click("button");
    loop->runUntilIdle();
    EXPECT_EQ(textOf(t), "Focus|focused|");
    ViewNode* field = testing::findLabelled(t.host().graph().root(), "field");
    ASSERT_NE(field, nullptr);
    ViewNode* focused = t.host().graph().focusedNode();
    ASSERT_NE(focused, nullptr);
    bool inside = false;
    for (ViewNode* n = focused; n; n = n->parent) inside = inside || n == field;
    EXPECT_TRUE(inside);
}

} // namespace
} // namespace glimmo

namespace glimmo {
namespace {

struct Fragile : View<Fragile> {
    ObservedObject<Controls> controls;
    explicit Fragile(std::shared_ptr<Controls> c) : controls(std::move(c)) {}
    AnyView body() const {
        if (!controls->flag.get()) throw std::runtime_error("no data");
        return Text("fine " + std::to_string(controls->number.get()));
    }
};

TEST_F(MainLoopTest, ABodyThatThrowsLeavesTheHostUsable) {
    auto controls = std::make_shared<Controls>();
    TestHost t{AnyView(Fragile(controls))};
    controls->flag.set(false);
    EXPECT_THROW(t.host().update(), std::runtime_error);
    controls->flag.set(true);
    controls->number.set(7);
    t.host().update();
    EXPECT_EQ(textOf(t), "fine 7|");
}

} // namespace
} // namespace glimmo
