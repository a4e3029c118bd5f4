#pragma once

// Internal to the application runner: the connection isDisplayReachable() opened is held until the
// window toolkit has connected. An X server that resets when its last client leaves (Xvfb and Xorg do
// unless started with -noreset) refuses the connections that arrive while it resets: had the check's
// connection been closed, any other client leaving at that moment (our own check, a session's
// accessibility bus launcher on its way out) would reset it just as the toolkit connects.

namespace glimmo {

// Closes the held connection, if any.
void releaseDisplayHeldForStart();

} // namespace glimmo
