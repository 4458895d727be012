// Writes the hand-made seed files (every header form, bit count and
// compression) into the folder given as the argument.
#include "../unit/bmp_builder.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds FOLDER\n");
        return 2;
    }
    for (const bmp::Sample& s : bmp::samples())
        if (!bmp::write_file(std::string(argv[1]) + "/" + s.name, s.bytes)) {
            std::fprintf(stderr, "cannot write %s\n", s.name.c_str());
            return 1;
        }
    return 0;
}
