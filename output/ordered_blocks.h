// Text made in blocks on worker threads and written in block order: an
// output of a million bookings uses both cores, and memory holds only the
// blocks in flight.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace output {

// Cuts rows [0, count) into blocks of `block` rows; `format(first, last)`
// answers the text of rows [first, last) on one of `workers` threads, at
// most 2 × `workers` blocks ahead of the writing; `write(text)` gets the
// texts on the calling thread, in row order. `format` must be safe to run on several threads at once. The
// first throw of `format` is rethrown here, once the blocks in flight ended;
// nothing after the failed block is written.
void WriteBlocksInOrder(size_t count, size_t block, unsigned workers,
                        const std::function<std::string(size_t first, size_t last)>& format,
                        const std::function<void(const std::string& text)>& write);

}  // namespace output
