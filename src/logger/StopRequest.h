#pragma once

// SIGINT and SIGTERM ask the logger to end. The handler only sets a flag (all a signal
// handler may safely do); the program looks at it from its own loop.
namespace StopRequest {

void install();
bool requested();

} // namespace StopRequest
