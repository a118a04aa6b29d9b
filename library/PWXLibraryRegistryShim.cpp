#include "library/PWXLibraryRegistryShim.h"

#include "drawing/PWXSymbolMaster.h"
#include "frameworks/penwork/drawables/PWImageDataManager.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "library/PWXLibrary.h"
#include "library/PWXLibraryGroup.h"
#include "library/PWXLibraryItem.h"
#include "library/PWXLibraryManagerWindowController.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/OperationQueue.h"
#include "platform/foundation/RunLoop.h"

#include <QMutex>

namespace {

struct SharedState {
    QMutex mutex;
    pf::Ref<PWImageDataManager> imageManager;
    QList<pf::Ref<pf::Object>> kept;
};

SharedState& shared()
{
    static SharedState state;
    return state;
}

pf::Ref<pf::Object> objectForKey(const QString& key)
{
    pf::Ref<PWXLibrary> library = PWXLibrary::libraryContainingItemWithUniqueID(key);
    pf::Ref<PWXLibraryItem> item = library ? library->itemWithUniqueID(key) : nullptr;
    return item ? item->representedObject() : nullptr;
}

} // namespace

PF_DEFINE_CLASS(PWXLibraryRegistryShim, pf::Object) {}

pf::Ref<PWXLibraryRegistryShim> PWXLibraryRegistryShim::shim() { return std::make_shared<PWXLibraryRegistryShim>(); }

pf::Ref<PWStyle> PWXLibraryRegistryShim::styleForKeyInLibraries(const QString& key)
{
    return std::dynamic_pointer_cast<PWStyle>(objectForKey(key));
}

pf::Ref<pf::Object> PWXLibraryRegistryShim::symbolForKeyInLibraries(const QString& key)
{
    return std::dynamic_pointer_cast<PWXSymbolMaster>(objectForKey(key));
}

bool PWXLibraryRegistryShim::librariesContainKey(const QString& key)
{
    return PWXLibrary::libraryContainingItemWithUniqueID(
               key, {PWXLibraryGroup::kFactoryGroupName, PWXLibraryGroup::kUserGroupName})
           != nullptr;
}

pf::Ref<PWXLibraryItem> PWXLibraryRegistryShim::registerStyleInLibraries(const pf::Ref<PWStyle>& style)
{
    if (!style || !pf::RunLoop::isMainThread() || librariesContainKey(style->uniqueKey()))
        return nullptr;
    pf::Ref<PWXLibrary> library = PWXLibrary::userLibraryForImpliedOperation();
    if (!library)
        return nullptr;
    auto copy = std::dynamic_pointer_cast<PWStyle>(style->mutableCopy());
    if (!copy)
        return nullptr;
    copy->setName(library->uniqueItemName(style->name()));
    pf::Ref<PWXLibraryItem> item = PWXLibraryItem::itemWithLibraryObject(copy);
    library->addItem(item);
    if (!library->containsUniqueID(item->uniqueKey()))
        return nullptr;
    copy->setLocked(true);
    pf::Ref<PWXLibraryManagerWindowController> manager = PWXLibraryManagerWindowController::sharedLibraryManager();
    manager->showWindow();
    manager->showItemWithUniqueID(item->uniqueKey(), true);
    pf::NotificationCenter::defaultCenter().post(
        kPWXStyleSubstitutionWasPerformed, nullptr,
        {{PWXLibrary::kOldStyleUserInfoKey, pf::toVariant(style)}, {PWXLibrary::kNewStyleUserInfoKey, pf::toVariant(copy)}});
    return item;
}

pf::Ref<pf::Object> PWXLibraryRegistryShim::registerStyle(const pf::Ref<PWStyle>& style)
{
    return registerStyleInLibraries(style);
}

pf::Ref<PWImageDataManager> PWXLibraryRegistryShim::imageManager() const
{
    SharedState& state = shared();
    QMutexLocker lock(&state.mutex);
    if (!state.imageManager)
        state.imageManager = std::make_shared<PWImageDataManager>();
    return state.imageManager;
}

void PWXLibraryRegistryShim::setImageManager(const pf::Ref<PWImageDataManager>& manager)
{
    SharedState& state = shared();
    QMutexLocker lock(&state.mutex);
    state.imageManager = manager;
}

void PWXLibraryRegistryShim::addObject(const pf::Ref<pf::Object>& object, const QString&, const QStringList&, bool)
{
    if (!object)
        return;
    // Kept until the current event has been handled, as a caller handing an object over
    // expects; keeping it for the whole run would hold every such object for ever.
    SharedState& state = shared();
    bool first = false;
    {
        QMutexLocker lock(&state.mutex);
        first = state.kept.isEmpty();
        state.kept.append(object);
    }
    if (first)
        pf::OperationQueue::mainQueue().addOperation([] {
            QList<pf::Ref<pf::Object>> released;
            {
                QMutexLocker lock(&shared().mutex);
                released.swap(shared().kept);
            }
        });
}

int PWXLibraryRegistryShim::keptObjectCount()
{
    QMutexLocker lock(&shared().mutex);
    return int(shared().kept.size());
}
