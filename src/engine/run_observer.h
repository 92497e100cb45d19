#pragma once
// What a running report tells the window that watches it (the workspace's Run dialog) and asks
// of it. Every method has a do-nothing default: the batch run passes a plain RunObserver.

#include "definition/run_log.h"
#include "engine/data_source_connections.h"

#include <cstdint>
#include <string>

namespace brevant {

class RunObserver : public LogObserver, public LoginRequester {
public:
  // The run's status text ("Running").
  virtual void statusChanged(const std::string &) {}
  // A function was dispatched: the function counter, its label, and the record count back to 0.
  virtual void functionStarted(int16_t /*functionCount*/, const std::string & /*label*/) {}
  // Records written by the function being run.
  virtual void recordCountChanged(int64_t) {}
  // The record loop of a REPORT function is at record `record` of `total` ("1 / 250").
  virtual void recordProgress(int64_t record, int64_t /*total*/) { recordCountChanged(record); }
  // Lets the user interface process its pending events.
  virtual void processEvents() {}
  // True once the user asked to stop the run.
  [[nodiscard]] virtual bool stopRequested() const { return false; }
  // The run log could not be created: the description, for the error message box.
  virtual void showError(const std::string &) {}

  void lineLogged(const std::string &) override {}
  void errorCountChanged(int16_t) override {}
  bool requestLogin(int, DataSource &, Connection &) override { return false; }
};

} // namespace brevant
