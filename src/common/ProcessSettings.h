#pragma once
// Settings that hold for the whole process (and the thread that talks to the
// meter), made once at the start of every program: the GUI, the
// command-line tool, the tests' harness and the benchmarks.
namespace k71t {

// Numbers are written and read with "." and dates as YYYY-MM-DD whatever the
// machine's locale; the calling thread's millisecond sleeps are not stretched
// by the kernel's timer slack (the link polls with them). Called after the
// Qt application object is made, which sets the C library's locale from the
// environment.
void applyProcessSettings();
// The part that belongs to a thread: for a thread that polls the link (the
// program's link worker), which does not inherit it.
void applyLinkThreadSettings();

} // namespace k71t
