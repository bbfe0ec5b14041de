// Allocation failures on demand for the tests: the test program's operator new fails for every
// allocation larger than the limit while the limit is not 0.
#pragma once

#include <atomic>
#include <cstddef>

namespace velor::testing {

extern std::atomic<std::size_t> gAllocationLimit;

} // namespace velor::testing
