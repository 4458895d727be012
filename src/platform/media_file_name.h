// The name a media file is kept under inside the platform layer (the font
// files it registers). Not part of the platform's face.
#pragma once

#include <string>

// The absolute name of the regular file at `path` (symbolic links and dots
// resolved), so that it stays found when the working directory changes and
// the same file given twice is known as one; false for anything that is not
// a regular file that opens (a folder, a pipe, a device, nothing).
bool platform_media_file_name(const char* path, std::string* name);
