// Linked into every program and control an end user downloads (see cmake/ProgramSize.cmake).
// The static C++ runtime throws its library errors (std::string out of range, a vector too
// long ...) from one object file that builds std::logic_error and its kin, and those carry
// the runtime's second, reference-counted string implementation: linking that object costs
// about 80 KB. Its default terminate handler prints the type of the exception that was not
// caught and so brings the whole symbol demangler, about 45 KB more. The definitions below
// take the place of both, so the linker never pulls them from the library.
//
// What changes for our code: a request too large to represent (std::length_error) arrives
// as std::bad_alloc, which it effectively is; the other library errors arrive as one
// exception type derived from std::exception that carries the library's text. Every
// boundary of ours catches std::bad_alloc and std::exception, so the messages a user sees
// stay the same. An exception nobody catches ends the program without a text on standard
// error, which a GUI program does not have.
#include <algorithm>
#include <cstdarg>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>
#include <typeinfo>

// The runtime's formatter of its out-of-range messages (it takes %s, %zu and %% only).
namespace __gnu_cxx {
int __snprintf_lite(char* buffer, std::size_t size, const char* format, std::va_list arguments);
}  // namespace __gnu_cxx

namespace {

class LibraryError : public std::exception {
 public:
  explicit LibraryError(const char* text) {
    const std::size_t length = std::min(std::strlen(text), sizeof text_ - 1);
    std::memcpy(text_, text, length);
    text_[length] = '\0';
  }
  // The out-of-range messages name the position and the size: "basic_string::substr:
  // __pos (which is 5) > this->size() (which is 3)".
  LibraryError(const char* format, std::va_list arguments) {
    __gnu_cxx::__snprintf_lite(text_, sizeof text_, format, arguments);
  }
  const char* what() const noexcept override { return text_; }

 private:
  char text_[256];
};

}  // namespace

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace std {
void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_length_error(const char*) { throw bad_alloc(); }
void __throw_bad_exception() { throw bad_exception(); }
void __throw_bad_cast() { throw bad_cast(); }
void __throw_bad_typeid() { throw bad_typeid(); }
void __throw_logic_error(const char* text) { throw LibraryError(text); }
void __throw_domain_error(const char* text) { throw LibraryError(text); }
void __throw_invalid_argument(const char* text) { throw LibraryError(text); }
void __throw_out_of_range(const char* text) { throw LibraryError(text); }
void __throw_runtime_error(const char* text) { throw LibraryError(text); }
void __throw_range_error(const char* text) { throw LibraryError(text); }
void __throw_overflow_error(const char* text) { throw LibraryError(text); }
void __throw_underflow_error(const char* text) { throw LibraryError(text); }
// A thread, lock or condition of the runtime that the system refused (the web setup
// program's downloads); the text is the C runtime's for the error number.
void __throw_system_error(int error) { throw LibraryError(std::strerror(error)); }
void __throw_out_of_range_fmt(const char* format, ...) {
  std::va_list arguments;
  va_start(arguments, format);
  LibraryError error(format, arguments);
  va_end(arguments);
  throw error;
}
}  // namespace std
