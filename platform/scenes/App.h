#pragma once

#include "platform/scenes/Scenes.h"

#include <vector>

namespace glimmo {

// An application object: made once by the application runner, which then presents its scenes.
class App {
public:
    virtual ~App() = default;
    virtual std::vector<Scene> body() = 0;
};

} // namespace glimmo
