#pragma once

#include "platform/runtime/RunLoop.h"
#include "platform/runtime/Task.h"
#include "platform/view/State.h"
#include "platform/view/View.h"

#include <concepts>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace remoteimage {

// Runs `action` as a task on the main loop while the content is shown: started when it appears,
// cancelled and started again when `id` changes, cancelled when it disappears. Appearing again
// without having disappeared starts a second task beside the first. The kit's own `task(id:)`
// modifier does the same job; this one keeps the task handle in view state of its own.
template <std::equality_comparable ID>
struct TaskModifier : glimmo::View<TaskModifier<ID>> {
    using Action = std::function<glimmo::Task<void>()>;

    TaskModifier(glimmo::AnyView content, ID id, glimmo::AnyView::TaskPriority priority, Action action)
        : content(std::move(content)), id(std::move(id)), priority(priority), action(std::move(action)) {}

    glimmo::AnyView content;
    ID id;
    glimmo::AnyView::TaskPriority priority;
    Action action;
    // The task started last, behind a box made once per identity.
    glimmo::State<std::shared_ptr<std::optional<glimmo::TaskHandle>>> task{
        std::make_shared<std::optional<glimmo::TaskHandle>>()};

    glimmo::AnyView body() const {
        const auto slot = task.get();
        const auto start = [slot, action = action] {
            if (!glimmo::RunLoop::hasMain()) return;
            *slot = glimmo::startTask(glimmo::RunLoop::main(), action());
        };
        const auto cancel = [slot] {
            if (*slot) (*slot)->cancel();
            slot->reset();
        };
        return content.onAppear(start)
            .onDisappear(cancel)
            .onChange(id, [start, cancel] {
                cancel();
                start();
            });
    }
};

template <std::equality_comparable ID>
glimmo::AnyView taskModifier(glimmo::AnyView content, ID id, glimmo::AnyView::TaskPriority priority,
                             std::function<glimmo::Task<void>()> action) {
    return glimmo::AnyView(TaskModifier<ID>(std::move(content), std::move(id), priority, std::move(action)));
}

} // namespace remoteimage
