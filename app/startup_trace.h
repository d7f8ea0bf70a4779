#pragma once

class QWidget;

// The moments of a Qt program's start and exit that its user waits for, in the trace of core/moment_trace.h:
// "process start" (the kernel's record, to a clock tick), "main", "shown CLASS" at the first paint of each top-level
// window (and "first window shown" once), what the program names with mark_next_paint, "quit requested" and "end".
// Shared by ostrevan and the benchmark's bare window, so that both are measured the same way.
namespace startup_trace {

// Opens the trace when argv holds "--trace-startup FILE" and marks the start; call first thing in main().
void begin(int argc, char** argv);
// Once the application object exists: from then on the first paint of each top-level window is marked.
void watch_windows();
// The next paint of `window` is marked `name` (the main window once the start is over, say).
void mark_next_paint(QWidget* window, const char* name);

}  // namespace startup_trace
