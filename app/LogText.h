// Values from outside the program (arguments, registry data, spooler records, file names,
// Windows' error texts) as they go into a log line. A log line must stay the one line the
// program wrote: a value that holds a line break or a control would otherwise start a line
// of its own, which a reader cannot tell from a real one.
#pragma once
#include <string>

// `text` with every character that breaks, hides or reorders a line shown as an escape:
// CR, LF and TAB as \r, \n and \t; the other C0 controls, DEL and the C1 controls as \xNN;
// the Unicode line and paragraph separators and the bidirectional embeddings, overrides and
// isolates as \uNNNN. Backslashes stay as they are: paths must read as paths.
std::wstring EscapeControls(const std::wstring& text);
