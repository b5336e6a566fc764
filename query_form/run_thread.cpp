#include "query_form/run_thread.h"

#include <QMetaObject>

namespace query_form {

RunThread::RunThread(host::LanguageServices& language, std::string connection_string,
                     engine::ComparisonRequest request, engine::Progress& progress, QObject* context,
                     std::function<void()> finished)
    : language_(language),
      connection_string_(std::move(connection_string)),
      request_(std::move(request)),
      progress_(progress),
      context_(context),
      finished_(std::move(finished)) {
  thread_ = std::thread([this] { Work(); });
}

RunThread::~RunThread() {
  if (!done_) Cancel();
  if (thread_.joinable()) thread_.join();
}

void RunThread::Work() {
  std::shared_ptr<engine::Comparison> run;
  try {
    request_.connection = host::db::OpenConnection(connection_string_);
    run = std::make_shared<engine::Comparison>(language_, std::move(request_));
    {
      std::lock_guard lock(mutex_);
      run_ = run;
    }
    if (cancel_) run->Cancel();
    // What the run says waits in it for the window thread: no dialog opens from here.
    (void)run->Run(progress_);
  } catch (const host::Error& e) {
    std::lock_guard lock(mutex_);
    open_error_ = e;  // with its message for the user
  } catch (const std::exception& e) {
    std::lock_guard lock(mutex_);
    open_error_ = host::Error(host::kErrDatabase, e.what());
  }
  done_ = true;
  if (context_) {
    QMetaObject::invokeMethod(context_, [finished = finished_] { finished(); }, Qt::QueuedConnection);
  }
}

void RunThread::Cancel() {
  cancel_ = true;
  std::lock_guard lock(mutex_);
  if (run_) run_->Cancel();
}

RunThread::Outcome RunThread::Join() {
  if (thread_.joinable()) thread_.join();
  std::lock_guard lock(mutex_);
  return {run_, open_error_};
}

}  // namespace query_form
