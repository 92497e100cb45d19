#include "engine/progress_display.h"

#include <chrono>
#include <cmath>
#include <sys/ioctl.h>
#include <unistd.h>

namespace brevant {

std::string groupThousands(int64_t value) {
  const bool negative = value < 0;
  const uint64_t magnitude = negative ? 0 - uint64_t(value) : uint64_t(value);
  const std::string digits = std::to_string(magnitude);
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0)
      out += ',';
    out += digits[i];
  }
  return negative ? "-" + out : out;
}

std::string progressDisplayText(const std::string &label, int64_t written, int64_t total,
                                double seconds) {
  std::string text = "[" + label + "]    " + groupThousands(written) + " of " +
                     groupThousands(total) + (total == 1 ? " record" : " records");
  if (seconds > 0)
    text += ", " + groupThousands(std::llround(double(written) / seconds)) + " records/s";
  return text;
}

namespace {

int terminalColumns(std::FILE *out) {
  winsize size{};
  if (::ioctl(::fileno(out), TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
    return size.ws_col;
  return 80;
}

} // namespace

ProgressDisplay::ProgressDisplay(std::FILE *out, bool enabled, std::string label, int64_t total,
                                 Clock clock, int width)
    : out_(out), enabled_(enabled && out != nullptr), label_(std::move(label)), total_(total),
      clock_(std::move(clock)), width_(width) {
  if (enabled_ && width_ <= 0)
    width_ = terminalColumns(out_);
}

ProgressDisplay::~ProgressDisplay() { finish(); }

bool ProgressDisplay::enabledFor(bool interactiveRun) {
  return !interactiveRun && ::isatty(STDERR_FILENO) == 1;
}

double ProgressDisplay::steadySeconds() {
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

void ProgressDisplay::update(int64_t written) {
  if (!enabled_)
    return;
  const double now = clock_();
  if (!started_) {
    started_ = true;
    start_ = now;
  } else if (now - lastDraw_ < kRedrawSeconds) {
    return;
  }
  draw(written, now);
}

void ProgressDisplay::draw(int64_t written, double now) {
  std::string text = progressDisplayText(label_, written, total_, now - start_);
  // One column is left free: a line that fills the terminal exactly wraps on some terminals.
  if (width_ > 1 && text.size() >= size_t(width_))
    text.resize(size_t(width_ - 1));
  std::fputs(("\r" + text + "\x1b[K").c_str(), out_);
  std::fflush(out_);
  lastDraw_ = now;
  drawn_ = true;
}

void ProgressDisplay::finish() {
  if (enabled_ && drawn_) {
    std::fputs("\r\x1b[K", out_);
    std::fflush(out_);
  }
  enabled_ = false;
}

} // namespace brevant
