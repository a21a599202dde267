#pragma once
// Work long enough to be felt (a password's slow hash) runs on a thread of its own while the
// window keeps answering; the caller waits for it as for a plain call.

#include <functional>

namespace runtime {

// Runs work on a thread of its own and returns when it has ended, letting the events of the
// calling thread run meanwhile. What the work throws is thrown here.
void RunOffThread(const std::function<void()>& work);

}  // namespace runtime
