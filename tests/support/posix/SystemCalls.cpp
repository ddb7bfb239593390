#include "tests/support/posix/SystemCalls.h"

#include <iconv.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "platform/Desktop.h"

namespace {

struct CFault {
    bool armed = false;
    int error = 0;
    CSystemCallFault::CTest applies;
    CSystemCallFault::CAction before;
    int count = 0;
};
CFault g_faults[static_cast<int>(ESystemCall::kCount)];

CFault& FaultOf(ESystemCall call) {
    return g_faults[static_cast<int>(call)];
}

// True when the call is to fail, with errno set.
bool Answer(ESystemCall call, int fd) {
    CFault& fault = FaultOf(call);
    if (!fault.armed || (fault.applies && !fault.applies(fd))) {
        return false;
    }
    ++fault.count;
    if (fault.before) {
        fault.before(fd);
    }
    if (fault.error == 0) {
        return false;
    }
    errno = fault.error;
    return true;
}

}  // namespace

CSystemCallFault::CSystemCallFault(ESystemCall call, int error, CTest applies, CAction before)
    : m_call(call) {
    FaultOf(call) = {true, error, std::move(applies), std::move(before), 0};
}

CSystemCallFault::~CSystemCallFault() {
    FaultOf(m_call) = {};
}

int CSystemCallFault::GetCount() const {
    return FaultOf(m_call).count;
}

CFileSizeCap::CFileSizeCap(rlim_t bytes) {
    PrepareProcess();
    getrlimit(RLIMIT_FSIZE, &m_previous);
    rlimit capped = m_previous;
    capped.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &capped);
}

CFileSizeCap::~CFileSizeCap() {
    setrlimit(RLIMIT_FSIZE, &m_previous);
}

std::string PathOf(int fd) {
    char path[PATH_MAX];
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t length = readlink(link.c_str(), path, sizeof path);
    return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : std::string();
}

bool IsFolder(int fd) {
    struct stat info {};
    return fstat(fd, &info) == 0 && S_ISDIR(info.st_mode);
}

extern "C" {

int __real_fsync(int fd);
int __real_fchown(int fd, uid_t owner, gid_t group);
int __real_fchmod(int fd, mode_t mode);
int __real_fsetxattr(int fd, const char* name, const void* value, size_t size, int flags);
ssize_t __real_read(int fd, void* buffer, size_t size);
iconv_t __real_iconv_open(const char* to, const char* from);

int __wrap_fsync(int fd) {
    return Answer(ESystemCall::kFsync, fd) ? -1 : __real_fsync(fd);
}

int __wrap_fchown(int fd, uid_t owner, gid_t group) {
    return Answer(ESystemCall::kFchown, fd) ? -1 : __real_fchown(fd, owner, group);
}

int __wrap_fchmod(int fd, mode_t mode) {
    return Answer(ESystemCall::kFchmod, fd) ? -1 : __real_fchmod(fd, mode);
}

int __wrap_fsetxattr(int fd, const char* name, const void* value, size_t size, int flags) {
    return Answer(ESystemCall::kFsetxattr, fd) ? -1
                                               : __real_fsetxattr(fd, name, value, size, flags);
}

ssize_t __wrap_read(int fd, void* buffer, size_t size) {
    return Answer(ESystemCall::kRead, fd) ? -1 : __real_read(fd, buffer, size);
}

iconv_t __wrap_iconv_open(const char* to, const char* from) {
    return Answer(ESystemCall::kIconvOpen, -1) ? reinterpret_cast<iconv_t>(-1)
                                               : __real_iconv_open(to, from);
}

}  // extern "C"
