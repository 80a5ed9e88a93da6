// The program's own command-line splitting, which differs from the platform's usual one:
//   - only the space (U+0020) separates; tabs are ordinary characters;
//   - a double quote at the start of a token opens a stretch that the next double quote closes
//     (or the end of the line); a character right after the closing quote starts the next token;
//   - inside an unquoted token a double quote is an ordinary character;
//   - there is no escape: a backslash is ordinary, also in front of a quote, and no sequence gives
//     a double quote inside a quoted parameter.
// The first token is the program path; parameter 0 is the token after it. A zero code unit ends
// the line.
#pragma once

#include <string>
#include <string_view>

namespace vexmora {

// The number of tokens minus one; -1 for a line without tokens.
int ParameterCount(std::u16string_view commandLine);
// Parameter `index` without its quotes; empty when there is no such parameter (also for a
// negative index).
std::u16string ParameterAt(std::u16string_view commandLine, int index);

// The same over the process command line, read afresh at every call.
int ParameterCount();
std::u16string ParameterAt(int index);

}  // namespace vexmora
