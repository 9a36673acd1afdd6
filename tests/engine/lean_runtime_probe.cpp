// Linked as the downloaded programs are (cmake/ProgramSize.cmake), with the lean runtime:
// provokes the library errors our code can meet and prints, one line each, what a
// boundary of ours that catches std::bad_alloc and std::exception would see.
#include <cerrno>
#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

namespace {

template <typename Action>
void Report(const char* label, Action action) {
  std::string seen;
  try {
    action();
    seen = "no exception";
  } catch (const std::bad_alloc&) {
    seen = "std::bad_alloc";
  } catch (const std::exception& exception) {
    seen = std::string("std::exception: ") + exception.what();
  }
  std::printf("%s: %s\n", label, seen.c_str());
}

}  // namespace

int main() {
  const std::string text = "abc";
  std::vector<int> numbers(3);
  Report("substr", [&] { (void)text.substr(5); });
  Report("at", [&] { (void)numbers.at(7); });
  Report("too long", [&] {
    std::string grown;
    grown.reserve(grown.max_size() + 1);
  });
  Report("null", [] {
    const char* volatile missing = nullptr;
    std::string bad(missing);
  });
  Report("system", [] { std::__throw_system_error(EAGAIN); });
  Report("fine", [&] { (void)text.substr(1); });
  return 0;
}
