// A connection that passes its statements to another and fails at the Nth,
// as a server that goes away half-way through a run would.
#pragma once

#include <memory>

#include "host/db/connection.h"

namespace engine::testing {

class FailingConnection : public host::db::Connection {
 public:
  FailingConnection(std::unique_ptr<host::db::Connection> inner, int64_t fail_at)
      : inner_(std::move(inner)), fail_at_(fail_at) {}
  void Open(const std::string& connection_string) override { inner_->Open(connection_string); }
  void Close() override { inner_->Close(); }
  [[nodiscard]] bool IsOpen() const override { return inner_->IsOpen(); }
  [[nodiscard]] std::string BackEnd() const override { return "failing " + inner_->BackEnd(); }
  host::DateService& Dates() override { return inner_->Dates(); }
  host::NumberService& Numbers() override { return inner_->Numbers(); }
  [[nodiscard]] int64_t Seen() const { return seen_; }

 protected:
  host::RecordSetPtr Run(std::string_view sql, int64_t* changes) override {
    CountStatement();
    if (++seen_ == fail_at_) Fail({host::kErrDatabase, "the server closed the connection", "Test"});
    if (changes != nullptr) {
      *changes = inner_->ExecuteNoRecords(sql);
      return nullptr;
    }
    return inner_->Execute(sql);
  }

  std::unique_ptr<host::db::Connection> inner_;

 private:
  int64_t fail_at_;
  int64_t seen_ = 0;
};

}  // namespace engine::testing
