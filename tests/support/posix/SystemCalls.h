#pragma once

#include <sys/resource.h>

#include <functional>
#include <string>

// The system calls the program's own code makes, answered as a test wants:
// the test program is linked with them wrapped (ld --wrap), so that a test
// can make one fail, or act just before it, on any machine, without strace
// and without root. Calls from libraries go to the system as they are.
enum class ESystemCall { kFsync, kFchown, kFchmod, kFsetxattr, kRead, kIconvOpen, kCount };

// For the scope: a call of `call` on a descriptor that `applies` accepts
// (any, without it; -1 for a call that takes none) first runs `before`,
// then fails with `error` unless that is 0. One fault per call at a time.
class CSystemCallFault {
public:
    using CTest = std::function<bool(int fd)>;
    using CAction = std::function<void(int fd)>;

    CSystemCallFault(ESystemCall call, int error, CTest applies = {}, CAction before = {});
    ~CSystemCallFault();
    CSystemCallFault(const CSystemCallFault&) = delete;
    CSystemCallFault& operator=(const CSystemCallFault&) = delete;

    // How many calls it answered.
    int GetCount() const;

private:
    ESystemCall m_call;
};

// Caps the size of files this process writes for the scope; with SIGXFSZ
// ignored, as the program ignores it, a write past the cap fails as on a
// full disk.
class CFileSizeCap {
public:
    explicit CFileSizeCap(rlim_t bytes);
    ~CFileSizeCap();
    CFileSizeCap(const CFileSizeCap&) = delete;
    CFileSizeCap& operator=(const CFileSizeCap&) = delete;

private:
    rlimit m_previous{};
};

// What a descriptor is: its path, as the system names it; whether a folder.
std::string PathOf(int fd);
bool IsFolder(int fd);
