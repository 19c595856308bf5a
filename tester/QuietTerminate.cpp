// With the C++ runtime linked in statically, GCC's default handler for an uncaught exception
// brings a whole C++ name demangler (some 46 KiB) only to print the exception's type on a console
// that this GUI program does not have. Ending the program the same way without that text keeps
// the tester small. MinGW builds only; other compilers keep their own handler.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler()
{
    std::abort();
}
} // namespace __gnu_cxx
