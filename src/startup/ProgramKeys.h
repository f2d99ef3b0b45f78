#pragma once

// Connects the program's keys to the windows the start-up created: the left strip's buttons
// and the title box from every window, "OK" and "Alle" on the search page, "Ok" on the
// statistics and info windows, and Tab between the grid and the title box.
void connectProgramKeys();
