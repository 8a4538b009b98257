// A picture of the window without a display: how the README's pictures and the program's tests
// are made (QT_QPA_PLATFORM=offscreen).
#pragma once

#include <QString>

namespace rukmox::window {

class TRukMoxFormLight;

// Lets the operation that runs (a scan started for the picture) run to its end.
void WaitForOperation(TRukMoxFormLight& window);

// Shows the window, lets `ticks` poll ticks run (so the link page shows live readings) and writes
// the window into `file` as PNG. False with a reason when the file cannot be written.
bool SaveScreenshot(TRukMoxFormLight& window, const QString& file, int ticks, QString* error);

// Shows the window, starts the spectrum sweeps and writes the window into `file` as PNG while they
// run, once `sweeps` of them are drawn; then stops them. False with a reason when the sweeps cannot
// start or the file cannot be written.
bool SaveSweepScreenshot(TRukMoxFormLight& window, const QString& file, int sweeps, QString* error);

// Shows the window, runs a range test of `pings` pings to its end and writes the window into
// `file` as PNG. False with a reason when the test cannot start or the file cannot be written.
bool SaveRangeTestScreenshot(TRukMoxFormLight& window, const QString& file, int pings,
                             QString* error);

// Shows the window, starts the data console, sends `line` as text and writes the window into
// `file` as PNG once as many bytes came back as went out (a remote host that echoes), or after a
// few seconds. False with a reason when the console cannot start or the file cannot be written.
bool SaveConsoleScreenshot(TRukMoxFormLight& window, const QString& file, const QString& line,
                           QString* error);

}  // namespace rukmox::window
