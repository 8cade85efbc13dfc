#include "sim/sim_clock.hpp"

#include <utility>

namespace orvulink::sim {

SimClock::SimClock() : source_([] { return std::chrono::system_clock::now(); }) {}

SimClock::SimClock(Source source) : source_(std::move(source)) {}

}  // namespace orvulink::sim
