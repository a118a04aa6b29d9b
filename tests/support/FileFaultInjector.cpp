#include "tests/support/FileFaultInjector.h"

#include <QFile>

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/types.h>

// The replacements are defined under the C library's own symbol names (asm labels keep them
// apart from the declarations of <fcntl.h> and <unistd.h>), so every caller in the program,
// Qt included, reaches them first; each passes the call on to the next definition.
extern "C" {
int quillory_open(const char* path, int flags, ...) __asm__("open");
int quillory_open64(const char* path, int flags, ...) __asm__("open64");
int quillory_openat(int dir, const char* path, int flags, ...) __asm__("openat");
int quillory_openat64(int dir, const char* path, int flags, ...) __asm__("openat64");
ssize_t quillory_write(int fd, const void* data, size_t size) __asm__("write");
int quillory_fsync(int fd) __asm__("fsync");
int quillory_fdatasync(int fd) __asm__("fdatasync");
int quillory_close(int fd) __asm__("close");
int quillory_fchmod(int fd, mode_t mode) __asm__("fchmod");
int quillory_rename(const char* from, const char* to) __asm__("rename");
int quillory_renameat(int fromDir, const char* from, int toDir, const char* to) __asm__("renameat");
int quillory_renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned flags) __asm__("renameat2");
int quillory_link(const char* from, const char* to) __asm__("link");
int quillory_linkat(int fromDir, const char* from, int toDir, const char* to, int flags) __asm__("linkat");
int quillory_mkdir(const char* path, mode_t mode) __asm__("mkdir");
int quillory_mkdirat(int dir, const char* path, mode_t mode) __asm__("mkdirat");
int quillory_symlink(const char* destination, const char* path) __asm__("symlink");
int quillory_symlinkat(const char* destination, int dir, const char* path) __asm__("symlinkat");
}

namespace {

struct State {
    std::mutex mutex;
    std::string folder; // absolute, without a trailing slash
    std::set<int> descriptors; // opened inside the folder and not closed yet
    std::vector<std::string> calls;
    int failAt = -1;
    int failError = 0;
    bool failed = false;
};

std::atomic<bool> active{false};

State& state()
{
    static State s;
    return s;
}

template <class F>
F next(const char* name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}

bool inFolder(const State& s, int dir, const char* path)
{
    if (!path)
        return false;
    // Relative to another folder than the current one: known only through the descriptor.
    if (path[0] != '/' && dir != AT_FDCWD)
        return s.descriptors.count(dir) > 0;
    const size_t n = s.folder.size();
    return std::strncmp(path, s.folder.c_str(), n) == 0 && (path[n] == '\0' || path[n] == '/');
}

// Counts the call; answers whether it is the one to fail, with errno set for it.
bool countAndFail(State& s, const char* name)
{
    const int index = int(s.calls.size());
    s.calls.emplace_back(name);
    if (index != s.failAt)
        return false;
    s.failed = true;
    errno = s.failError;
    return true;
}

// The call on a path (or two); -1 when it is made to fail.
template <class Call>
auto onPaths(const char* name, int dir1, const char* path1, int dir2, const char* path2, Call call)
{
    if (active.load(std::memory_order_acquire)) {
        State& s = state();
        std::lock_guard lock(s.mutex);
        if ((inFolder(s, dir1, path1) || inFolder(s, dir2, path2)) && countAndFail(s, name))
            return decltype(call())(-1);
    }
    return call();
}

template <class Call>
auto onDescriptor(const char* name, int fd, Call call)
{
    if (active.load(std::memory_order_acquire)) {
        State& s = state();
        std::lock_guard lock(s.mutex);
        if (s.descriptors.count(fd) && countAndFail(s, name))
            return decltype(call())(-1);
    }
    return call();
}

int opened(const char* name, int dir, const char* path, int flags, mode_t mode, int (*real)(int, const char*, int, ...))
{
    if (!active.load(std::memory_order_acquire))
        return real(dir, path, flags, mode);
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (!inFolder(s, dir, path))
        return real(dir, path, flags, mode);
    if (countAndFail(s, name))
        return -1;
    const int fd = real(dir, path, flags, mode);
    if (fd >= 0)
        s.descriptors.insert(fd);
    return fd;
}

mode_t modeOf(int flags, va_list arguments)
{
    return (flags & O_CREAT) || (flags & O_TMPFILE) == O_TMPFILE ? mode_t(va_arg(arguments, int)) : 0;
}

using OpenAt = int (*)(int, const char*, int, ...);

} // namespace

extern "C" {

int quillory_open(const char* path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeOf(flags, arguments);
    va_end(arguments);
    static const auto real = next<OpenAt>("openat");
    return opened("open", AT_FDCWD, path, flags, mode, real);
}

int quillory_open64(const char* path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeOf(flags, arguments);
    va_end(arguments);
    static const auto real = next<OpenAt>("openat64");
    return opened("open", AT_FDCWD, path, flags, mode, real);
}

int quillory_openat(int dir, const char* path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeOf(flags, arguments);
    va_end(arguments);
    static const auto real = next<OpenAt>("openat");
    return opened("open", dir, path, flags, mode, real);
}

int quillory_openat64(int dir, const char* path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = modeOf(flags, arguments);
    va_end(arguments);
    static const auto real = next<OpenAt>("openat64");
    return opened("open", dir, path, flags, mode, real);
}

ssize_t quillory_write(int fd, const void* data, size_t size)
{
    static const auto real = next<ssize_t (*)(int, const void*, size_t)>("write");
    return onDescriptor("write", fd, [&] { return real(fd, data, size); });
}

int quillory_fsync(int fd)
{
    static const auto real = next<int (*)(int)>("fsync");
    return onDescriptor("sync", fd, [&] { return real(fd); });
}

int quillory_fdatasync(int fd)
{
    static const auto real = next<int (*)(int)>("fdatasync");
    return onDescriptor("sync", fd, [&] { return real(fd); });
}

int quillory_fchmod(int fd, mode_t mode)
{
    static const auto real = next<int (*)(int, mode_t)>("fchmod");
    return onDescriptor("chmod", fd, [&] { return real(fd, mode); });
}

int quillory_close(int fd)
{
    static const auto real = next<int (*)(int)>("close");
    if (active.load(std::memory_order_acquire)) {
        State& s = state();
        std::lock_guard lock(s.mutex);
        if (s.descriptors.erase(fd) && countAndFail(s, "close")) {
            // As the kernel does for a close that reports an error: the descriptor is gone.
            const int error = errno;
            real(fd);
            errno = error;
            return -1;
        }
    }
    return real(fd);
}

int quillory_rename(const char* from, const char* to)
{
    static const auto real = next<int (*)(const char*, const char*)>("rename");
    return onPaths("rename", AT_FDCWD, from, AT_FDCWD, to, [&] { return real(from, to); });
}

int quillory_renameat(int fromDir, const char* from, int toDir, const char* to)
{
    static const auto real = next<int (*)(int, const char*, int, const char*)>("renameat");
    return onPaths("rename", fromDir, from, toDir, to, [&] { return real(fromDir, from, toDir, to); });
}

int quillory_renameat2(int fromDir, const char* from, int toDir, const char* to, unsigned flags)
{
    static const auto real = next<int (*)(int, const char*, int, const char*, unsigned)>("renameat2");
    return onPaths("rename", fromDir, from, toDir, to, [&] { return real(fromDir, from, toDir, to, flags); });
}

int quillory_link(const char* from, const char* to)
{
    static const auto real = next<int (*)(const char*, const char*)>("link");
    return onPaths("link", AT_FDCWD, from, AT_FDCWD, to, [&] { return real(from, to); });
}

int quillory_linkat(int fromDir, const char* from, int toDir, const char* to, int flags)
{
    static const auto real = next<int (*)(int, const char*, int, const char*, int)>("linkat");
    return onPaths("link", fromDir, from, toDir, to, [&] { return real(fromDir, from, toDir, to, flags); });
}

int quillory_mkdir(const char* path, mode_t mode)
{
    static const auto real = next<int (*)(const char*, mode_t)>("mkdir");
    return onPaths("mkdir", AT_FDCWD, path, AT_FDCWD, nullptr, [&] { return real(path, mode); });
}

int quillory_mkdirat(int dir, const char* path, mode_t mode)
{
    static const auto real = next<int (*)(int, const char*, mode_t)>("mkdirat");
    return onPaths("mkdir", dir, path, AT_FDCWD, nullptr, [&] { return real(dir, path, mode); });
}

// The link is made at `path`; its destination is only text.
int quillory_symlink(const char* destination, const char* path)
{
    static const auto real = next<int (*)(const char*, const char*)>("symlink");
    return onPaths("symlink", AT_FDCWD, path, AT_FDCWD, nullptr, [&] { return real(destination, path); });
}

int quillory_symlinkat(const char* destination, int dir, const char* path)
{
    static const auto real = next<int (*)(const char*, int, const char*)>("symlinkat");
    return onPaths("symlink", dir, path, AT_FDCWD, nullptr, [&] { return real(destination, dir, path); });
}

} // extern "C"

namespace quillory::test {

FileFaultInjector::FileFaultInjector(const QString& folder)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.folder = QFile::encodeName(folder).toStdString();
    while (s.folder.size() > 1 && s.folder.back() == '/')
        s.folder.pop_back();
    s.descriptors.clear();
    s.calls.clear();
    s.failAt = -1;
    s.failed = false;
    active.store(true, std::memory_order_release);
}

FileFaultInjector::~FileFaultInjector()
{
    active.store(false, std::memory_order_release);
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.descriptors.clear();
    s.calls.clear();
    s.failAt = -1;
}

QStringList FileFaultInjector::calls() const
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    QStringList names;
    for (const std::string& call : s.calls)
        names.append(QString::fromStdString(call));
    return names;
}

void FileFaultInjector::reset()
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.calls.clear();
    s.failAt = -1;
    s.failed = false;
}

void FileFaultInjector::failCall(int index, int error)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.calls.clear();
    s.failAt = index;
    s.failError = error;
    s.failed = false;
}

bool FileFaultInjector::hasFailed() const
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    return s.failed;
}

} // namespace quillory::test
