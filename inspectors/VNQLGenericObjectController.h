#pragma once

#include "inspectors/VNQLObjectControllerDataSource.h"

#include "platform/foundation/Notification.h"
#include "platform/ui/ViewController.h"

#include <QHash>
#include <QSet>
#include <QVariantMap>

#include <memory>
#include <optional>

namespace pf {
class Menu;
class ValueTransformer;
} // namespace pf

// The base of the inspector and style panes. A pane names the class of object it manages and
// the key paths it shows; the base takes the data source's objects of that class, observes
// those key paths on each, folds each key path's values into one common value (or the mixed
// or not-applicable marker) and hands it to the pane's own "set<Key>:" setter. A control
// edit is written to the key path of every object.
//
// The base registers no undo: the model objects record their own changes. What one edit
// writes to all objects forms one undo step, which the pane names afterwards with
// nameUndoActionForLastWrite.
class VNQLGenericObjectController : public pf::ViewController {
    PF_CLASS(VNQLGenericObjectController)
public:
    explicit VNQLGenericObjectController(const QString& nibName = {});
    ~VNQLGenericObjectController() override;

    // What a pane overrides (the class side of the design).
    // The class of the objects edited; the base logs that it must be overridden.
    virtual const pf::Class& managedObjectClass() const;
    virtual QList<const pf::Class*> managedObjectClasses() const { return {&managedObjectClass()}; }
    bool isKindOfManagedObjectClasses(const pf::Reflective& object) const;
    // By default the managed class's observable key paths when it is an observable model class.
    virtual QStringList keyPathsOfInterest() const;
    virtual bool supportsRevertOrCancel() const { return false; }
    virtual QStringList propertiesExpressibleAsPercentage() const { return {}; }

    // The data source (not retained). Attaching reloads the content; null unloads it.
    VNQLObjectControllerDataSource* dataSource() const;
    void setDataSource(VNQLObjectControllerDataSource* dataSource);
    // The same for an object that may not be a data source: raises
    // NSInternalInconsistencyException when it is not one.
    void setDataSourceObject(pf::Reflective* object);

    // The objects edited, loaded (and observed) on first use.
    QList<pf::Ref<pf::Object>> content();
    bool hasContent() const { return m_content.has_value(); }
    void setContent(const QList<pf::Ref<pf::Object>>& objects);
    void loadContent();
    void unloadContent();
    // After a selection change: drops the content and reads it again on the next turn.
    void reloadContent();
    void reloadData();
    void reloadDataForKeyPath(const QString& keyPath);

    QVariant commonValueForKeyPath(const QString& keyPath);
    void setCommonValue(const QVariant& value, const QString& keyPath);
    // The control's value (a colour well's colour); nothing for no value or, unless allowed,
    // an empty text.
    void takeCommonValueFrom(QObject* sender, const QString& keyPath, bool allowingEmptyValue = false);
    void takeCommonValueFromValue(const QVariant& value, const QString& keyPath, bool allowingEmptyValue = false);
    // -1 mixed, 1 on, 0 off.
    int stateForKeyPath(const QString& keyPath);

    // Names the undo step of the last write; nothing when that write recorded no change, so
    // an older step is never renamed.
    void nameUndoActionForLastWrite(const QString& name);
    // Whether the last setCommonValue changed any object.
    bool lastWriteRecordedUndo() const;

    void setTransformer(const pf::Ref<pf::ValueTransformer>& transformer, const QString& keyPath);
    pf::Ref<pf::ValueTransformer> transformerForKeyPath(const QString& keyPath) const;

    // Percentages: a listed property shown as the ratio to its value when the content was loaded.
    void setPropertyExpressedAsPercentage(const QString& property, bool asPercentage);
    bool propertyIsExpressedAsPercentage(const QString& property) const;
    void setPropertiesExpressibleAsPercentage(bool asPercentage);
    void recordOriginalValueOfObject(pf::Reflective* object, const QString& keyPath);
    QVariant originalValueOfObject(const pf::Reflective* object, const QString& keyPath) const;
    // The value to write for a ratio: ratio × reference; the ratio itself over a zero
    // reference; no value (skip the object) without a reference.
    QVariant valueForPercentage(const QVariant& percentage, const pf::Reflective* object, const QString& keyPath) const;
    // value / reference; 1 (unchanged) without a usable reference.
    QVariant percentageValueOfValue(const QVariant& value, const pf::Reflective* object, const QString& keyPath) const;

    bool canRevertOrCancel() const;
    bool revertOrCancel();

    pf::NumberFormatter* dataSourceNumberFormatter() const;
    pf::UndoManager* dataSourceUndoManager() const;

    // The key path's values over the content, as integers.
    QSet<qint64> usedIntegerValuesForKeyPath(const QString& keyPath);
    static void selectMixedValuesInTaggedMenu(pf::Menu& menu, const QSet<qint64>& usedTags);
    void selectMixedValuesInTaggedMenu(pf::Menu& menu, const QString& keyPath);

    void startObservingContent(const QList<pf::Ref<pf::Object>>& objects);
    void stopObservingContent(const QList<pf::Ref<pf::Object>>& objects);
    bool isStartingObservation() const { return m_isStartingObservation; }
    QString settingKeyPath() const { return m_settingKeyPath; }

    // Pushes a value (or the mixed marker) into the pane's setter for the last component.
    virtual void setValueForKeyPathInPane(const QVariant& value, const QString& keyPath);
    virtual void setMixedValueForKeyPath(const QString& keyPath);

    // Hooks for panes.
    virtual void setControlStateForNil() {}
    virtual void observedValueForKeyDidChangeTo(const QString& keyPath, const QVariant& value) {}
    // May replace the value to write; false skips the object.
    virtual bool shouldSetValue(QVariant* value, pf::Object* object, const QString& keyPath) { return true; }
    virtual void changeUIStateForPercentageProperty(bool asPercentage, const QString& keyPath) {}
    virtual void formatterChanged(const pf::Notification& notification) {}

    QVariant valueForUndefinedKey(const QString& key) const override;
    void setNilValueForKey(const QString& key) override;
    void observeValueForKeyPath(const QString& keyPath, pf::Reflective* object, const QVariantMap& change,
                                void* context) override;
    void awakeFromNib() override;

protected:
    // Runs the deferred read of new content.
    virtual void newObjectWasAssigned();
    // A key path that could not be observed on an object; answers whether the pane handled it.
    bool invalidKeyPath(const QString& keyPath, pf::Reflective* object);
    static QString objectKey(const pf::Reflective* object);
    static QString lastComponent(const QString& keyPath);

private:
    void attach(VNQLObjectControllerDataSource* dataSource, pf::Reflective* object);
    void cancelPendingAssignments();

    std::optional<QList<pf::Ref<pf::Object>>> m_content;
    VNQLObjectControllerDataSource* m_dataSource = nullptr;
    pf::Reflective* m_dataSourceObject = nullptr;
    std::weak_ptr<void> m_dataSourceToken;
    QHash<QString, pf::Ref<pf::ValueTransformer>> m_transformers;
    QHash<QString, QHash<QString, QVariant>> m_percentageOriginalValues;
    QSet<QString> m_percentageProperties;
    QString m_settingKeyPath;
    bool m_isStartingObservation = false;
    QVariantMap m_revertOrCancelSettings;
    QSet<QString> m_modifiedProperties;
    QList<quint64> m_pendingAssignments;
    // The undo step the last write made, and whether it wrote into an open group.
    quint64 m_lastWriteStep = 0;
    bool m_lastWriteInOpenGroup = false;
};
