// The host's date and number formatting services, as the configuration
// queries use them to write literals into SQL. Each database back end gives
// its own; the plain defaults here write what SQL Server accepts whatever its
// language settings: dates as 'YYYYMMDD' or 'YYYYMMDD HH:MM:SS', numbers with
// a '.' and no grouping.
#pragma once

#include <memory>
#include <string>

#include "host/value/variant.h"

namespace host {

// Date service: given a value's text, it reports an error value (0 when the
// text is a date) and the text that the database accepts inside quotes.
class DateService {
 public:
  virtual ~DateService() = default;
  // Takes the text to convert; afterwards ErrorValue() and DBFormat() answer.
  virtual void SetText(const std::string& text) = 0;
  [[nodiscard]] virtual int ErrorValue() const = 0;
  [[nodiscard]] virtual std::string DBFormat() const = 0;
};

// Number service: the text of a number that the database accepts as a
// numeric literal. Throws host::Error for a value that is not a number.
class NumberService {
 public:
  virtual ~NumberService() = default;
  [[nodiscard]] virtual std::string Format(const Variant& number) const = 0;
};

class PlainDateService : public DateService {
 public:
  // Compact: 'YYYYMMDD[ HH:MM:SS]', what SQL Server reads whatever its
  // language; Iso: 'YYYY-MM-DD HH:MM:SS', the form an SQLite database stores.
  enum class Form { Compact, Iso };
  explicit PlainDateService(Form form = Form::Compact) : form_(form) {}
  void SetText(const std::string& text) override;
  [[nodiscard]] int ErrorValue() const override { return error_; }
  [[nodiscard]] std::string DBFormat() const override { return formatted_; }

 private:
  Form form_;
  int error_ = 0;
  std::string formatted_;
};

class PlainNumberService : public NumberService {
 public:
  [[nodiscard]] std::string Format(const Variant& number) const override;
};

}  // namespace host
