#include "platform/scenes/ApplicationRunner.h"
#include "shell/GlimmoDemoApp.h"

#include <cstdio>

int main(int argc, char** argv) {
    // Without a display the toolkit would abort with a message that blames the installation.
    if (!glimmo::isDisplayReachable()) {
        std::fputs("GlimmoDemo needs an X11 session: no X display could be opened (is DISPLAY set?); "
                   "capturing the frontmost window also needs a window manager.\n",
                   stderr);
        return 1;
    }
    return glimmo::runApplication<glimmo::GlimmoDemoApp>(argc, argv, glimmo::GlimmoDemoApp::name);
}
