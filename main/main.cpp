#include "platform/scenes/ApplicationRunner.h"
#include "shell/GlimmoDemoApp.h"

int main(int argc, char** argv) {
    glimmo::runApplication<glimmo::GlimmoDemoApp>(argc, argv, glimmo::GlimmoDemoApp::name);
    return 0;
}
