// The host's record-set functions object: the column list of a select.
#pragma once

#include <string>

#include "host/db/connection.h"

namespace host {

class RecordSetFunctions {
 public:
  // The connection to run on (`Connessione`); null releases it.
  void SetConnessione(db::Connection* connection) { connection_ = connection; }
  // The columns of the select's result, joined by ", " (for example
  // "PD44_DITTA_CG18, PD44_PRGMVORE_PD31, ..."). Runs the select; a database
  // error is thrown as host::Error, no connection is kErrObjectNotSet.
  std::string ElencoCampiDaSelect_V2(const std::string& select);

 private:
  db::Connection* connection_ = nullptr;
};

}  // namespace host
