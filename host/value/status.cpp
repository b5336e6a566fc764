#include "host/value/status.h"

#include <exception>

namespace host {
namespace {

int Severity(Status::Kind kind) {
  switch (kind) {
    case Status::Kind::kOk: return 0;
    case Status::Kind::kWarning: return 1;
    case Status::Kind::kFailed: return 2;
    case Status::Kind::kCancelled: return 3;
  }
  return 0;
}

}  // namespace

Status Status::Failed(std::string procedure, Error error) {
  Status status;
  status.kind_ = Kind::kFailed;
  status.diagnostics_.push_back({Diagnostic::Kind::kError, std::move(procedure), std::move(error), {}, 0, 0});
  return status;
}

Status Status::Cancelled() {
  Status status;
  status.kind_ = Kind::kCancelled;
  return status;
}

Status Status::Warning(std::string procedure, Error error) {
  Status status = Failed(std::move(procedure), std::move(error));
  status.kind_ = Kind::kWarning;
  return status;
}

Status Status::Message(Kind kind, std::string text, int32_t number, int32_t style) {
  Status status;
  status.kind_ = kind;
  status.diagnostics_.push_back({Diagnostic::Kind::kMessage, {}, Error(0, ""), std::move(text), number, style});
  return status;
}

Status Status::FailedHere(std::string procedure) { return Failed(std::move(procedure), CurrentError()); }

Status Status::Caught(std::string procedure) { return Of(std::move(procedure), CurrentError()); }

Status Status::Of(std::string procedure, Error error) {
  if (error.Number() == kErrCancelled) return Cancelled();
  if (error.Number() == kWarnValueLeftOut) return Warning(std::move(procedure), std::move(error));
  return Failed(std::move(procedure), std::move(error));
}

Status& Status::Add(const Status& other) {
  if (Severity(other.kind_) > Severity(kind_)) kind_ = other.kind_;
  diagnostics_.insert(diagnostics_.end(), other.diagnostics_.begin(), other.diagnostics_.end());
  return *this;
}

Error CurrentError() {
  try {
    throw;
  } catch (const Error& e) {
    return e;
  } catch (const std::exception& e) {
    return {kErrInvalidArgument, e.what()};
  }
}

}  // namespace host
