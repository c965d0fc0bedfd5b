// Built without line editing: a terminal is read as the stream it is, a line
// at a time as its own line discipline hands them over.
#include "editor.h"

const char kTerminalHelp[] =
    "At a terminal, lines are read as the terminal hands them over: this calc\n"
    "is built without line editing.";

bool StartEditor() { return false; }

// Never called, as no editor is ever started.
size_t ReadEditedLine(Input* input, size_t) {
  input->ended = true;
  return 0;
}
