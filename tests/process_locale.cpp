// Linked into the core's test programs: they run in the locale their environment names, as the
// desktop application does (Qt sets the C library's locale from the environment), so that a run
// under a locale with a decimal comma finds any number read or written through the C library.
#include <clocale>

namespace {

[[maybe_unused]] const bool kLocaleFromEnvironment = std::setlocale(LC_ALL, "") != nullptr;

} // namespace
