// What an exception that nobody catches does to the program.
//
// libstdc++'s default handler prints the exception's demangled type to stderr before it
// aborts. A GUI program has no stderr to print to, and the demangler it pulls in is about
// 46 KB of the release program. Ending the same way without the message keeps that out.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler()
{
    std::abort();
}
}  // namespace __gnu_cxx
