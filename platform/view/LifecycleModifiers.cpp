#include "platform/runtime/RunLoop.h"
#include "platform/runtime/Task.h"
#include "platform/view/NodeSupport.h"
#include "platform/view/ViewGraph.h"

namespace glimmo {
namespace {

class AppearNode final : public ModifierNode<AppearNode, std::function<void()>> {
protected:
    void didUpdate() override {
        if (appeared_ || !graph) return;
        appeared_ = true;
        graph->enqueueAction(params);
    }

private:
    bool appeared_ = false;
};

class DisappearNode final : public ModifierNode<DisappearNode, std::function<void()>> {
public:
    void willUnmount() override {
        if (graph && params) graph->enqueueAction(params);
    }
};

struct ChangeParams {
    AnyHashable value;
    std::function<void(const AnyHashable&, const AnyHashable&)> action;
};

class ChangeNode final : public ModifierNode<ChangeNode, ChangeParams> {
protected:
    void didUpdate() override {
        if (!seen_) {
            seen_ = true;
            last_ = params.value;
            return;
        }
        if (params.value == last_) return;
        AnyHashable old = last_;
        last_ = params.value;
        if (graph) graph->enqueueAction([action = params.action, old, now = params.value] { action(old, now); });
    }

private:
    bool seen_ = false;
    AnyHashable last_;
};

struct TaskParams {
    AnyHashable id;
    std::function<Task<void>()> action;
    int priority;
};

// The task with its action alive for as long as it runs: what the action captured (the model whose
// member coroutine the task is) must outlive the view, which may go before the task has started.
Task<void> keepingActionAlive(std::function<Task<void>()> action, Task<void> task) {
    (void)action;
    co_await std::move(task);
}

// Starts the task on the main loop when the view appears, cancels it when the view goes away, and
// restarts it when the id changes.
class TaskNode final : public ModifierNode<TaskNode, TaskParams> {
public:
    ~TaskNode() override { cancel(); }
    void willUnmount() override {
        unmounted_ = true;
        cancel();
    }

protected:
    void didUpdate() override {
        if (started_ && params.id == runningId_) return;
        cancel();
        started_ = true;
        runningId_ = params.id;
        if (!params.action) return;
        auto token = std::make_shared<int>(0);
        token_ = token;
        if (graph) {
            // The action is read when the task starts, the latest given for this id, which an update
            // with the same id may have left empty.
            graph->enqueueAction([this, weak = std::weak_ptr<int>(token)] {
                if (weak.expired() || unmounted_ || !params.action || !RunLoop::hasMain()) return;
                auto task = params.action();
                handle_ = startTask(RunLoop::main(), keepingActionAlive(params.action, std::move(task)));
            });
        }
    }

private:
    void cancel() {
        token_.reset();
        if (handle_) handle_->cancel();
        handle_.reset();
    }
    bool started_ = false;
    bool unmounted_ = false;
    AnyHashable runningId_;
    std::shared_ptr<int> token_;
    std::optional<TaskHandle> handle_;
};

struct AnimationParams {
    std::optional<Animation> animation;
    AnyHashable value;
};

// Changes apply at once; the node keeps the animation that a change of `value` would use.
class AnimationNode final : public ModifierNode<AnimationNode, AnimationParams> {};

class TransactionNode final : public ModifierNode<TransactionNode, std::function<void(Transaction&)>> {
protected:
    void willUpdateChild() override {
        if (graph && params) params(graph->currentTransaction);
    }
};

} // namespace

namespace modifiers {
AnyView onAppear(AnyView v, std::function<void()> action) { return modify<AppearNode>(std::move(v), std::move(action)); }
AnyView onDisappear(AnyView v, std::function<void()> action) { return modify<DisappearNode>(std::move(v), std::move(action)); }
AnyView onChange(AnyView v, AnyHashable value, std::function<void(const AnyHashable&, const AnyHashable&)> action) {
    return modify<ChangeNode>(std::move(v), ChangeParams{std::move(value), std::move(action)});
}
AnyView task(AnyView v, AnyHashable id, std::function<Task<void>()> action, int priority) {
    return modify<TaskNode>(std::move(v), TaskParams{std::move(id), std::move(action), priority});
}
AnyView animation(AnyView v, std::optional<Animation> animation, AnyHashable value) {
    return modify<AnimationNode>(std::move(v), AnimationParams{animation, std::move(value)});
}
AnyView transaction(AnyView v, std::function<void(Transaction&)> change) {
    return modify<TransactionNode>(std::move(v), std::move(change));
}
} // namespace modifiers

} // namespace glimmo
