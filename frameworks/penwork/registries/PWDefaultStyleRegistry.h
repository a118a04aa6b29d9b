#pragma once

#include "frameworks/penwork/registries/PWCategoryManager.h"
#include "frameworks/penwork/registries/PWStyleRegistry.h"

// Posted with the registry as object by setNeedsUIUpdate.
inline const QString kPWStyleRegistryNeedsUIUpdateNotification =
    QStringLiteral("kPWStyleRegistryNeedsUIUpdateNotification");

// The framework's own style registry, kept in memory: styles (and any other objects handed to
// addObject, such as symbols) in named categories. Styles it holds are marked registered while
// they are in it. While the recently added list is enabled (at first it is), every object that
// enters is put at the front of recent list kRecentlyAddedList.
class PWDefaultStyleRegistry : public PWCategoryManager, public PWStyleRegistry {
    PF_CLASS(PWDefaultStyleRegistry)
public:
    static constexpr int kRecentlyAddedList = 0;

    PWDefaultStyleRegistry() = default;

    pf::Ref<PWStyle> styleForKey(const QString& key) const override;
    // The object under the key when it is not a style.
    pf::Ref<pf::Object> symbolForKey(const QString& key) const override;
    bool containsKey(const QString& key) const override;
    // Into the default category; the style keeps its name.
    pf::Ref<pf::Object> registerStyle(const pf::Ref<PWStyle>& style) override;
    // `name` when no held object has it (or it is empty), else the first of "name 1", "name 2",
    // ... that none has.
    QString uniqueNameForName(const QString& name) const override;
    // The first held object that is not a style and has that name.
    pf::Ref<pf::Object> symbolWithName(const QString& name) const override;
    // The names of the held styles, in the order they were registered (unnamed ones left out).
    QStringList styleNames() const override;
    pf::Ref<PWImageDataManager> imageManager() const override;
    void setImageManager(const pf::Ref<PWImageDataManager>& manager) override;
    void addObject(const pf::Ref<pf::Object>& object, const QString& key, const QStringList& categories,
                   bool createCategories) override;
    void setRecentlyAddedListEnabled(bool enabled) override;
    bool recentlyAddedListEnabled() const { return m_recentlyAddedListEnabled; }
    // Posts kPWStyleRegistryNeedsUIUpdateNotification.
    void setNeedsUIUpdate() override;
    // Also skips a style whose name `category` already has.
    pf::Ref<PWStyle> registerStyleInCategory(const pf::Ref<PWStyle>& style, const QString& category) override;

    // The styles read are marked registered.
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

protected:
    void didAddObject(const pf::Ref<pf::Object>& object, const QString& key) override;
    void didRemoveObject(const pf::Ref<pf::Object>& object, const QString& key) override;

private:
    bool m_recentlyAddedListEnabled = true;
};
