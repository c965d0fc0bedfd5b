// The line editor of the POSIX input part. CMake picks its one definition:
// editor_libedit.cpp where calc is built with line editing, editor_none.cpp
// where not.
#pragma once

#include <cstddef>

#include "input.h"

// Starts the editor on standard input, a terminal; false when the build has
// none or it cannot be set up, and the terminal is then read as a stream.
bool StartEditor();

// Reads one line through the editor into input->buffer[offset...], with its
// line end, growing the buffer to fit; the count read. At end of input or on
// a read error, 0, with input->ended set (and input->error on an error); 0
// too, with input->dropped set, when Ctrl-C threw the line away.
// Calls the wait hook first.
size_t ReadEditedLine(Input* input, size_t offset);
