#pragma once
// Spaces out the updates of a window that watches a run. Repainting the counters and the log for
// every record, and giving the event loop a turn each time, costs far more than writing the
// record: the window is brought up to date at most every `interval` seconds instead, and once
// more when the run ends. Asking costs one clock read.

#include <functional>

namespace brevant {

class UpdatePacer {
public:
  using Clock = std::function<double()>; // seconds, monotonic

  // 20 updates a second: smooth enough to watch, and a stop request is seen within 50 ms.
  static constexpr double kDefaultInterval = 0.05;

  explicit UpdatePacer(double interval = kDefaultInterval, Clock clock = steadySeconds);

  // True at the first call and then whenever `interval` has passed since the last true answer.
  [[nodiscard]] bool due();
  // Makes the next due() true.
  void reset() { started_ = false; }

  static double steadySeconds();

private:
  double interval_;
  Clock clock_;
  double last_ = 0;
  bool started_ = false;
};

} // namespace brevant
