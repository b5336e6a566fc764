#include "host/recordset/row_appender.h"

#include "host/value/error.h"

namespace host {

RowAppender::RowAppender(Table& table) : table_(table) {
  if (table_.kept_.size() != table_.columns_.size()) {
    throw Error(kErrOperationNotAllowed, "Rows are appended cell by cell only to a table without computed fields",
                "Recordset");
  }
}

RowAppender::~RowAppender() {
  for (size_t k = 0; k < next_; ++k) table_.columns_[k]->PopBack();
}

void RowAppender::RefuseCell() { throw Error(kErrInvalidArgument, "A row has one cell per field", "Recordset"); }

size_t RowAppender::EndRow() {
  if (next_ != table_.columns_.size()) RefuseCell();
  table_.Changed();
  next_ = 0;
  return table_.rows_++;
}

}  // namespace host
