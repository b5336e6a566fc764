// A comparison run on a worker thread, so that the window never freezes. The
// worker opens its own connection from the connection string (a SQLite file
// opens cheaply; an ODBC source makes a second session), makes the run
// object and runs it; the window thread is told through `finished`, queued
// to the object `context`.
//
// Cancel may be called at any time from the window thread: before the run
// object exists it stops the run as soon as it starts, afterwards it
// interrupts the statement or loop in progress (within a second).
#pragma once

#include "host/value/error.h"

#include <QObject>
#include <QPointer>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "engine/comparison.h"

namespace query_form {

class RunThread {
 public:
  struct Outcome {
    std::shared_ptr<engine::Comparison> run;  // null when the connection could not be opened
    host::Error open_error{host::kErrDatabase, ""};  // why it could not
  };

  // `language` gives the run its texts (it must outlive the run); the run's
  // status waits in the run (RunStatus) for the window thread to show it.
  // The request's connection is ignored (the worker opens its own from
  // `connection_string`).
  RunThread(host::LanguageServices& language, std::string connection_string, engine::ComparisonRequest request,
            engine::Progress& progress, QObject* context, std::function<void()> finished);
  ~RunThread();
  RunThread(const RunThread&) = delete;
  RunThread& operator=(const RunThread&) = delete;

  void Cancel();
  // Waits for the worker (after `finished` was queued); answers what it made.
  Outcome Join();
  [[nodiscard]] bool Done() const { return done_; }

 private:
  void Work();

  host::LanguageServices& language_;
  std::string connection_string_;
  engine::ComparisonRequest request_;
  engine::Progress& progress_;
  QPointer<QObject> context_;
  std::function<void()> finished_;
  std::mutex mutex_;
  std::shared_ptr<engine::Comparison> run_;
  host::Error open_error_{host::kErrDatabase, ""};
  std::atomic<bool> cancel_{false};
  std::atomic<bool> done_{false};
  std::thread thread_;
};

}  // namespace query_form
