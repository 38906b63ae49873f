// What an exception that nobody catches does to the program, and what the C++ library throws.
//
// libstdc++'s default terminate handler prints the exception's demangled type to stderr before
// it aborts. A GUI program has no stderr to print to, and the demangler it pulls in is about
// 46 KB of the release program. Ending the same way without the message keeps that out.
//
// The library's throwing helpers (bits/functexcept.h) are replaced for the same reason: its own
// copies construct std::logic_error and its kin, which bring a second, reference-counted string
// class and its exception tables into the program (about 45 KB) for a message nobody reads.
// These throw a plain object instead. The one place that catches, the dialog procedure
// (win/Dialog.cpp), catches everything alike, and elsewhere the uncaught throw ends the program
// as the library's would.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler()
{
    std::abort();
}
}  // namespace __gnu_cxx

namespace {
struct LibraryError {};
}  // namespace

namespace std {
[[noreturn]] void __throw_bad_exception() { throw LibraryError{}; }
[[noreturn]] void __throw_bad_alloc() { throw LibraryError{}; }
[[noreturn]] void __throw_bad_array_new_length() { throw LibraryError{}; }
[[noreturn]] void __throw_bad_cast() { throw LibraryError{}; }
[[noreturn]] void __throw_bad_typeid() { throw LibraryError{}; }
[[noreturn]] void __throw_logic_error(const char*) { throw LibraryError{}; }
[[noreturn]] void __throw_domain_error(const char*) { throw LibraryError{}; }
[[noreturn]] void __throw_invalid_argument(const char*) { throw LibraryError{}; }
[[noreturn]] void __throw_length_error(const char*) { throw LibraryError{}; }
[[noreturn]] void __throw_out_of_range(const char*) { throw LibraryError{}; }
[[noreturn]] void __throw_out_of_range_fmt(const char*, ...) { throw LibraryError{}; }
[[noreturn]] void __throw_runtime_error(const char*) { throw LibraryError{}; }
[[noreturn]] void __throw_range_error(const char*) { throw LibraryError{}; }
[[noreturn]] void __throw_overflow_error(const char*) { throw LibraryError{}; }
[[noreturn]] void __throw_underflow_error(const char*) { throw LibraryError{}; }
}  // namespace std
