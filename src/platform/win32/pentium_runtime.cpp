// Runtime pieces of the Windows programs, compiled for the Pentium.
//
// Debian's i686 runtime libraries are compiled for the Pentium Pro: their
// std::string members, operator new and the helpers that throw the standard
// library's exceptions use cmov, which stops a Pentium, Pentium MMX or AMD K6
// with an illegal instruction. The definitions here are compiled with the
// project's flags (-march=i586); the linker takes them and never pulls the
// runtime's copies.
#include <cstdlib>
#include <exception>
#include <new>
#include <string>

// Every member of std::string, instantiated here rather than taken from the
// runtime library.
template class std::basic_string<char>;

// The replaceable allocation functions. The Windows programs are built
// without exceptions: a caller that can do without the memory asks with
// std::nothrow and gets a null pointer; anywhere else a failed allocation ends
// the program, as the uncaught std::bad_alloc would.
namespace {
void* Allocate(std::size_t size) noexcept {
  if (size == 0) size = 1;
  for (;;) {
    if (void* block = std::malloc(size)) return block;
    std::new_handler handler = std::get_new_handler();
    if (handler == nullptr) return nullptr;
    handler();
  }
}
}  // namespace

void* operator new(std::size_t size) {
  if (void* block = Allocate(size)) return block;
  std::abort();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return operator new(size, std::nothrow);
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }

// The standard library reports misuse (an index past the end, a length past
// max_size()) and exhausted memory through these functions. The runtime's
// versions throw, and build their exceptions around a second,
// reference-counted string type, which brings a second copy of every string
// member, random_device and a printf with floating point. Nothing in the
// tool catches these errors: they end the program, as an uncaught exception
// would.
namespace std {
[[noreturn]] void __throw_bad_alloc() { std::abort(); }
[[noreturn]] void __throw_bad_array_new_length() { std::abort(); }
[[noreturn]] void __throw_length_error(const char*) { std::abort(); }
[[noreturn]] void __throw_logic_error(const char*) { std::abort(); }
[[noreturn]] void __throw_out_of_range(const char*) { std::abort(); }
[[noreturn]] void __throw_out_of_range_fmt(const char*, ...) { std::abort(); }
[[noreturn]] void __throw_invalid_argument(const char*) { std::abort(); }
}  // namespace std

// std::terminate's default handler prints the type of the exception, with a
// name demangler and a printf that bring floating-point code for newer CPUs;
// ending the program is all the tool needs.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
