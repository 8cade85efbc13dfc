// The start routine that runs once on each thread before any object of the component exists.
#pragma once

namespace orvulink::gateway {

// Drops the log objects, deletes an old log file, resets the exchange form, logs "Main ".
void Main() noexcept;
// Runs Main on the first call on each thread.
void EnsureThreadStarted() noexcept;

}  // namespace orvulink::gateway
