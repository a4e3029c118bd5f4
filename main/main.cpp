#include <cstdio>

// Placeholder entry point until the application object lands: it says so instead of pretending to run.
int main() {
    std::puts("GlimmoDemo: the application object is not built yet; only the libraries and their tests are.");
    return 0;
}
