#pragma once
// Arbitrary baud rates (14400 has no termios constant) through the kernel's
// termios2 interface. Kept in a file of its own: the kernel's termios header
// cannot live beside the C library's.

namespace k71t {

// Sets input and output speed of an open terminal; true on success.
bool setBaudRate(int fd, int baud);

// Puts an open terminal into raw 8-bit mode with the given speed, parity
// (0 none, 1 even, 2 odd) and stop bits, no flow control, reads that never
// wait, all in one kernel call. A pseudo-terminal has no parity and drops
// it; that is no error here (the C library's tcsetattr reports it as one
// once a parity setting was asked for before).
bool setLine(int fd, int baud, int parity, int stopBits);
// The output speed of a terminal in baud, or -1. On a pseudo-terminal's
// master this reports the speed that the slave side has set.
int getBaudRate(int fd);

} // namespace k71t
