#pragma once
// Arbitrary baud rates (14400 has no termios constant) through the kernel's
// termios2 interface. Kept in a file of its own: the kernel's termios header
// cannot live beside the C library's.

namespace k71t {

// Sets input and output speed of an open terminal; true on success.
bool setBaudRate(int fd, int baud);
// The output speed of a terminal in baud, or -1. On a pseudo-terminal's
// master this reports the speed that the slave side has set.
int getBaudRate(int fd);

} // namespace k71t
