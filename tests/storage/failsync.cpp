// Preloaded into a test's child process: fsync fails with an I/O error for files
// (TALLIVOR_FAIL_FSYNC=file) or for folders (=folder), as on a failing disk.
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <sys/stat.h>

extern "C" int fsync(int fd) {
    const char* failing = std::getenv("TALLIVOR_FAIL_FSYNC");
    struct stat st;
    if (failing && fstat(fd, &st) == 0 &&
        S_ISDIR(st.st_mode) == (std::strcmp(failing, "folder") == 0)) {
        errno = EIO;
        return -1;
    }
    using Fsync = int (*)(int);
    static const auto real = reinterpret_cast<Fsync>(dlsym(RTLD_NEXT, "fsync"));
    return real(fd);
}
