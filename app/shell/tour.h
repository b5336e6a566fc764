// A scripted walk through the module's windows, as a user makes it, that
// saves a picture of each step (the pictures of docs/): the connection
// dialog on an ODBC driver, the query form with
// a date range and a machine chosen from its look-up, the look-up window,
// the grouping tab with Reparto and Fase, and the results form of an "hh,hh"
// run. It drives the windows only through what a user touches (cells,
// keys, buttons), so it also checks that they work together.
#pragma once

#include <QString>

namespace shell {

class MainWindow;

// Starts the walk; the application quits when it ends (exit code 1 when a
// step did not find what it expected).
void StartTour(MainWindow& window, const QString& directory);

}  // namespace shell
