#pragma once

#include <cstdint>
#include <vector>

namespace qv {

// to[i] = from[-i] for i in [0, count): a row of pixels read backwards, the copy that nearly
// every pixel of the half turn goes through. Uses the widest vectors the processor has; the
// two ranges must not overlap.
void copyReversed(std::uint32_t* to, const std::uint32_t* from, int count);

// Every way of making that copy that this processor can run, so that tests reach each one.
struct ReversedCopyVariant {
    const char* name;
    void (*copy)(std::uint32_t* to, const std::uint32_t* from, int count);
};
std::vector<ReversedCopyVariant> reversedCopyVariants();

} // namespace qv
