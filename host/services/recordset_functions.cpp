#include "host/services/recordset_functions.h"

namespace host {

std::string RecordSetFunctions::ElencoCampiDaSelect_V2(const std::string& select) {
  if (connection_ == nullptr)
    throw Error(kErrObjectNotSet, "Object variable not set: Connessione", "RecordSetFunctions");
  const RecordSetPtr result = connection_->Execute(select);
  std::string list;
  for (size_t i = 0; i < result->FieldCount(); ++i) list += (i == 0 ? "" : ", ") + result->Field(i).name;
  return list;
}

}  // namespace host
