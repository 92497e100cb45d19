#pragma once
// The one-line progress display of a batch run on a terminal: while a REPORT function writes its
// records, standard error shows the function's label, the records written of all, and the rate,
// redrawn in place a few times a second and erased when the fill ends. It is for the person
// watching; the run log never sees it, and nothing is drawn when standard error is a file or a
// pipe.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

namespace brevant {

// "1,234,567": groups of three digits separated by commas.
std::string groupThousands(int64_t value);

// "[label]    12,345 of 1,000,000 records, 48,210 records/s" (the rate left out before any
// time has passed).
std::string progressDisplayText(const std::string &label, int64_t written, int64_t total,
                                double seconds);

class ProgressDisplay {
public:
  using Clock = std::function<double()>; // seconds, monotonic

  // Draws on `out` only when `enabled`; the batch run passes `enabledFor(interactiveRun)`.
  ProgressDisplay(std::FILE *out, bool enabled, std::string label, int64_t total,
                  Clock clock = steadySeconds, int width = 0);
  ProgressDisplay(const ProgressDisplay &) = delete;
  ProgressDisplay &operator=(const ProgressDisplay &) = delete;
  ~ProgressDisplay();

  // True for a batch run whose standard error is a terminal.
  [[nodiscard]] static bool enabledFor(bool interactiveRun);
  static double steadySeconds();

  // `written` records are done; redraws when the last drawing is old enough (the first call
  // always draws).
  void update(int64_t written);
  // Erases the line; later updates draw nothing.
  void finish();

  static constexpr double kRedrawSeconds = 0.25;

private:
  void draw(int64_t written, double now);

  std::FILE *out_;
  bool enabled_;
  std::string label_;
  int64_t total_;
  Clock clock_;
  int width_; // the terminal's columns; the line is cut to fit so that '\r' can redraw it
  double start_ = 0;
  double lastDraw_ = 0;
  bool drawn_ = false;
  bool started_ = false;
};

} // namespace brevant
