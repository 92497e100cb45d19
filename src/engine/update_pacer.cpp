#include "engine/update_pacer.h"

#include <chrono>

namespace brevant {

UpdatePacer::UpdatePacer(double interval, Clock clock)
    : interval_(interval), clock_(std::move(clock)) {}

bool UpdatePacer::due() {
  const double now = clock_();
  if (started_ && now - last_ < interval_)
    return false;
  started_ = true;
  last_ = now;
  return true;
}

double UpdatePacer::steadySeconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

} // namespace brevant
