// IntStorage is header-only: its accessors sit on the hot path of every cell.
#include "host/recordset/int_storage.h"
