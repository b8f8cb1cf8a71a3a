#pragma once
// Reading standard input (`lexaro -`) a piece at a time, so that a load can be cancelled while the
// writer is slow: on POSIX (ui/load/StandardInput_posix.cpp) by poll, on Windows
// (ui/load/StandardInput_win.cpp) by looking into the pipe before reading.

#include <QtGlobal>
#include <cstddef>

namespace lexaro {

// How long a read of standard input waits for more before it looks at a cancel again.
inline constexpr int kStandardInputPollMs = 50;

// Reads up to `room` bytes of standard input into `buffer`: how many (0 at its end), or -1 on an
// error; 0 bytes and `waiting` when nothing came within kStandardInputPollMs. Standard input is
// shared with the shell that started the program, so it is waited on, never made non-blocking.
[[nodiscard]] qint64 ReadStandardInput(char* buffer, std::size_t room, bool& waiting);

}  // namespace lexaro
