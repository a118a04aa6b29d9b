#include "inspectors/VNQLGenericObjectController.h"

#include "frameworks/penwork/support/RVLog.h"
#include "frameworks/penwork/support/RVObservableObject.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/Markers.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UndoManager.h"
#include "platform/foundation/ValueTransformer.h"
#include "platform/foundation/Variant.h"
#include "platform/graphics/Color.h"
#include "platform/ui/Bundle.h"
#include "platform/ui/ColorWell.h"
#include "platform/ui/Control.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"
#include "widgets/Color+VNQLApplicationColors.h"
#include "widgets/String+CamelCase.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>

PF_DEFINE_CLASS(VNQLGenericObjectController, pf::ViewController) {}

namespace {

// The context of this class's observations.
char observationContext;

// Numbers and other boxed values (points, sizes, rectangles) go through a transformer.
bool isBoxedValue(const QVariant& value)
{
    if (!value.isValid() || pf::isMarker(value))
        return false;
    if (pf::isNumber(value))
        return true;
    switch (value.metaType().id()) {
    case QMetaType::QPointF:
    case QMetaType::QSizeF:
    case QMetaType::QRectF:
    case QMetaType::QPoint:
    case QMetaType::QSize:
    case QMetaType::QRect:
        return true;
    default:
        return false;
    }
}

QString multipleValuesString()
{
    return pf::Bundle::main().localizedString(QStringLiteral("<multiple values>"), QStringLiteral("<multiple values>"));
}

} // namespace

VNQLGenericObjectController::VNQLGenericObjectController(const QString& nibName) : pf::ViewController(nibName)
{
    RVLogObjCMethod("initialising generic object controller '%s'", qPrintable(nibName));
}

VNQLGenericObjectController::~VNQLGenericObjectController()
{
    pf::NotificationCenter::defaultCenter().removeObserver(this);
    if (m_content) {
        stopObservingContent(*m_content);
        m_content.reset();
    }
    cancelPendingAssignments();
}

const pf::Class& VNQLGenericObjectController::managedObjectClass() const
{
    RVLogObjCMethod("+managedObjectClass must be overridden for all concrete subclasses (%s)", qPrintable(className()));
    return pf::Object::staticClass();
}

bool VNQLGenericObjectController::isKindOfManagedObjectClasses(const pf::Reflective& object) const
{
    for (const pf::Class* cls : managedObjectClasses())
        if (cls && object.isKindOf(*cls))
            return true;
    return false;
}

QStringList VNQLGenericObjectController::keyPathsOfInterest() const
{
    const pf::Class& cls = managedObjectClass();
    if (cls.isSubclassOf(RVObservableObject::staticClass()))
        return RVObservableObject::observableKeyPaths(cls);
    return {};
}

// Data source

VNQLObjectControllerDataSource* VNQLGenericObjectController::dataSource() const
{
    if (m_dataSourceObject && m_dataSourceToken.expired())
        return nullptr;
    return m_dataSource;
}

void VNQLGenericObjectController::setDataSource(VNQLObjectControllerDataSource* dataSource)
{
    attach(dataSource, dynamic_cast<pf::Reflective*>(dataSource));
}

void VNQLGenericObjectController::setDataSourceObject(pf::Reflective* object)
{
    auto* dataSource = dynamic_cast<VNQLObjectControllerDataSource*>(object);
    if (object && !dataSource)
        throw pf::InternalInconsistencyException(
            QStringLiteral("the data source %1 does not conform the the VNQLObjectControllerDataSource protocol")
                .arg(object->description()));
    attach(dataSource, object);
}

void VNQLGenericObjectController::attach(VNQLObjectControllerDataSource* dataSource, pf::Reflective* object)
{
    pf::NotificationCenter& center = pf::NotificationCenter::defaultCenter();
    if (m_dataSourceObject && !m_dataSourceToken.expired())
        center.removeObserver(this, kVNQLGeometryControllerFormatterDidChange, m_dataSourceObject);
    m_dataSource = dataSource;
    m_dataSourceObject = object;
    m_dataSourceToken = object ? object->livenessToken() : std::weak_ptr<void>();
    if (!dataSource) {
        unloadContent();
        return;
    }
    reloadContent();
    if (object)
        center.addObserver(
            this, [this](const pf::Notification& notification) { formatterChanged(notification); },
            kVNQLGeometryControllerFormatterDidChange, object);
}

pf::NumberFormatter* VNQLGenericObjectController::dataSourceNumberFormatter() const
{
    VNQLObjectControllerDataSource* source = dataSource();
    return source ? source->numberFormatterForCurrentDisplayUnits() : nullptr;
}

pf::UndoManager* VNQLGenericObjectController::dataSourceUndoManager() const
{
    VNQLObjectControllerDataSource* source = dataSource();
    return source ? source->undoManager() : nullptr;
}

// Content

void VNQLGenericObjectController::reloadContent()
{
    if (!isViewLoaded()) {
        try {
            QWidget* loaded = view();
            RVLogObjCMethod("Loading view for '%s', view = %p", qPrintable(className()), static_cast<void*>(loaded));
        } catch (const pf::Exception& e) {
            RVLogObjCMethod("no view for '%s': %s", qPrintable(className()), qPrintable(e.reason()));
        }
    }
    unloadContent();
    std::weak_ptr<void> token = livenessToken();
    const quint64 handle = pf::RunLoop::main().perform(
        [this, token] {
            if (token.expired())
                return;
            newObjectWasAssigned();
        },
        0);
    m_pendingAssignments.append(handle);
}

void VNQLGenericObjectController::cancelPendingAssignments()
{
    for (quint64 handle : std::as_const(m_pendingAssignments))
        pf::RunLoop::main().cancel(handle);
    m_pendingAssignments.clear();
}

void VNQLGenericObjectController::newObjectWasAssigned()
{
    if (!m_pendingAssignments.isEmpty())
        m_pendingAssignments.removeFirst();
    for (const QString& property : propertiesExpressibleAsPercentage())
        changeUIStateForPercentageProperty(propertyIsExpressedAsPercentage(property), property);
    content();
}

void VNQLGenericObjectController::unloadContent()
{
    if (m_content) {
        // Kept alive until this event has been handled, as a released array would be.
        const QList<pf::Ref<pf::Object>> old = *m_content;
        m_content.reset();
        stopObservingContent(old);
    }
    m_percentageOriginalValues.clear();
}

void VNQLGenericObjectController::loadContent()
{
    QList<pf::Ref<pf::Object>> kept;
    if (VNQLObjectControllerDataSource* source = dataSource())
        for (const pf::Ref<pf::Object>& object : source->selectedContentForObjectController(this))
            if (object && isKindOfManagedObjectClasses(*object))
                kept.append(object);
    m_content = kept;
    startObservingContent(kept);
    if (kept.isEmpty())
        setControlStateForNil();
}

QList<pf::Ref<pf::Object>> VNQLGenericObjectController::content()
{
    if (!m_content)
        loadContent();
    return m_content.value_or(QList<pf::Ref<pf::Object>>());
}

void VNQLGenericObjectController::setContent(const QList<pf::Ref<pf::Object>>& objects)
{
    unloadContent();
    m_content = objects;
    startObservingContent(objects);
    if (objects.isEmpty())
        setControlStateForNil();
}

void VNQLGenericObjectController::reloadData()
{
    if (!m_content) {
        content();
        return;
    }
    if (m_content->isEmpty()) {
        setControlStateForNil();
        return;
    }
    for (const QString& keyPath : keyPathsOfInterest())
        reloadDataForKeyPath(keyPath);
}

void VNQLGenericObjectController::reloadDataForKeyPath(const QString& keyPath)
{
    setValueForKeyPathInPane(commonValueForKeyPath(keyPath), keyPath);
}

// Observation

void VNQLGenericObjectController::startObservingContent(const QList<pf::Ref<pf::Object>>& objects)
{
    m_isStartingObservation = true;
    m_revertOrCancelSettings.clear();
    const QStringList keyPaths = keyPathsOfInterest();
    const QStringList percentages = propertiesExpressibleAsPercentage();
    for (const pf::Ref<pf::Object>& object : objects) {
        for (const QString& keyPath : keyPaths) {
            try {
                if (percentages.contains(keyPath))
                    recordOriginalValueOfObject(object.get(), keyPath);
                object->addObserver(this, keyPath, pf::ObservingNew | pf::ObservingOld | pf::ObservingInitial,
                                    &observationContext);
            } catch (const pf::Exception& e) {
                if (!invalidKeyPath(keyPath, object.get()))
                    RVLogObjCMethod("keyPath '%s' not valid for %s, exception = %s [ignored]", qPrintable(keyPath),
                                    qPrintable(object->description()), qPrintable(e.reason()));
            }
        }
    }
    m_modifiedProperties.clear();
    m_isStartingObservation = false;
}

void VNQLGenericObjectController::stopObservingContent(const QList<pf::Ref<pf::Object>>& objects)
{
    for (const pf::Ref<pf::Object>& object : objects) {
        for (const QString& keyPath : keyPathsOfInterest()) {
            try {
                object->removeObserver(this, keyPath, &observationContext);
            } catch (const pf::Exception&) {
                // It was never observed (the key path did not apply to it).
            }
        }
    }
}

bool VNQLGenericObjectController::invalidKeyPath(const QString& keyPath, pf::Reflective* object)
{
    RVLogObjCMethod("invalid key path '%s'", qPrintable(keyPath));
    const QString selector =
        QStringLiteral("invalidateControlsFor%1:").arg(capitalizedStringPreservingCamelCase(lastComponent(keyPath)));
    if (!respondsTo(selector))
        return false;
    auto* target = dynamic_cast<pf::Object*>(object);
    perform(selector, {target ? pf::toVariant(target->ref()) : QVariant()});
    return true;
}

void VNQLGenericObjectController::observeValueForKeyPath(const QString& keyPath, pf::Reflective* object,
                                                         const QVariantMap&, void* context)
{
    if (context != &observationContext || !m_content || keyPath == m_settingKeyPath)
        return;
    bool inContent = false;
    for (const pf::Ref<pf::Object>& candidate : std::as_const(*m_content))
        if (candidate.get() == object) {
            inContent = true;
            break;
        }
    if (inContent)
        reloadDataForKeyPath(keyPath);
}

// Values

QVariant VNQLGenericObjectController::commonValueForKeyPath(const QString& keyPath)
{
    PF_ASSERT(keyPathsOfInterest().contains(keyPath), "keyPath '%s' used as getter not present in -keyPathsOfInterest",
              qPrintable(keyPath));
    if (!m_content || m_content->isEmpty())
        return {};
    const bool asPercentage = propertyIsExpressedAsPercentage(keyPath);
    QVariant running;
    for (const pf::Ref<pf::Object>& object : std::as_const(*m_content)) {
        QVariant value;
        try {
            value = object->valueForKeyPath(keyPath);
        } catch (const pf::Exception&) {
            return pf::notApplicableMarker();
        }
        if (asPercentage)
            value = percentageValueOfValue(value, object.get(), keyPath);
        if (pf::isNilOrNull(running)) {
            running = value;
        } else if (!pf::isEqual(value, running)) {
            running = pf::multipleValuesMarker();
            break;
        }
    }
    if (isBoxedValue(running))
        if (pf::Ref<pf::ValueTransformer> transformer = transformerForKeyPath(keyPath))
            return transformer->transformedValue(running);
    return running;
}

void VNQLGenericObjectController::setValueForKeyPathInPane(const QVariant& value, const QString& keyPath)
{
    if (pf::isMultipleValuesMarker(value)) {
        setMixedValueForKeyPath(keyPath);
    } else {
        if (supportsRevertOrCancel() && m_isStartingObservation)
            m_revertOrCancelSettings.insert(keyPath, value);
        const QVariant given = pf::isNull(value) ? QVariant() : value;
        const QString key = lastComponent(keyPath);
        if (respondsTo(pf::setterSelector(key)))
            setValueForKey(given, key);
        else
            RVLogObjCMethod("%s does not implement -%s", qPrintable(className()), qPrintable(pf::setterSelector(key)));
    }
    observedValueForKeyDidChangeTo(keyPath, value);
}

void VNQLGenericObjectController::setMixedValueForKeyPath(const QString& keyPath)
{
    const QString selector = QStringLiteral("setMixedValueFor") + capitalizedStringPreservingCamelCase(lastComponent(keyPath));
    if (respondsTo(selector)) {
        perform(selector);
        return;
    }
    RVLogObjCMethod("%s does not respond to -%s, attempting to set generic multiple values string instead",
                    qPrintable(className()), qPrintable(selector));
    const QString key = lastComponent(keyPath);
    if (respondsTo(pf::setterSelector(key)))
        setValueForKey(multipleValuesString(), key);
    else
        RVLogObjCMethod("%s does not implement -%s", qPrintable(className()), qPrintable(pf::setterSelector(key)));
}

void VNQLGenericObjectController::setCommonValue(const QVariant& value, const QString& keyPath)
{
    PF_ASSERT(keyPathsOfInterest().contains(keyPath), "keyPath '%s' used as setter not present in -keyPathsOfInterest",
              qPrintable(keyPath));
    if (!m_content || pf::isMultipleValuesMarker(value) || pf::isNotApplicableMarker(value) ||
        !m_settingKeyPath.isEmpty())
        return;
    QVariant written = value;
    if (pf::Ref<pf::ValueTransformer> transformer = transformerForKeyPath(keyPath))
        if (transformer->allowsReverseTransformation())
            written = transformer->reverseTransformedValue(written);
    m_settingKeyPath = keyPath;
    m_modifiedProperties.insert(keyPath);

    // Everything this edit writes is one undo step, whatever the number of objects.
    pf::UndoManager* undo = dataSourceUndoManager();
    const bool grouping = undo && !undo->isUndoing() && !undo->isRedoing();
    const bool inOpenGroup = grouping && undo->groupingLevel() > 0;
    const std::optional<pf::UndoGroup> topBefore = grouping ? undo->peekUndo() : std::nullopt;
    m_lastWriteStep = 0;
    m_lastWriteInOpenGroup = false;
    bool wroteAny = false;
    if (grouping)
        undo->beginUndoGrouping();
    auto finish = [&] {
        if (grouping) {
            undo->endUndoGrouping();
            if (inOpenGroup) {
                m_lastWriteInOpenGroup = wroteAny;
            } else {
                const std::optional<pf::UndoGroup> top = undo->peekUndo();
                if (top && (!topBefore || top->identity() != topBefore->identity()))
                    m_lastWriteStep = top->identity();
            }
        }
        m_settingKeyPath.clear();
        reloadDataForKeyPath(keyPath);
    };
    try {
        const bool asPercentage = propertyIsExpressedAsPercentage(keyPath);
        const QList<pf::Ref<pf::Object>> objects = *m_content;
        for (const pf::Ref<pf::Object>& object : objects) {
            QVariant forObject = asPercentage ? valueForPercentage(written, object.get(), keyPath) : written;
            if (asPercentage && !forObject.isValid())
                continue; // no reference to scale by
            if (shouldSetValue(&forObject, object.get(), keyPath)) {
                object->setValueForKeyPath(forObject, keyPath);
                wroteAny = true;
            }
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

void VNQLGenericObjectController::takeCommonValueFrom(QObject* sender, const QString& keyPath, bool allowingEmptyValue)
{
    QVariant value;
    if (auto* well = qobject_cast<pf::ColorWell*>(sender))
        value = pf::toVariant(pf::Ref<pf::Object>(std::make_shared<pf::Color>(well->color())));
    else if (auto* control = qobject_cast<pf::Control*>(sender))
        value = control->objectValue();
    takeCommonValueFromValue(value, keyPath, allowingEmptyValue);
}

void VNQLGenericObjectController::takeCommonValueFromValue(const QVariant& value, const QString& keyPath,
                                                           bool allowingEmptyValue)
{
    if (pf::isNilOrNull(value))
        return;
    if (value.metaType().id() == QMetaType::QString && value.toString().isEmpty() && !allowingEmptyValue)
        return;
    setCommonValue(value, keyPath);
}

int VNQLGenericObjectController::stateForKeyPath(const QString& keyPath)
{
    const QVariant value = commonValueForKeyPath(keyPath);
    if (pf::isMultipleValuesMarker(value))
        return -1;
    if (value.metaType().id() == QMetaType::Bool || pf::isNumber(value))
        return value.toDouble() != 0 ? 1 : 0;
    if (value.metaType().id() == QMetaType::QString) {
        bool ok = false;
        const int number = value.toString().trimmed().toInt(&ok);
        if (ok)
            return number != 0 ? 1 : 0;
    }
    return 0;
}

// Undo naming

bool VNQLGenericObjectController::lastWriteRecordedUndo() const
{
    return m_lastWriteStep != 0 || m_lastWriteInOpenGroup;
}

void VNQLGenericObjectController::nameUndoActionForLastWrite(const QString& name)
{
    pf::UndoManager* undo = dataSourceUndoManager();
    if (!undo)
        return;
    if (m_lastWriteInOpenGroup) {
        if (undo->groupingLevel() > 0)
            undo->setActionName(name);
        return;
    }
    if (m_lastWriteStep == 0 || undo->groupingLevel() > 0)
        return;
    const std::optional<pf::UndoGroup> top = undo->peekUndo();
    if (top && top->identity() == m_lastWriteStep)
        undo->setActionName(name);
}

// Transformers

void VNQLGenericObjectController::setTransformer(const pf::Ref<pf::ValueTransformer>& transformer, const QString& keyPath)
{
    if (transformer)
        m_transformers.insert(keyPath, transformer);
    else
        m_transformers.remove(keyPath);
}

pf::Ref<pf::ValueTransformer> VNQLGenericObjectController::transformerForKeyPath(const QString& keyPath) const
{
    return m_transformers.value(keyPath);
}

// Percentages

QString VNQLGenericObjectController::objectKey(const pf::Reflective* object)
{
    return QString::asprintf("%p", static_cast<const void*>(object));
}

void VNQLGenericObjectController::setPropertyExpressedAsPercentage(const QString& property, bool asPercentage)
{
    PF_ASSERT(propertiesExpressibleAsPercentage().contains(property), "'%s' is not listed as expressible as a percentage",
              qPrintable(property));
    const bool was = m_percentageProperties.contains(property);
    if (was == asPercentage)
        return;
    if (asPercentage)
        m_percentageProperties.insert(property);
    else
        m_percentageProperties.remove(property);
    changeUIStateForPercentageProperty(asPercentage, property);
    if (m_content && !m_content->isEmpty())
        reloadDataForKeyPath(property);
}

bool VNQLGenericObjectController::propertyIsExpressedAsPercentage(const QString& property) const
{
    return m_percentageProperties.contains(property);
}

void VNQLGenericObjectController::setPropertiesExpressibleAsPercentage(bool asPercentage)
{
    for (const QString& property : propertiesExpressibleAsPercentage())
        setPropertyExpressedAsPercentage(property, asPercentage);
}

void VNQLGenericObjectController::recordOriginalValueOfObject(pf::Reflective* object, const QString& keyPath)
{
    PF_ASSERT(object != nullptr, "invalid object for recording original property value");
    const QVariant value = object->valueForKeyPath(keyPath);
    if (!pf::isNumber(value))
        throw pf::InternalInconsistencyException(QStringLiteral("'%1' cannot be expressed as percentage (not a numeric property of %2)")
                                                     .arg(keyPath, object->description()));
    m_percentageOriginalValues[objectKey(object)].insert(keyPath, value);
}

QVariant VNQLGenericObjectController::originalValueOfObject(const pf::Reflective* object, const QString& keyPath) const
{
    PF_ASSERT(object != nullptr, "invalid object");
    return m_percentageOriginalValues.value(objectKey(object)).value(keyPath);
}

QVariant VNQLGenericObjectController::valueForPercentage(const QVariant& percentage, const pf::Reflective* object,
                                                         const QString& keyPath) const
{
    const QVariant reference = originalValueOfObject(object, keyPath);
    if (!pf::isNumber(reference) || !pf::isNumber(percentage))
        return {};
    const double base = reference.toDouble();
    if (base == 0)
        return percentage.toDouble();
    return percentage.toDouble() * base;
}

QVariant VNQLGenericObjectController::percentageValueOfValue(const QVariant& value, const pf::Reflective* object,
                                                             const QString& keyPath) const
{
    const QVariant reference = originalValueOfObject(object, keyPath);
    if (!pf::isNumber(reference) || !pf::isNumber(value) || reference.toDouble() == 0)
        return 1.0;
    return value.toDouble() / reference.toDouble();
}

// Revert or cancel

bool VNQLGenericObjectController::canRevertOrCancel() const
{
    return supportsRevertOrCancel() && !m_revertOrCancelSettings.isEmpty() && !m_modifiedProperties.isEmpty();
}

bool VNQLGenericObjectController::revertOrCancel()
{
    if (!canRevertOrCancel())
        return false;
    const QSet<QString> modified = m_modifiedProperties;
    for (const QString& keyPath : modified)
        if (m_revertOrCancelSettings.contains(keyPath))
            setCommonValue(m_revertOrCancelSettings.value(keyPath), keyPath);
    return true;
}

// Tagged menus

QSet<qint64> VNQLGenericObjectController::usedIntegerValuesForKeyPath(const QString& keyPath)
{
    QSet<qint64> used;
    for (const pf::Ref<pf::Object>& object : content()) {
        try {
            const QVariant value = object->valueForKeyPath(keyPath);
            if (pf::isNumber(value))
                used.insert(value.toLongLong());
        } catch (const pf::Exception&) {
        }
    }
    return used;
}

void VNQLGenericObjectController::selectMixedValuesInTaggedMenu(pf::Menu& menu, const QSet<qint64>& usedTags)
{
    const pf::ControlState used = usedTags.size() < 2 ? pf::ControlState::On : pf::ControlState::Mixed;
    for (const pf::Ref<pf::MenuItem>& item : menu.items())
        item->setState(usedTags.contains(item->tag()) ? used : pf::ControlState::Off);
}

void VNQLGenericObjectController::selectMixedValuesInTaggedMenu(pf::Menu& menu, const QString& keyPath)
{
    selectMixedValuesInTaggedMenu(menu, usedIntegerValuesForKeyPath(keyPath));
}

// Key-value coding on the pane

QVariant VNQLGenericObjectController::valueForUndefinedKey(const QString&) const
{
    return pf::notApplicableMarker();
}

void VNQLGenericObjectController::setNilValueForKey(const QString& key)
{
    RVLogObjCMethod("%s - an attempt to set nil as the value to -%s was ignored", qPrintable(className()),
                    qPrintable(key));
}

void VNQLGenericObjectController::awakeFromNib()
{
    pf::ViewController::awakeFromNib();
    // A view that takes a fill colour gets the panels' background.
    auto* reflective = isViewLoaded() ? dynamic_cast<pf::Reflective*>(view()) : nullptr;
    if (reflective && reflective->respondsTo(QStringLiteral("setFillColor:")))
        reflective->perform(QStringLiteral("setFillColor:"),
                            {pf::toVariant(pf::Ref<pf::Object>(std::make_shared<pf::Color>(VNQLWindowBackgroundColour())))});
}

QString VNQLGenericObjectController::lastComponent(const QString& keyPath)
{
    const qsizetype dot = keyPath.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? keyPath : keyPath.mid(dot + 1);
}
