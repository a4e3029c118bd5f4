#pragma once

// The end of the session's display: a logout, or an X server that crashed or was killed. Whoever
// notices first reports it here, on any thread: one of our own X connections on its reader thread,
// or a watch on the window toolkit's connection on the main thread. The application then quits
// through its ordinary shutdown (the current record is credited and written, as on Quit) and the
// process exits with displayLostExitStatus.

#include <functional>

namespace glimmo {

// The exit status of an application whose display went away. The other statuses: 0 after Quit or
// a termination signal, 1 when no display could be opened or the window toolkit could not connect to
// it (or a folder it writes in not locked) at the start, anotherInstanceExitStatus (InstanceLock.h)
// when another instance owns one of them.
inline constexpr int displayLostExitStatus = 3;

// Any thread, any number of times. The first report logs the loss and posts the handler to the
// main run loop; later reports change nothing.
void reportDisplayLost();
bool isDisplayLost();

// Main thread: runs the handler unless it has run already. A watch that has to act before the
// toolkit's own reaction calls this right after reporting.
void handleDisplayLoss();

// Main thread. What the main loop does once the display is lost (the application runner quits its
// event loop); an empty function removes it. Without a handler a loss is only logged.
void setDisplayLostHandler(std::function<void()> handler);

} // namespace glimmo
