// The module's own terminate handler, linked into the module itself.
//
// The C++ runtime's default handler prints the demangled type of an escaped
// exception to stderr. Inside the shell there is no stderr to print to, and
// the demangler it pulls in is a tenth of the module. Nothing should reach
// std::terminate (every COM method catches), but should something do, the
// process ends as the default handler would end it: by abort.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
