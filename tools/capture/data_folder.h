// Where the capture finds the demo's media. The demo reads them as
// files/... under its working directory, and so does the capture: from the
// folder that holds files/ (the repository, the demo's data folder). An
// installed capture (/usr/bin/elka-capture) is run from anywhere: where the
// working directory has no files/, it works in the installed data folder
// beside the program (ELKA_DATA_FROM_BIN: the data folder relative to the
// program's own folder), after making every output path absolute, so each
// still names the file the caller meant.
#pragma once

#include "options.h"

#include <string>

// Enters the installed data folder when the working directory has no
// files/ and the program has one beside it; otherwise changes nothing.
// False, with *error saying why, only when that folder cannot be entered
// or the working directory cannot be named.
bool enter_data_folder(Options* options, std::string* error);

// The installed data folder beside the program, or "" when it has none.
std::string installed_data_folder();
