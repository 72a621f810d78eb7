// Writes its arguments, each ended by a NUL byte, to the file named by
// TRALU_ARGV_FILE (through a temporary name, so a reader never sees half),
// and exits with the number of arguments.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    const char* out = std::getenv("TRALU_ARGV_FILE");
    if (!out)
        return 100;
    const std::string part = std::string(out) + ".part";
    std::FILE* f = std::fopen(part.c_str(), "wb");
    if (!f)
        return 101;
    for (int i = 1; i < argc; ++i)
        std::fwrite(argv[i], 1, std::strlen(argv[i]) + 1, f);
    std::fclose(f);
    if (std::rename(part.c_str(), out) != 0)
        return 102;
    return argc - 1;
}
