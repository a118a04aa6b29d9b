#pragma once

#include <QString>
#include <QStringList>

namespace quillory::test {

// Makes the C library's file calls on one folder fail on demand, so a test can make each step
// of a save fail in turn and look at what is left. While an injector lives, the program's
// calls to open, write, sync, close, chmod, rename, link, mkdir and symlink that touch a file
// inside the folder (by path, or through a descriptor opened there) are counted in order; each
// goes on to the C library unchanged unless it is the one chosen to fail. Calls elsewhere are
// never touched, nor removals (the C++ library removes through the C library's inner calls).
// One injector at a time; calls may come from any thread.
class FileFaultInjector {
public:
    explicit FileFaultInjector(const QString& folder);
    ~FileFaultInjector();
    FileFaultInjector(const FileFaultInjector&) = delete;
    FileFaultInjector& operator=(const FileFaultInjector&) = delete;

    // The calls counted since the injector was made or last reset, by function name.
    QStringList calls() const;
    // Forgets the calls counted so far and the failure chosen.
    void reset();
    // Makes the call numbered `index` (0: the first one counted after this) fail with `error`
    // as errno; it does not reach the C library.
    void failCall(int index, int error);
    // Whether the chosen call has come and failed.
    bool hasFailed() const;
};

} // namespace quillory::test
