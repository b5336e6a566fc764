#include "app/shell/odbc_sources.h"

#include <sql.h>
#include <sqlext.h>

namespace shell {
namespace {

// Walks SQLDataSources or SQLDrivers (same shape: a name, then a description).
template <typename Next>
std::vector<std::string> List(Next next) {
  std::vector<std::string> names;
  SQLHENV env = SQL_NULL_HENV;
  if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) return names;
  SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  SQLCHAR name[512];
  SQLCHAR description[512];
  SQLSMALLINT name_length = 0;
  SQLSMALLINT description_length = 0;
  SQLUSMALLINT direction = SQL_FETCH_FIRST;
  while (SQL_SUCCEEDED(next(env, direction, name, sizeof name, &name_length, description, sizeof description,
                            &description_length))) {
    names.emplace_back(reinterpret_cast<const char*>(name));
    direction = SQL_FETCH_NEXT;
  }
  SQLFreeHandle(SQL_HANDLE_ENV, env);
  return names;
}

}  // namespace

std::vector<std::string> OdbcDataSources() { return List(SQLDataSources); }
std::vector<std::string> OdbcDrivers() { return List(SQLDrivers); }

}  // namespace shell
