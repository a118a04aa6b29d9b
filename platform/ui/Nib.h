#pragma once

#include <QString>

#include <functional>

namespace pf {

class NibLoader;

// The registry that stands in for interface files: a nib is a builder, registered by name,
// that makes a window or a view with its controls and controllers, sets the owner's outlets
// directly and records what it made in the loader.
class Nib {
public:
    using Builder = std::function<void(NibLoader& loader)>;

    // A null builder removes the nib.
    static void registerNib(const QString& name, Builder builder);
    static bool exists(const QString& name);

    // Runs the nib's builder for the loader's owner, then `connect` (where the owner takes
    // the window or view, as outlets are connected before anything wakes), then wakes what
    // the builder made (creation order, owner last). Answers false, making nothing, when no
    // nib has that name. What the builder throws reaches the caller.
    static bool load(const QString& name, NibLoader& loader,
                     const std::function<void(NibLoader&)>& connect = {});
};

} // namespace pf
