// The command line's exit statuses, which a scheduled run (a systemd timer,
// cron) tells apart:
//   0  success: every output asked for was written;
//   1  no data: the conditions kept no booking (message 39693), nothing written;
//   2  refused: what was asked cannot be right (an unknown option, condition
//      or grouping field, a value that cannot be right, an output over a
//      database), refused before the database is read;
//   3  failure: the work could not be done (the database cannot be opened or
//      read, a statement failed, an output could not be written).
#pragma once

namespace app {

enum ExitStatus : int { kExitSuccess = 0, kExitNoData = 1, kExitRefused = 2, kExitFailure = 3 };

}  // namespace app
