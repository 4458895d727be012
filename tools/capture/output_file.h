// Files that appear complete or not at all: everything is written under a
// temporary name next to the final one and renamed into place at the end.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

// The temporary name for `path`: a hidden file in the same folder, unique
// to this process and to `purpose`.
std::string temporary_name(const std::string& path, const char* purpose);

// Renames `temporary` to `path`. On failure removes the temporary file and
// fills *error with a message naming `path`.
bool publish(const std::string& temporary, const std::string& path, std::string* error);

// Writes a text file: `write` fills it under the temporary name, which is
// renamed to `path` once everything reached the disk. On failure nothing
// is left under either name and *error names `path`.
bool write_text_file(const std::string& path, const std::function<void(FILE*)>& write, std::string* error);

// A message naming `path` with the current errno.
std::string write_error(const std::string& path);

// Checks up front that `path` can be written: creates and removes its
// temporary file.
bool check_writable(const std::string& path, std::string* error);

// Temporary files still to be removed if the run ends early (interrupt,
// failure); publish() and forget_temporary() take them off the list.
void remember_temporary(const std::string& temporary);
void forget_temporary(const std::string& temporary);
void remove_temporaries();
