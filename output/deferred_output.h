// Text for an output that another thread is still writing: kept in memory
// and passed on, after everything that thread writes, once it is done. A
// JSON report's groups are made this way while its bookings are still being
// written, so that neither core waits for the other.
#pragma once

#include <condition_variable>
#include <mutex>
#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

namespace output {

class DeferredOutput final : public std::streambuf {
 public:
  // At most `limit` bytes are kept: a write beyond waits for Release.
  DeferredOutput(std::ostream& out, size_t limit) : out_(out), limit_(limit) {}

  // The other writer is done with `out` (or gave up): from its own thread,
  // after its last write. Writes from then on may go to `out`.
  void Release();
  // Writes what was kept to `out`, after Release, on the writing thread;
  // then everything written goes straight through.
  void Flush();

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* text, std::streamsize n) override;

 private:
  std::ostream& out_;
  const size_t limit_;
  std::mutex mutex_;
  std::condition_variable released_changed_;
  bool released_ = false;
  bool flushed_ = false;  // the kept text went out: writes pass through
  // Kept in pieces of about a MiB: no growing buffer copied over and over.
  std::vector<std::string> kept_;
  size_t kept_bytes_ = 0;
};

}  // namespace output
