// Preloaded into the built program (LD_PRELOAD): fails the Nth allocation
// from main on, N from QUINTAR_FAILING_ALLOCATION, as a full memory would.
// glibc's own allocations and libstdc++'s (aligned ones too) come here. A
// run that ended before its Nth says so on standard error, so a caller
// trying every N in turn knows where to stop.
#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* memory, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
}

namespace {

using MainFunction = int (*)(int, char**, char**);
using StartFunction = int (*)(MainFunction, int, char**, void (*)(), void (*)(), void (*)(), void*);

constexpr char kFailingVariable[] = "QUINTAR_FAILING_ALLOCATION";
constexpr char kNotReached[] = "the failing allocation was not reached\n";
constexpr int kDecimal = 10;

MainFunction g_main = nullptr;
unsigned long g_failing = 0;
unsigned long g_count = 0;
bool g_counting = false;

bool FailsNow() {
    if (!g_counting || ++g_count != g_failing) {
        return false;
    }
    errno = ENOMEM;
    return true;
}

int CountingMain(int argc, char** argv, char** environment) {
    g_counting = true;
    return g_main(argc, argv, environment);
}

__attribute__((destructor)) void ReportNotReached() {
    if (g_counting && g_count < g_failing) {
        [[maybe_unused]] const ssize_t written =
            write(STDERR_FILENO, kNotReached, sizeof kNotReached - 1);
    }
}

}  // namespace

extern "C" {

void* malloc(std::size_t size) {
    return FailsNow() ? nullptr : __libc_malloc(size);
}

void* calloc(std::size_t count, std::size_t size) {
    return FailsNow() ? nullptr : __libc_calloc(count, size);
}

void* realloc(void* memory, std::size_t size) {
    return FailsNow() ? nullptr : __libc_realloc(memory, size);
}

void* aligned_alloc(std::size_t alignment, std::size_t size) {
    return FailsNow() ? nullptr : __libc_memalign(alignment, size);
}

// Static constructors have run when glibc calls main: counting starts there.
int __libc_start_main(MainFunction main, int argc, char** argv, void (*init)(), void (*fini)(),
                      void (*rtldFini)(), void* stackEnd) {
    g_main = main;
    const char* failing = std::getenv(kFailingVariable);
    g_failing = failing != nullptr ? std::strtoul(failing, nullptr, kDecimal) : 0;
    const auto start = reinterpret_cast<StartFunction>(dlsym(RTLD_NEXT, "__libc_start_main"));
    return start(CountingMain, argc, argv, init, fini, rtldFini, stackEnd);
}
}
