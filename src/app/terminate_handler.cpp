// The runtime's default terminate handler prints the demangled name of an
// uncaught exception to standard error, which a GUI program does not have;
// with it come the demangler and about 45 KB. This one ends the process
// just as the default does after printing: abort.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
