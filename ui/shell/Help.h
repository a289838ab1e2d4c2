#pragma once
// Context help: the help file beside the program, opened at a topic by its context number.
// User-interface thread only.

// Shows the help topic whose context number is Context (1 is the contents).
void ShowHelp(int Context);
