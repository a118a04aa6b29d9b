#include "platform/ui/Nib.h"

#include "platform/ui/NibLoader.h"

#include <QHash>

namespace pf {

namespace {

QHash<QString, Nib::Builder>& builders()
{
    static QHash<QString, Nib::Builder> registry;
    return registry;
}

} // namespace

void Nib::registerNib(const QString& name, Builder builder)
{
    if (builder)
        builders().insert(name, std::move(builder));
    else
        builders().remove(name);
}

bool Nib::exists(const QString& name)
{
    return !name.isEmpty() && builders().contains(name);
}

bool Nib::load(const QString& name, NibLoader& loader, const std::function<void(NibLoader&)>& connect)
{
    if (!exists(name))
        return false;
    // A copy: the builder may register or remove nibs while it runs.
    const Builder builder = builders().value(name);
    builder(loader);
    if (connect)
        connect(loader);
    loader.awakeObjects();
    return true;
}

} // namespace pf
