#pragma once

#include <functional>

// Does `work`, which waits on a server, on a thread of its own, while the
// program's windows go on drawing themselves under a busy cursor; what the
// user types or clicks meanwhile is handled once it is done. What `work`
// throws is thrown again here.
void waitForServer(const std::function<void()> &work);
