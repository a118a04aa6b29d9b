#include "frameworks/penwork/registries/PWDefaultStyleRegistry.h"

#include "frameworks/penwork/drawables/PWImageDataManager.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "platform/foundation/NotificationCenter.h"

#include <QSet>

PF_DEFINE_CLASS(PWDefaultStyleRegistry, PWCategoryManager)
{
    b.protocol(pf::kCodingProtocol);
    b.property("styleNames", &PWDefaultStyleRegistry::styleNames);
    b.method("styleForKey:", &PWDefaultStyleRegistry::styleForKey);
    b.method("symbolForKey:", &PWDefaultStyleRegistry::symbolForKey);
    b.method("containsKey:", &PWDefaultStyleRegistry::containsKey);
    b.method("uniqueNameForName:", &PWDefaultStyleRegistry::uniqueNameForName);
    b.method("symbolWithName:", &PWDefaultStyleRegistry::symbolWithName);
    b.method("setRecentlyAddedListEnabled:", &PWDefaultStyleRegistry::setRecentlyAddedListEnabled);
    b.method("setNeedsUIUpdate", &PWDefaultStyleRegistry::setNeedsUIUpdate);
}

pf::Ref<PWStyle> PWDefaultStyleRegistry::styleForKey(const QString& key) const
{
    return std::dynamic_pointer_cast<PWStyle>(objectForKey(key));
}

pf::Ref<pf::Object> PWDefaultStyleRegistry::symbolForKey(const QString& key) const
{
    pf::Ref<pf::Object> object = objectForKey(key);
    return std::dynamic_pointer_cast<PWStyle>(object) ? nullptr : object;
}

bool PWDefaultStyleRegistry::containsKey(const QString& key) const
{
    return PWCategoryManager::containsKey(key);
}

pf::Ref<pf::Object> PWDefaultStyleRegistry::registerStyle(const pf::Ref<PWStyle>& style)
{
    if (!style || style->uniqueKey().isEmpty() || containsKey(style->uniqueKey()))
        return nullptr;
    PWCategoryManager::addObject(style, style->uniqueKey(), {}, false);
    return style;
}

QString PWDefaultStyleRegistry::uniqueNameForName(const QString& name) const
{
    if (name.isEmpty())
        return name;
    QSet<QString> taken;
    for (const auto& object : objectsInCategories({kPWDefaultCategoryName}))
        taken.insert(nameOfObject(object));
    if (!taken.contains(name))
        return name;
    // At most count() + 1 tries: each held object takes one name.
    for (int n = 1;; ++n) {
        const QString candidate = QStringLiteral("%1 %2").arg(name).arg(n);
        if (!taken.contains(candidate))
            return candidate;
    }
}

pf::Ref<pf::Object> PWDefaultStyleRegistry::symbolWithName(const QString& name) const
{
    for (const auto& object : objectsInCategories({kPWDefaultCategoryName})) {
        if (!std::dynamic_pointer_cast<PWStyle>(object) && nameOfObject(object) == name)
            return object;
    }
    return nullptr;
}

QStringList PWDefaultStyleRegistry::styleNames() const
{
    QStringList names;
    for (const auto& object : objectsInCategories({kPWDefaultCategoryName})) {
        if (auto style = std::dynamic_pointer_cast<PWStyle>(object); style && !style->name().isEmpty())
            names.append(style->name());
    }
    return names;
}

pf::Ref<PWImageDataManager> PWDefaultStyleRegistry::imageManager() const
{
    return PWCategoryManager::imageManager();
}

void PWDefaultStyleRegistry::setImageManager(const pf::Ref<PWImageDataManager>& manager)
{
    PWCategoryManager::setImageManager(manager);
}

void PWDefaultStyleRegistry::addObject(const pf::Ref<pf::Object>& object, const QString& key,
                                       const QStringList& categories, bool createCategories)
{
    PWCategoryManager::addObject(object, key, categories, createCategories);
}

void PWDefaultStyleRegistry::setRecentlyAddedListEnabled(bool enabled)
{
    m_recentlyAddedListEnabled = enabled;
}

void PWDefaultStyleRegistry::setNeedsUIUpdate()
{
    pf::NotificationCenter::defaultCenter().post(kPWStyleRegistryNeedsUIUpdateNotification, this);
}

pf::Ref<PWStyle> PWDefaultStyleRegistry::registerStyleInCategory(const pf::Ref<PWStyle>& style,
                                                                 const QString& category)
{
    if (!style || style->uniqueKey().isEmpty() || containsKey(style->uniqueKey()))
        return nullptr;
    for (const auto& held : objectsInCategories({category})) {
        auto heldStyle = std::dynamic_pointer_cast<PWStyle>(held);
        if (heldStyle && heldStyle->name() == style->name())
            return nullptr;
    }
    PWCategoryManager::addObject(style, style->uniqueKey(), {category}, true);
    return style;
}

void PWDefaultStyleRegistry::initWithCoder(pf::KeyedUnarchiver& coder)
{
    PWCategoryManager::initWithCoder(coder);
    for (const auto& object : objectsInCategories({kPWDefaultCategoryName})) {
        if (auto style = std::dynamic_pointer_cast<PWStyle>(object))
            style->setStyleRegistered(true);
    }
}

void PWDefaultStyleRegistry::didAddObject(const pf::Ref<pf::Object>& object, const QString& key)
{
    if (auto style = std::dynamic_pointer_cast<PWStyle>(object))
        style->setStyleRegistered(true);
    if (m_recentlyAddedListEnabled)
        addKeyToRecentList(key, kRecentlyAddedList);
}

void PWDefaultStyleRegistry::didRemoveObject(const pf::Ref<pf::Object>& object, const QString&)
{
    if (auto style = std::dynamic_pointer_cast<PWStyle>(object))
        style->setStyleRegistered(false);
}
