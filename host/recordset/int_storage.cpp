// IntStorage is header-only: its accessors sit on the hot path of every cell.
// What is here is the allocator setting its columns' growth relies on.
#include "host/recordset/int_storage.h"

#include <malloc.h>

namespace host {
namespace {

// A buffer of 4 MiB or more is mapped on its own: realloc grows it in
// place (GrowingBytes) and free gives it back to the system at once. Set,
// not left to the allocator, because glibc raises its threshold to the
// size of the first large buffer freed (a run's record sets, closed), after
// which the columns of the next run would grow by copying inside the heap
// and leave it fragmented.
[[maybe_unused]] const int kLargeBuffersMapped = mallopt(M_MMAP_THRESHOLD, 4 << 20);

}  // namespace
}  // namespace host
