#pragma once

namespace glimmo {

// Opens /dev/null in the place of each of standard input, output and error that is closed, so that no
// file the process opens later takes their numbers and gets what is printed or logged. First thing
// in main, before anything opens a file.
void openClosedStandardStreams();

} // namespace glimmo
