// The reference a conversion is measured against: the least a program can do
// that reads its input whole before it writes, and writes it whole or not at
// all. It reads the input into one buffer, writes it to a new file beside the
// output, flushes that to the disk and gives it the output's name.
//
//   quintar_reference_copy INPUT OUTPUT
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

struct CFree {
    void operator()(void* memory) const { std::free(memory); }
};

bool ReadWhole(const char* name, std::unique_ptr<char, CFree>& bytes, std::size_t& size) {
    const int fd = open(name, O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || fstat(fd, &info) != 0) {
        return false;
    }
    size = static_cast<std::size_t>(info.st_size);
    // Not value-initialised: the kernel's fresh pages are the only zeroing.
    bytes.reset(static_cast<char*>(std::malloc(size + 1)));
    std::size_t got = 0;
    for (ssize_t n; bytes && (n = read(fd, bytes.get() + got, size + 1 - got)) > 0;) {
        got += static_cast<std::size_t>(n);
    }
    close(fd);
    return bytes && got == size;
}

bool WriteWhole(const std::string& name, const char* bytes, std::size_t size) {
    std::string unfinished = name + ".XXXXXX";
    const int fd = mkostemp(&unfinished[0], O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    bool done = true;
    for (std::size_t put = 0; done && put < size;) {
        const ssize_t n = write(fd, bytes + put, size - put);
        done = n > 0;
        put += done ? static_cast<std::size_t>(n) : 0;
    }
    done = fsync(fd) == 0 && done;
    done = close(fd) == 0 && done;
    done = done && rename(unfinished.c_str(), name.c_str()) == 0;
    if (!done) {
        unlink(unfinished.c_str());
    }
    return done;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s INPUT OUTPUT\n", argv[0]);
        return 2;
    }
    std::unique_ptr<char, CFree> bytes;
    std::size_t size = 0;
    if (!ReadWhole(argv[1], bytes, size) || !WriteWhole(argv[2], bytes.get(), size)) {
        std::perror(argv[0]);
        return 1;
    }
    return 0;
}
