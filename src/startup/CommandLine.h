#pragma once

#include <QString>
#include <optional>

// The switches that only inform: --help (-h) prints the usage text, --version (-v) the
// version. They are answered before anything else starts, so they need neither a display nor
// the single-instance lock. Any other argument is ignored.
//
// Returns the exit status when such a switch was given and answered, nothing otherwise.
std::optional<int> answerInformationSwitch(int argc, char** argv);

// The server the archive lives on: `--archive CONNINFO` (or `--archive=CONNINFO`), else the
// entry "archive" of the user's settings file ~/.config/Kalmor/Vantora.ini; empty for the DATA
// folder. A password belongs in libpq's password or service file, not here.
QString archiveArgument(int argc, char** argv);

// The texts printed, for tests.
const char* usageText();
const char* versionText();
