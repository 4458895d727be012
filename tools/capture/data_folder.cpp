// The installed data folder: found from /proc/self/exe, so an unpacked or
// relocated installation finds its own media and not another's.
#include "data_folder.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool is_folder(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

void make_absolute(const std::string& base, std::string* path)
{
    if (!path->empty() && (*path)[0] != '/')
        *path = base + "/" + *path;
}

} // namespace

std::string installed_data_folder()
{
#ifdef ELKA_DATA_FROM_BIN
    char exe[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0)
        return "";
    exe[n] = '\0';
    std::string program = exe;
    std::string folder = program.substr(0, program.rfind('/') + 1) + ELKA_DATA_FROM_BIN;
    if (is_folder(folder + "/files"))
        return folder;
#endif
    return "";
}

bool enter_data_folder(Options* o, std::string* error)
{
    if (is_folder("files"))
        return true;
    std::string data = installed_data_folder();
    if (data.empty())
        return true; // the demo's own start-up says which file is missing
    char* cwd = getcwd(nullptr, 0);
    if (!cwd) {
        *error = std::string("cannot name the working directory: ") + std::strerror(errno);
        return false;
    }
    std::string here = cwd;
    std::free(cwd);
    make_absolute(here, &o->video);
    make_absolute(here, &o->frames_dir);
    make_absolute(here, &o->contact_sheet);
    make_absolute(here, &o->chapters);
    for (Still& still : o->stills)
        make_absolute(here, &still.path);
    if (chdir(data.c_str()) != 0) {
        *error = "cannot enter the data folder " + data + ": " + std::strerror(errno);
        return false;
    }
    return true;
}
