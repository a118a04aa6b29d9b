#include "drawing/PWXSymbolMaster.h"

#include "drawing/PWXSymbol.h"
#include "drawing/PWXSymbolManager.h"
#include "drawing/PWXSymbolMasterClient.h"
#include "frameworks/penwork/drawables/PWDrawableObject.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/drawables/PWImageDataManager.h"
#include "frameworks/penwork/drawables/PWRegularPolygonPath.h"
#include "frameworks/penwork/drawables/PWShapeGroup.h"
#include "frameworks/penwork/layers/PWObjectOwnerLayer.h"
#include "frameworks/penwork/renderers/PWTextAdornment.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/support/PWUniqueID.h"

#include "platform/foundation/Date.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/Markers.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GraphicsContext.h"

#include <QCoreApplication>

#include <cmath>
#include <mutex>

namespace {

const QString kUniqueKeyKey = QStringLiteral("PWXSymbolMaster_uniqueKey");
const QString kGraphicKey = QStringLiteral("PWXSymbolMaster_graphic");
const QString kTemplateKey = QStringLiteral("PWXSymbolMaster_attributesTemplate");
const QString kNameKey = QStringLiteral("PWXSymbolMaster_name");
const QString kDescriptionKey = QStringLiteral("PWXSymbolMaster_userDescription");
const QString kAutoDetachKey = QStringLiteral("PWXSymbolMaster_autoDetach");
const QString kLockedKey = QStringLiteral("PWXSymbolMaster_locked");
const QString kDisableSequencingKey = QStringLiteral("PWXSymbolMaster_disableSequencing");
const QString kDefaultSeqKindKey = QStringLiteral("PWXSymbolMaster_defaultSeqKind");
const QString kNoDetachStyleKey = QStringLiteral("PWXSymbolMaster_noDetachStyle");
const QString kTimestampKey = QStringLiteral("PWXSymbolMaster_timestamp");
const QString kPrescaleKey = QStringLiteral("PWXSymbolMaster_prescale");
const QString kPDFSwatchKey = QStringLiteral("PDF");

QString tr(const char* text) { return QCoreApplication::translate("PWXSymbolMaster", text); }

double now() { return pf::Date::timeIntervalSinceReferenceDate(pf::Date::now()); }

// Set while this thread asks the registry for a master it has just read, so that the registry's
// own lookups do not resolve again. Per thread: a document may be read on a worker thread.
thread_local bool t_resolving = false;

// Masters read on a worker thread wait here, by key, until the main thread registers them, so
// that one document read there still shares one master per key.
thread_local QHash<QString, pf::Weak<PWXSymbolMaster>> t_readOffMainThread;

// A generated default master, made with automatic naming off.
pf::Ref<PWXSymbolMaster> generatedMaster(const QString& name, const QString& description,
                                         const std::function<pf::Ref<PWDrawableObject>()>& makeObject)
{
    if (auto registered = std::dynamic_pointer_cast<PWXSymbolMaster>(PWXSymbolManager::sharedSymbolManager()->symbolWithName(name)))
        return registered;
    pf::Ref<PWDrawableObject> object = makeObject();
    auto master = PWXSymbolMaster::symbolMasterWithObject(object, name);
    master->setUserDescription(description);
    return master;
}

} // namespace

PF_DEFINE_CLASS(PWXSymbolMaster, pf::Object)
{
    b.protocol(pf::kCodingProtocol);
    b.property("name", &PWXSymbolMaster::name, &PWXSymbolMaster::setName);
    b.property("userDescription", &PWXSymbolMaster::userDescription, &PWXSymbolMaster::setUserDescription);
    b.property("sequenceable", &PWXSymbolMaster::sequenceable, &PWXSymbolMaster::setSequenceable);
    b.property("defaultSequenceKind", &PWXSymbolMaster::defaultSequenceKind, &PWXSymbolMaster::setDefaultSequenceKind);
    b.property("locked", &PWXSymbolMaster::locked, &PWXSymbolMaster::setLocked);
    b.property("autoDetachesInstances", &PWXSymbolMaster::autoDetachesInstances,
               &PWXSymbolMaster::setAutoDetachesInstances);
    b.property("image", &PWXSymbolMaster::image, &PWXSymbolMaster::setImage);
    b.property("dataTransformers", &PWXSymbolMaster::dataTransformers);
    b.property("detachesStyle", &PWXSymbolMaster::detachesStyle, &PWXSymbolMaster::setDetachesStyle);
    b.property("prescale", &PWXSymbolMaster::prescale, &PWXSymbolMaster::setPrescale);
    b.property("uniqueKey", &PWXSymbolMaster::uniqueKey);
    b.classMethod("observableKeyPaths", [](const pf::Class&, const QVariantList&) {
        return QVariant(PWXSymbolMaster::observableKeyPaths());
    });
}

QString PWXSymbolMaster::keyPasteboardType() { return QStringLiteral("org.quillory.pbtype.symbolmasterkey"); }
QString PWXSymbolMaster::dataPasteboardType() { return QStringLiteral("org.quillory.pbtype.symbolmaster"); }

PWXSymbolMaster::PWXSymbolMaster() : m_uniqueKey(PWUniqueID::uniqueKey()), m_modTime(now()) {}

PWXSymbolMaster::~PWXSymbolMaster()
{
    if (m_object) {
        for (const auto& style : m_object->allStyles())
            style->removeClient(this);
        m_object->setContainer(nullptr);
    }
}

// Class operations -------------------------------------------------------------------------------

pf::Ref<PWXSymbolMaster> PWXSymbolMaster::symbolMasterWithObject(const pf::Ref<PWDrawableObject>& object,
                                                                 const QString& name)
{
    auto master = std::make_shared<PWXSymbolMaster>();
    master->setObject(object);
    master->setName(name);
    return master;
}

pf::Ref<PWXSymbolMaster> PWXSymbolMaster::symbolMasterWithPasteboard(const pf::Pasteboard* pasteboard)
{
    PF_ASSERT(pasteboard, "cannot create symbol master from nil pasteboard");
    if (!pasteboard)
        return nullptr;
    const QString type = pasteboard->availableTypeFromArray({keyPasteboardType(), dataPasteboardType()});
    if (type == keyPasteboardType())
        if (auto master = PWXSymbolManager::registeredSymbolForKey(pasteboard->stringForType(type)))
            return master;
    const QByteArray data = pasteboard->dataForType(dataPasteboardType());
    return data.isEmpty() ? nullptr : pf::KeyedUnarchiver::unarchiveObjectOfClass<PWXSymbolMaster>(data);
}

bool PWXSymbolMaster::canInitWithPasteboard(const pf::Pasteboard* pasteboard)
{
    return pasteboard && !pasteboard->availableTypeFromArray({keyPasteboardType(), dataPasteboardType()}).isEmpty();
}

pf::Ref<PWXSymbolMaster> PWXSymbolMaster::defaultSymbolMaster()
{
    static pf::Ref<PWXSymbolMaster> master;
    static std::once_flag once;
    std::call_once(once, [] {
        master = generatedMaster(QStringLiteral("Default Symbol"), tr("Automatically generated default symbol"), [] {
            PWDrawableObject::disableNameProvider();
            auto star = PWRegularPolygonPath::polygonWithCentre({}, 16.0, 5);
            star->setStar(true);
            star->setInnerRadius(0.38);
            star->setPathCreationMode(0);
            star->setAngle(4.71238898038469);
            PWDrawableObject::enableNameProvider();
            return pf::Ref<PWDrawableObject>(star);
        });
    });
    return master;
}

pf::Ref<PWXSymbolMaster> PWXSymbolMaster::defaultSymbolMasterForPointObjectImport()
{
    static pf::Ref<PWXSymbolMaster> master;
    static std::once_flag once;
    std::call_once(once, [] {
        master = generatedMaster(QStringLiteral("Imported Point Symbol"),
                                 tr("Automatically generated symbol used when importing point objects from shapefiles"),
                                 [] { return pf::Ref<PWDrawableObject>(PWDrawableShape::drawableShapeWithOvalInRect(QRectF(-2, -2, 4, 4))); });
        master->setSequenceable(false);
    });
    return master;
}

pf::Ref<PWDrawableObject> PWXSymbolMaster::invalidSymbolObject()
{
    return PWDrawableShape::drawableShapeWithOvalInRect(
        QRectF(-2, -2, 4, 4), PWStyle::styleWithFillColour(pf::Color(QColor(Qt::red)), pf::Color(QColor(Qt::gray))));
}

QList<pf::Ref<pf::Object>> PWXSymbolMaster::validSymbolDonorObjectsFromArray(const QList<pf::Ref<pf::Object>>& objects)
{
    QList<pf::Ref<pf::Object>> out;
    for (const auto& object : objects)
        if (object && object->objClass().respondsToClassMethod("canBeConvertedToSymbol")
            && pf::variantToBool(object->objClass().performClassMethod("canBeConvertedToSymbol")))
            out.append(object);
    return out;
}

// Instances --------------------------------------------------------------------------------------

pf::Ref<PWXSymbol> PWXSymbolMaster::symbolWithLocation(const QPointF& location)
{
    return symbolWithLocation(location, 1.0);
}

pf::Ref<PWXSymbol> PWXSymbolMaster::symbolWithLocation(const QPointF& location, double documentPrescale)
{
    auto master = ref<PWXSymbolMaster>();
    auto symbol = std::make_shared<PWXSymbol>(master);
    symbol->setMaster(master);
    symbol->setLocation(location);
    symbol->setScaleFactor(symbol->scaleFactor() * documentPrescale);
    return symbol;
}

void PWXSymbolMaster::addSymbolMasterClient(PWXSymbolMasterClient* client)
{
    if (!client)
        return;
    auto* reflective = dynamic_cast<pf::Reflective*>(client);
    client->setSymbolMasterClientIndex(unsigned(m_symbols.size()));
    m_symbols.push_back({client, reflective ? reflective->livenessToken() : std::weak_ptr<void>()});
}

void PWXSymbolMaster::removeSymbolMasterClient(PWXSymbolMasterClient* client)
{
    if (!client)
        return;
    const unsigned index = client->symbolMasterClientIndex();
    if (index < m_symbols.size() && m_symbols[index].client == client)
        m_symbols[index] = {};
}

QList<PWXSymbolMasterClient*> PWXSymbolMaster::symbols() const
{
    QList<PWXSymbolMasterClient*> out;
    for (const ClientSlot& slot : m_symbols)
        if (slot.client && !slot.liveness.expired())
            out.append(slot.client);
    return out;
}

void PWXSymbolMaster::drawSymbolInstance(PWXSymbol* instance)
{
    PF_ASSERT(instance, "nil symbol when drawing");
    if (!instance || !m_object)
        return;
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    pf::GraphicsStateSaver saver(context);
    pf::Ref<PWStyle> localStyle =
        (!isGroupObject() && instance->usesLocalStyle()) ? instance->style() : nullptr;
    // The drawable renders through the instance's transform while the instance holds it.
    m_object->setContainer(instance);
    try {
        if (localStyle)
            m_object->drawContentWithStyle(localStyle.get());
        else
            m_object->drawContent();
    } catch (...) {
        m_object->setContainer(this);
        throw;
    }
    m_object->setContainer(this);
}

void PWXSymbolMaster::selectAllSymbols()
{
    QList<pf::Ref<PWDrawableObject>> instances;
    PWObjectOwnerLayer* layer = nullptr;
    for (PWXSymbolMasterClient* client : symbols()) {
        auto* symbol = dynamic_cast<PWXSymbol*>(client);
        if (!symbol)
            continue;
        if (!layer)
            layer = dynamic_cast<PWObjectOwnerLayer*>(symbol->layer());
        if (layer && symbol->layer() == layer)
            instances.append(symbol->ref<PWDrawableObject>());
    }
    if (layer)
        layer->exchangeSelectionWithObjectsFromArray(instances);
}

// The drawable -----------------------------------------------------------------------------------

bool PWXSymbolMaster::setObject(const pf::Ref<PWDrawableObject>& object)
{
    return installObject(object, true);
}

pf::Ref<PWDrawableObject> PWXSymbolMaster::donorCopy(const PWDrawableObject& object)
{
    if (auto* instance = dynamic_cast<const PWXSymbol*>(&object)) {
        pf::Ref<PWDrawableObject> drawable = instance->masterObject();
        if (!drawable)
            return nullptr;
        auto copy = std::dynamic_pointer_cast<PWDrawableObject>(drawable->copy());
        copy->resizeWidthBy(instance->scaleFactor(), instance->scaleFactor());
        copy->setAngle(copy->angle() + instance->angle());
        return copy;
    }
    return std::dynamic_pointer_cast<PWDrawableObject>(object.copy());
}

bool PWXSymbolMaster::reaches(const PWDrawableObject& object, const PWXSymbolMaster* target,
                              QSet<const PWXSymbolMaster*>& visited)
{
    if (auto* instance = dynamic_cast<const PWXSymbol*>(&object)) {
        const PWXSymbolMaster* master = instance->master().get();
        if (!master)
            return false;
        if (master == target)
            return true;
        if (visited.contains(master))
            return false;
        visited.insert(master);
        return master->m_object && reaches(*master->m_object, target, visited);
    }
    if (auto* group = dynamic_cast<const PWShapeGroup*>(&object))
        for (const auto& member : group->members())
            if (member && reaches(*member, target, visited))
                return true;
    return false;
}

bool PWXSymbolMaster::isReachedFrom(const PWDrawableObject& object) const
{
    QSet<const PWXSymbolMaster*> visited;
    return reaches(object, this, visited);
}

bool PWXSymbolMaster::installObject(const pf::Ref<PWDrawableObject>& object, bool notify)
{
    if (object == m_object || m_locked)
        return false;
    // A drawable that draws this master would draw itself without end.
    if (object && isReachedFrom(*object))
        return false;
    // Copy first: the donor may be held only through the drawable about to be let go.
    pf::Ref<PWDrawableObject> copy = object ? donorCopy(*object) : nullptr;
    if (copy && m_detachesStyle)
        copy->detachStyle();
    m_swatchCache.clear();
    m_icon = QImage();
    if (notify)
        notifyMasterWillChange();
    releaseObject();
    m_object = copy;
    if (m_object) {
        m_object->setContainer(this);
        const QRectF oldBounds = m_object->bounds();
        m_object->setLocation(QPointF());
        m_object->notifyGeometryChange(oldBounds);
        m_attributesTemplate = m_object->metadata();
        m_object->setMetadata({});
        for (const auto& style : m_object->allStyles())
            style->addClient(this);
    }
    m_sequencable = styleSuggestsSequenceable();
    if (notify)
        notifyMasterDidChange();
    return true;
}

void PWXSymbolMaster::releaseObject()
{
    if (!m_object)
        return;
    for (const auto& style : m_object->allStyles())
        style->removeClient(this);
    m_object->setContainer(nullptr);
    m_object.reset();
}

QSizeF PWXSymbolMaster::objectSize() const { return m_object ? m_object->size() : QSizeF(); }

pf::Ref<PWStyle> PWXSymbolMaster::style() const { return m_object ? m_object->style() : nullptr; }

bool PWXSymbolMaster::isGroupObject() const { return bool(std::dynamic_pointer_cast<PWShapeGroup>(m_object)); }

QRectF PWXSymbolMaster::objectBoundsIgnoringLabels() const
{
    if (!m_object)
        return {};
    return m_object->respondsTo(QStringLiteral("boundsIgnoringLabels")) ? m_object->boundsIgnoringLabels()
                                                                          : m_object->bounds();
}

bool PWXSymbolMaster::styleSuggestsSequenceable() const
{
    if (!m_object)
        return false;
    for (const auto& style : m_object->allStyles()) {
        if (!style || !style->hasTextAdornment())
            continue;
        for (const auto& adornment : style->renderersOfClass<PWTextAdornment>())
            if (adornment->string().contains(kSequencePlaceholder, Qt::CaseInsensitive))
                return true;
    }
    return false;
}

// Properties -------------------------------------------------------------------------------------

void PWXSymbolMaster::setName(const QString& name)
{
    if (m_locked || name == m_symbolName)
        return;
    notifyMasterWillChange();
    willChangeValueForKey("name");
    m_symbolName = name;
    didChangeValueForKey("name");
    pf::NotificationCenter::defaultCenter().post(kPWXSymbolMasterNameDidChange, this);
    notifyMasterDidChange();
}

#define PWX_GUARDED_SETTER(Setter, Type, Field, Key)        \
    void PWXSymbolMaster::Setter(Type value)                \
    {                                                       \
        if (m_locked || value == Field)                     \
            return;                                         \
        notifyMasterWillChange();                           \
        willChangeValueForKey(QStringLiteral(Key));         \
        Field = value;                                      \
        didChangeValueForKey(QStringLiteral(Key));          \
        notifyMasterDidChange();                            \
    }

PWX_GUARDED_SETTER(setUserDescription, const QString&, m_userDescription, "userDescription")
PWX_GUARDED_SETTER(setSequenceable, bool, m_sequencable, "sequenceable")
PWX_GUARDED_SETTER(setDefaultSequenceKind, int, m_defaultSeqKind, "defaultSequenceKind")
PWX_GUARDED_SETTER(setAutoDetachesInstances, bool, m_autoDetach, "autoDetachesInstances")
PWX_GUARDED_SETTER(setPrescale, double, m_prescale, "prescale")

#undef PWX_GUARDED_SETTER

void PWXSymbolMaster::setLocked(bool locked)
{
    if (locked == m_locked)
        return;
    notifyMasterWillChange();
    willChangeValueForKey("locked");
    m_locked = locked;
    didChangeValueForKey("locked");
    pf::NotificationCenter::defaultCenter().post(kPWXSymbolMasterLockStateDidChange, this);
    notifyMasterDidChange();
}

bool PWXSymbolMaster::isEqualToSymbolMaster(const PWXSymbolMaster* other) const
{
    return other && other->m_uniqueKey == m_uniqueKey;
}

void PWXSymbolMaster::setStylesUndoManager(pf::UndoManager* manager)
{
    if (m_object)
        for (const auto& style : m_object->allStyles())
            style->setUndoManager(manager);
}

QImage PWXSymbolMaster::image() const
{
    if (m_icon.isNull())
        m_icon = imageToFitSize(QSizeF(36, 24));
    return m_icon;
}

QImage PWXSymbolMaster::imageToFitSize(const QSizeF& size) const { return imageToFitSize(size, false); }

QImage PWXSymbolMaster::imageToFitSize(const QSizeF&, bool) const
{
    // One natural-size swatch serves every size until the drawable or its style changes.
    auto found = m_swatchCache.constFind(kPDFSwatchKey);
    if (found != m_swatchCache.constEnd())
        return *found;
    QImage swatch = m_object ? m_object->swatchImageWithSize(QSizeF()) : QImage();
    m_swatchCache.insert(kPDFSwatchKey, swatch);
    return swatch;
}

// Library item -----------------------------------------------------------------------------------

QByteArray PWXSymbolMaster::fileData() const
{
    return pf::KeyedArchiver::archivedData(std::const_pointer_cast<PWXSymbolMaster>(ref<PWXSymbolMaster>()));
}

pf::Ref<PWXSymbolMaster> PWXSymbolMaster::libraryObjectWithFileData(const QByteArray& data)
{
    return pf::KeyedUnarchiver::unarchiveObjectOfClass<PWXSymbolMaster>(data);
}

pf::Ref<PWXSymbolMaster> PWXSymbolMaster::clone() const { return std::static_pointer_cast<PWXSymbolMaster>(copy()); }

void PWXSymbolMaster::copyToPasteboard(pf::Pasteboard* pasteboard) const
{
    PF_ASSERT(pasteboard, "cannot write symbol to nil pasteboard");
    if (!pasteboard)
        return;
    pasteboard->addTypes({keyPasteboardType(), dataPasteboardType()}, const_cast<PWXSymbolMaster*>(this));
    pasteboard->setString(m_uniqueKey, keyPasteboardType());
    pasteboard->setData(fileData(), dataPasteboardType());
}

QStringList PWXSymbolMaster::writableTypesForPasteboard(const pf::Pasteboard&) const
{
    return {keyPasteboardType(), dataPasteboardType()};
}

QVariant PWXSymbolMaster::pasteboardPropertyListForType(const QString& type) const
{
    if (type == keyPasteboardType())
        return m_uniqueKey;
    if (type == dataPasteboardType())
        return fileData();
    return {};
}

QStringList PWXSymbolMaster::observableKeyPaths()
{
    return {"name",          "userDescription",  "sequenceable",  "defaultSequenceKind", "locked",
            "autoDetachesInstances", "image", "dataTransformers", "detachesStyle", "prescale"};
}

void PWXSymbolMaster::sendInitialValuesForAllPropertiesToObserver(pf::Reflective* observer, void* context)
{
    if (!observer)
        return;
    for (const QString& keyPath : observableKeyPaths()) {
        QVariant value = valueForKey(keyPath);
        if (!value.isValid())
            value = pf::null();
        observer->observeValueForKeyPath(keyPath, this, {{pf::NSKeyValueChangeNewKey, value}}, context);
    }
}

QString PWXSymbolMaster::description() const
{
    return QStringLiteral("Symbol Master %1 '%2'; [%3]")
        .arg(QString::asprintf("%p", static_cast<const void*>(this)), m_symbolName, m_uniqueKey);
}

pf::Ref<pf::Object> PWXSymbolMaster::copy() const
{
    auto master = std::make_shared<PWXSymbolMaster>();
    master->m_symbolName = m_symbolName;
    master->m_userDescription = m_userDescription;
    master->m_autoDetach = m_autoDetach;
    master->m_detachesStyle = m_detachesStyle;
    master->m_defaultSeqKind = m_defaultSeqKind;
    master->setObject(m_object);
    // After the drawable, which would otherwise replace them with its own (emptied) metadata
    // and a recomputed sequenceable flag.
    master->m_attributesTemplate = m_attributesTemplate;
    master->m_sequencable = m_sequencable;
    master->m_locked = m_locked;
    return master;
}

PWImageDataManager* PWXSymbolMaster::imageManager() const
{
    pf::Ref<PWStyleRegistry> registry = PWXSymbolManager::sharedSymbolManager();
    if (auto manager = std::dynamic_pointer_cast<PWXSymbolManager>(registry))
        return manager->symbolImagesManager().get();
    return registry ? registry->imageManager().get() : nullptr;
}

// Style client -----------------------------------------------------------------------------------

void PWXSymbolMaster::styleWillChange(PWStyle&, const QString&) { notifyMasterWillChange(); }

void PWXSymbolMaster::styleDidChange(PWStyle&, const QString&)
{
    m_swatchCache.clear();
    m_icon = QImage();
    notifyMasterDidChange();
}

void PWXSymbolMaster::notifyMasterWillChange()
{
    for (PWXSymbolMasterClient* client : symbols())
        client->symbolMasterWillChange(*this);
    pf::NotificationCenter::defaultCenter().post(kPWXSymbolMasterWillChange, this);
}

void PWXSymbolMaster::notifyMasterDidChange()
{
    m_modTime = now();
    for (PWXSymbolMasterClient* client : symbols())
        client->symbolMasterDidChange(*this);
    pf::NotificationCenter::defaultCenter().post(kPWXSymbolMasterDidChange, this);
}

// Coding -----------------------------------------------------------------------------------------

void PWXSymbolMaster::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    coder.encodeString(m_uniqueKey, kUniqueKeyKey);
    if (m_object)
        m_object->setContainer(const_cast<PWXSymbolMaster*>(this));
    coder.encodeObject(m_object, kGraphicKey);
    coder.encodePropertyListValue(m_attributesTemplate, kTemplateKey);
    coder.encodeString(m_symbolName, kNameKey);
    coder.encodeString(m_userDescription, kDescriptionKey);
    coder.encodeBool(m_autoDetach, kAutoDetachKey);
    coder.encodeBool(m_locked, kLockedKey);
    coder.encodeBool(!m_sequencable, kDisableSequencingKey);
    coder.encodeInt32(m_defaultSeqKind, kDefaultSeqKindKey);
    coder.encodeBool(!m_detachesStyle, kNoDetachStyleKey);
    coder.encodeDouble(m_modTime, kTimestampKey);
    coder.encodeFloat(float(m_prescale), kPrescaleKey);
}

void PWXSymbolMaster::initWithCoder(pf::KeyedUnarchiver& coder)
{
    m_uniqueKey = coder.decodeString(kUniqueKeyKey);
    if (m_uniqueKey.isEmpty())
        m_uniqueKey = PWUniqueID::uniqueKey();
    m_swatchCache.clear();
    m_detachesStyle = !coder.decodeBool(kNoDetachStyleKey);
    const double prescale = coder.decodeFloat(kPrescaleKey);
    m_prescale = (std::isfinite(prescale) && prescale > 0.0) ? prescale : 1.0;
    // No notifications while reading: the reader may be a worker thread.
    installObject(coder.decodeObjectOfClass<PWDrawableObject>(kGraphicKey), false);
    const QVariant attributes = coder.decodePropertyListValue(kTemplateKey);
    if (attributes.isValid())
        m_attributesTemplate = attributes.toMap();
    m_symbolName = coder.decodeString(kNameKey);
    m_userDescription = coder.decodeString(kDescriptionKey);
    m_autoDetach = true;
    m_sequencable = false;
    m_defaultSeqKind = coder.decodeInt32(kDefaultSeqKindKey);
    m_modTime = coder.decodeDouble(kTimestampKey);
    m_locked = coder.decodeBool(kLockedKey);
    m_symbols.clear();
}

pf::Ref<pf::Object> PWXSymbolMaster::awakeAfterUsingCoder(pf::KeyedUnarchiver&)
{
    if (t_resolving)
        return ref<pf::Object>();
    pf::Ref<PWXSymbolMaster> registered;
    {
        t_resolving = true;
        try {
            registered = PWXSymbolManager::registeredSymbolForKey(m_uniqueKey);
        } catch (...) {
            t_resolving = false;
            throw;
        }
        t_resolving = false;
    }
    if (registered)
        return registered;
    if (!m_object)
        return ref<pf::Object>();
    auto self = ref<PWXSymbolMaster>();
    if (pf::RunLoop::isMainThread()) {
        PWXSymbolManager::registerSymbol(self);
        return self;
    }
    // Off the main thread the registry is only read; the main thread registers the master.
    if (auto earlier = t_readOffMainThread.value(m_uniqueKey).lock())
        return earlier;
    t_readOffMainThread.insert(m_uniqueKey, self);
    pf::performOnMainThread([self] {
        if (!PWXSymbolManager::registeredSymbolForKey(self->uniqueKey()))
            PWXSymbolManager::registerSymbol(self);
    }, false);
    return self;
}
