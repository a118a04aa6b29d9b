#include "frameworks/penwork/drawables/PWDrawableObject.h"

#include "frameworks/penwork/support/PWClassSettings.h"

#include "frameworks/penwork/drawables/PWDrawableNameProvider.h"
#include "frameworks/penwork/drawables/PWKnob.h"
#include "frameworks/penwork/archiving/PWStylePasteboard.h"
#include "frameworks/penwork/editing/PWLayerEditing.h"
#include "frameworks/penwork/editing/PWObjectConversion.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/view/PWDrawingView.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/MenuItem.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWLayer.h"
#include "frameworks/penwork/output/PWRenderingOutput.h"
#include "frameworks/penwork/styles/PWRenderingPathScope.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/support/RVUndoManager.h"

#include "platform/foundation/UserDefaults.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/graphics/GraphicsContext.h"

#include <QCoreApplication>
#include <QHash>
#include <QPainter>

#include <cmath>

namespace {

// Archive keys.
const QString kLocationKey = QStringLiteral("pw_drawable_location");
const QString kSizeKey = QStringLiteral("pw_drawable_size");
const QString kAngleKey = QStringLiteral("pw_drawable_angle");
const QString kOffsetKey = QStringLiteral("pw_drawable_offset");
const QString kVisibleKey = QStringLiteral("pw_drawable_visible");
const QString kLockedKey = QStringLiteral("pw_drawable_locked");
const QString kLocationLockedKey = QStringLiteral("pw_drawable_locationLocked");
const QString kGhostedKey = QStringLiteral("pw_drawable_ghosted");
const QString kAspectLockedKey = QStringLiteral("pw_drawable_aspectRatioLocked");
const QString kNameKey = QStringLiteral("pw_drawable_name");
const QString kUserInfoKey = QStringLiteral("pw_drawable_userInfo");
const QString kMetadataKey = QStringLiteral("pw_drawable_metadata");
const QString kStyleKey = QStringLiteral("pw_drawable_style");

// Class settings; the model runs on the main thread.
std::shared_ptr<PWDrawableNameProvider> s_nameProvider;
int s_nameProviderDisableCount = 0;
// The user-defaults keys of the class settings; the variables are their defaults.
const QString kDisplaysSizeInfoKey = PWDrawableObject::kDisplaysSizeInfoWhenDraggingDefaultsKey;
const QString kMetadataUndoableKey = QStringLiteral("PWDrawableObjectMetadataChangesAreUndoable");
const bool s_displaysSizeInfoWhenDragging = true;
const bool s_metadataChangesAreUndoable = false;

bool finite(const QPointF& p) { return std::isfinite(p.x()) && std::isfinite(p.y()); }
bool finite(const QSizeF& s) { return std::isfinite(s.width()) && std::isfinite(s.height()); }

// Sizes are never negative: a negative extent becomes 0.
QSizeF clampedSize(const QSizeF& size)
{
    return QSizeF(std::max(0.0, size.width()), std::max(0.0, size.height()));
}

QPointF clampedOffset(const QPointF& offset)
{
    return QPointF(std::clamp(offset.x(), -0.5, 0.5), std::clamp(offset.y(), -0.5, 0.5));
}

quint64 mix(quint64 seed, double value)
{
    return qHashMulti(seed, value);
}

} // namespace

const QString PWDrawableObject::kVisualChangeKey = QStringLiteral("visual_change");

PF_DEFINE_CLASS(PWDrawableObject, RVObservableObject)
{
    b.protocol(pf::kCodingProtocol);
    b.property("location", &PWDrawableObject::location, &PWDrawableObject::setLocation);
    b.property("size", &PWDrawableObject::size, &PWDrawableObject::setSize);
    b.property("angle", &PWDrawableObject::angle, &PWDrawableObject::setAngle);
    b.property("angleInDegrees", &PWDrawableObject::angleInDegrees, &PWDrawableObject::setAngleInDegrees);
    b.property("xLocation", &PWDrawableObject::xLocation, &PWDrawableObject::setXLocation);
    b.property("yLocation", &PWDrawableObject::yLocation, &PWDrawableObject::setYLocation);
    b.property("width", &PWDrawableObject::width, &PWDrawableObject::setWidth);
    b.property("height", &PWDrawableObject::height, &PWDrawableObject::setHeight);
    b.property("offset", &PWDrawableObject::offset, &PWDrawableObject::setOffset);
    b.property("aspectRatioLocked", &PWDrawableObject::aspectRatioLocked, &PWDrawableObject::setAspectRatioLocked);
    b.property("visible", &PWDrawableObject::visible, &PWDrawableObject::setVisible);
    b.property("locked", &PWDrawableObject::locked, &PWDrawableObject::setLocked);
    b.property("locationLocked", &PWDrawableObject::locationLocked, &PWDrawableObject::setLocationLocked);
    b.property("ghosted", &PWDrawableObject::ghosted, &PWDrawableObject::setGhosted);
    b.property("pendingCreation", &PWDrawableObject::isPendingCreation, &PWDrawableObject::setPendingCreation);
    b.property("name", &PWDrawableObject::name, &PWDrawableObject::setName);
    b.property("userInfo", &PWDrawableObject::userInfo, &PWDrawableObject::setUserInfo);
    b.property("metadata", &PWDrawableObject::metadata, &PWDrawableObject::setMetadata);
    b.property("style", &PWDrawableObject::style, &PWDrawableObject::setStyle);
    b.validator("style", [](PWDrawableObject& self, QVariant* value, pf::Error* error) {
        return self.validateStyle(value, error);
    });
    b.property("bounds", &PWDrawableObject::bounds);
    b.property("logicalBounds", &PWDrawableObject::logicalBounds);
    b.property("boundsIgnoringLabels", &PWDrawableObject::boundsIgnoringLabels);
    b.property("renderingPath", &PWDrawableObject::renderingPath);
    b.property("geometryChecksum", &PWDrawableObject::geometryChecksum);
    b.property("displayName", &PWDrawableObject::displayName);
    b.property(
        "layer",
        [](const PWDrawableObject& self) -> QVariant {
            PWLayer* layer = self.layer();
            return layer ? pf::toVariant(layer->ref<pf::Object>()) : QVariant();
        },
        {});
    // The pseudo key observers watch for visual changes; it has no value. Spelled out here:
    // the class table may be filled before this file's constants exist.
    b.property(
        QStringLiteral("visual_change"), [](const PWDrawableObject&) { return QVariant(); }, {});

    b.keyPathsAffecting("xLocation", {"location"});
    b.keyPathsAffecting("yLocation", {"location"});
    b.keyPathsAffecting("width", {"size"});
    b.keyPathsAffecting("height", {"size"});
    b.keyPathsAffecting("angleInDegrees", {"angle"});
    b.keyPathsAffecting("logicalBounds", {"location", "size", "angle", "offset"});
    b.keyPathsAffecting("bounds", {"location", "size", "angle", "offset", "style"});
    b.keyPathsAffecting("renderingPath", {"location", "size", "angle", "offset"});
    b.keyPathsAffecting("geometryChecksum", {"location", "size", "angle", "offset"});

    b.method("resizeWidthBy:heightBy:", &PWDrawableObject::resizeWidthBy);
    b.method("rotateByAngle:", &PWDrawableObject::rotateByAngle);
    b.method("moveByX:byY:", &PWDrawableObject::moveBy);
    b.method("detachStyle", &PWDrawableObject::detachStyle);
    b.method("notifyVisualChange", &PWDrawableObject::notifyVisualChange);
    b.method("addMetadata:", &PWDrawableObject::addMetadata);

    // The base list lives in the observable table (its class operation answers it), where an
    // extension of the framework may extend or replace it for every drawable class.
    RVObservableObject::appendObservableKeyPaths(b.cls(), PWDrawableObject::observableKeyPaths());
    b.classMethod("classForAutomaticDoubleClickConversion", [](const pf::Class&, const QVariantList&) { return QVariant(); });
    b.classMethod("pasteboardTypesForOperation:", [](const pf::Class&, const QVariantList& args) {
        const int operation = args.value(0).toInt();
        if (operation == Qt::CopyAction || operation == Qt::MoveAction)
            return QVariant(QStringList{kPWStylePasteboardType, kPWStyleKeyPasteboardType, pf::NSPasteboardTypeColor});
        return QVariant(QStringList());
    });
    b.method("shouldConvertToClass:",
             std::function<QVariant(PWDrawableObject&, const QVariantList&)>([](PWDrawableObject& object, const QVariantList& args) {
                 const pf::Class* cls = pf::Class::named(args.value(0).toString());
                 return QVariant(cls && object.shouldConvertToClass(*cls));
             }));
    b.method("validateMenuItem:",
             std::function<QVariant(PWDrawableObject&, const QVariantList&)>([](PWDrawableObject& object, const QVariantList& args) {
                 pf::Ref<pf::MenuItem> item = pf::objectCast<pf::MenuItem>(args.value(0));
                 return QVariant(item && object.validateMenuItem(*item));
             }));
    b.method("assignUserName:withFlag:", &PWDrawableObject::assignUserName);
    b.method("convertForDoubleClick:",
             std::function<QVariant(PWDrawableObject&, const QVariantList&)>([](PWDrawableObject& object, const QVariantList&) {
                 return QVariant(bool(object.convertForDoubleClick()));
             }));
    b.classMethod("displayName", [](const pf::Class&, const QVariantList&) {
        return QVariant(QCoreApplication::translate("PWDrawableObject", "Object"));
    });
    b.classMethod("displaysSizeInfoWhenDragging", [](const pf::Class&, const QVariantList&) {
        return QVariant(PWDrawableObject::displaysSizeInfoWhenDragging());
    });
    b.classMethod("setDisplaysSizeInfoWhenDragging:", [](const pf::Class&, const QVariantList& args) {
        PWDrawableObject::setDisplaysSizeInfoWhenDragging(pf::variantToBool(args.value(0)));
        return QVariant();
    });
    b.classMethod("metadataChangesAreUndoable", [](const pf::Class&, const QVariantList&) {
        return QVariant(PWDrawableObject::metadataChangesAreUndoable());
    });
    b.classMethod("setMetadataChangesAreUndoable:", [](const pf::Class&, const QVariantList& args) {
        PWDrawableObject::setMetadataChangesAreUndoable(pf::variantToBool(args.value(0)));
        return QVariant();
    });
    b.classMethod("disableNameProvider", [](const pf::Class&, const QVariantList&) {
        PWDrawableObject::disableNameProvider();
        return QVariant();
    });
    b.classMethod("enableNameProvider", [](const pf::Class&, const QVariantList&) {
        PWDrawableObject::enableNameProvider();
        return QVariant();
    });
}

// Class settings ---------------------------------------------------------------------------

void PWDrawableObject::setNameProvider(std::shared_ptr<PWDrawableNameProvider> provider)
{
    s_nameProvider = std::move(provider);
}

std::shared_ptr<PWDrawableNameProvider> PWDrawableObject::nameProvider() { return s_nameProvider; }

void PWDrawableObject::disableNameProvider() { ++s_nameProviderDisableCount; }

void PWDrawableObject::enableNameProvider()
{
    if (s_nameProviderDisableCount > 0)
        --s_nameProviderDisableCount;
}

bool PWDrawableObject::isNameProviderEnabled() { return s_nameProviderDisableCount == 0; }

bool PWDrawableObject::displaysSizeInfoWhenDragging()
{
    return PWClassSettings::flag(kDisplaysSizeInfoKey, s_displaysSizeInfoWhenDragging);
}
void PWDrawableObject::setDisplaysSizeInfoWhenDragging(bool displays) { PWClassSettings::setFlag(kDisplaysSizeInfoKey, displays); }
bool PWDrawableObject::metadataChangesAreUndoable()
{
    return PWClassSettings::flag(kMetadataUndoableKey, s_metadataChangesAreUndoable);
}
void PWDrawableObject::setMetadataChangesAreUndoable(bool undoable) { PWClassSettings::setFlag(kMetadataUndoableKey, undoable); }

QStringList PWDrawableObject::observableKeyPaths()
{
    return {"location", "size", "angle", "visible", "locked", "offset", "userInfo", "style", "ghosted", "locationLocked"};
}

QStringList PWDrawableObject::observableKeyPathsForClass(const pf::Class& cls)
{
    if (!cls.respondsToClassMethod("observableKeyPaths"))
        return {};
    return cls.performClassMethod("observableKeyPaths").toStringList();
}

pf::Class* PWDrawableObject::classForAutomaticDoubleClickConversion(const pf::Class& cls)
{
    if (!cls.respondsToClassMethod("classForAutomaticDoubleClickConversion"))
        return nullptr;
    const QVariant answer = cls.performClassMethod("classForAutomaticDoubleClickConversion");
    const QString name = answer.toString();
    return name.isEmpty() ? nullptr : pf::Class::named(name);
}

QStringList PWDrawableObject::pasteboardTypesForOperation(const pf::Class& cls, Qt::DropAction operation)
{
    if (!cls.respondsToClassMethod("pasteboardTypesForOperation:"))
        return {};
    return cls.performClassMethod("pasteboardTypesForOperation:", {int(operation)}).toStringList();
}

QString PWDrawableObject::displayNameForClass(const pf::Class& cls)
{
    if (!cls.respondsToClassMethod("displayName"))
        return cls.name();
    return cls.performClassMethod("displayName").toString();
}

QImage PWDrawableObject::classIcon(const pf::Class& cls)
{
    if (cls.respondsToClassMethod("icon")) {
        const QVariant icon = cls.performClassMethod("icon");
        if (icon.canConvert<QImage>())
            return icon.value<QImage>();
    }
    auto object = std::dynamic_pointer_cast<PWDrawableObject>(cls.create());
    if (!object)
        return {};
    // A sample of the kind: the default instance given a visible size.
    if (object->size().isEmpty())
        object->setSize(QSizeF(20, 20));
    return object->icon();
}

// Life --------------------------------------------------------------------------------------

PWDrawableObject::PWDrawableObject()
{
    m_needsProviderName = s_nameProvider && isNameProviderEnabled();
    attachStyle(PWStyle::defaultStyle());
}

PWDrawableObject::PWDrawableObject(const PWDrawableObject& other)
    : RVObservableObject(other), PWRenderable(other), PWStyleClient(other), pf::Coding(other),
      m_location(other.m_location), m_size(other.m_size), m_angle(other.m_angle), m_offset(other.m_offset),
      m_visible(other.m_visible), m_locked(other.m_locked), m_locationLocked(other.m_locationLocked),
      m_ghosted(other.m_ghosted), m_aspectRatioLocked(other.m_aspectRatioLocked),
      m_needsProviderName(other.m_needsProviderName), m_name(other.m_name), m_userInfo(other.m_userInfo),
      m_metadata(other.m_metadata)
{
    pf::Ref<PWStyle> style = other.m_style;
    // A private style stays private: the copy gets its own.
    if (style && !style->styleSharable())
        style = style->clone();
    attachStyle(style);
}

PWDrawableObject::~PWDrawableObject() { detachFromStyle(); }

pf::Ref<pf::Object> PWDrawableObject::copy() const { return std::make_shared<PWDrawableObject>(*this); }

// Edit helpers ------------------------------------------------------------------------------

void PWDrawableObject::registerUndo(const QString& setter, const QVariant& oldValue)
{
    if (RVUndoManager* manager = undoManager())
        manager->registerUndo(this, setter, oldValue);
}

void PWDrawableObject::performGeometryChange(const QString& key, const std::function<void()>& change)
{
    // Only a container is told the old bounds; outside one they would be measured for nothing.
    const QRectF oldBounds = container() ? bounds() : QRectF();
    notifyVisualChange();
    willChangeValueForKey(key);
    change();
    clearBoundsCache();
    didChangeValueForKey(key);
    notifyGeometryChange(oldBounds);
    notifyVisualChange();
}

void PWDrawableObject::setCachedBounds(const QRectF& bounds) const
{
    m_cachedBounds = bounds;
    m_boundsCacheValid = true;
}

void PWDrawableObject::clearBoundsCache() const
{
    m_boundsCacheValid = false;
    m_cachedBounds = QRectF();
}

// Geometry ----------------------------------------------------------------------------------

QPointF PWDrawableObject::location() const { return m_location; }

void PWDrawableObject::setLocation(const QPointF& location)
{
    if (!finite(location) || location == this->location() || !canEdit() || m_locationLocked)
        return;
    registerUndo("setLocation:", pf::toVariant(this->location()));
    performGeometryChange("location", [&] { m_location = location; });
}

QSizeF PWDrawableObject::size() const { return m_size; }

void PWDrawableObject::setSize(const QSizeF& size)
{
    if (!finite(size))
        return;
    const QSizeF newSize = clampedSize(size);
    if (newSize == this->size() || !canEdit())
        return;
    registerUndo("setSize:", pf::toVariant(this->size()));
    performGeometryChange("size", [&] { m_size = newSize; });
}

double PWDrawableObject::angle() const { return m_angle; }

void PWDrawableObject::setAngle(double angle)
{
    if (!std::isfinite(angle) || angle == this->angle() || !canEdit())
        return;
    registerUndo("setAngle:", this->angle());
    performGeometryChange("angle", [&] { m_angle = angle; });
}

QPointF PWDrawableObject::offset() const { return m_offset; }

void PWDrawableObject::setOffset(const QPointF& offset)
{
    if (!finite(offset))
        return;
    const QPointF newOffset = clampedOffset(offset);
    if (newOffset == m_offset || !canEdit())
        return;
    registerUndo("setOffset:", pf::toVariant(m_offset));
    performGeometryChange("offset", [&] { m_offset = newOffset; });
}

double PWDrawableObject::angleInDegrees() const { return angle() * 180.0 / M_PI; }

void PWDrawableObject::setAngleInDegrees(double degrees)
{
    if (std::isfinite(degrees))
        setAngle(degrees * M_PI / 180.0);
}

void PWDrawableObject::setXLocation(double x) { setLocation(QPointF(x, location().y())); }
void PWDrawableObject::setYLocation(double y) { setLocation(QPointF(location().x(), y)); }

void PWDrawableObject::setWidth(double width)
{
    if (!std::isfinite(width))
        return;
    const QSizeF current = size();
    QSizeF newSize(width, current.height());
    if (m_aspectRatioLocked && current.width() > 0.0)
        newSize.setHeight(current.height() * std::max(0.0, width) / current.width());
    setSize(newSize);
}

void PWDrawableObject::setHeight(double height)
{
    if (!std::isfinite(height))
        return;
    const QSizeF current = size();
    QSizeF newSize(current.width(), height);
    if (m_aspectRatioLocked && current.height() > 0.0)
        newSize.setWidth(current.width() * std::max(0.0, height) / current.height());
    setSize(newSize);
}

void PWDrawableObject::setAspectRatioLocked(bool locked)
{
    if (locked == m_aspectRatioLocked || !canEdit())
        return;
    registerUndo("setAspectRatioLocked:", m_aspectRatioLocked);
    setObservedValue(m_aspectRatioLocked, locked, "aspectRatioLocked");
}

void PWDrawableObject::moveBy(double dx, double dy)
{
    if (!std::isfinite(dx) || !std::isfinite(dy))
        return;
    setLocation(location() + QPointF(dx, dy));
}

void PWDrawableObject::resizeWidthBy(double xFactor, double yFactor)
{
    if (!std::isfinite(xFactor) || !std::isfinite(yFactor) || xFactor <= 0.0 || yFactor <= 0.0)
        return;
    const QSizeF current = size();
    setSize(QSizeF(current.width() * xFactor, current.height() * yFactor));
}

void PWDrawableObject::rotateByAngle(double radians)
{
    if (std::isfinite(radians) && radians != 0.0)
        setAngle(angle() + radians);
}

QTransform PWDrawableObject::transform() const
{
    QTransform t;
    const QPointF loc = location();
    const QSizeF sz = size();
    t.translate(loc.x(), loc.y());
    t.rotateRadians(angle());
    t.scale(sz.width(), sz.height());
    const QPointF off = offset();
    t.translate(-off.x(), -off.y());
    return t;
}

QTransform PWDrawableObject::containerTransform() const
{
    PWDrawableContainer* c = container();
    return c ? c->renderingTransform() : QTransform();
}

// State -------------------------------------------------------------------------------------

void PWDrawableObject::setVisible(bool visible)
{
    if (visible == m_visible)
        return;
    registerUndo("setVisible:", m_visible);
    setObservedValue(m_visible, visible, "visible");
    notifyVisualChange();
}

void PWDrawableObject::setLocked(bool locked)
{
    if (locked == m_locked)
        return;
    registerUndo("setLocked:", m_locked);
    setObservedValue(m_locked, locked, "locked");
    // The selection highlight shows the lock.
    notifyVisualChange();
}

void PWDrawableObject::setLocationLocked(bool locked)
{
    if (locked == m_locationLocked || !canEdit())
        return;
    registerUndo("setLocationLocked:", m_locationLocked);
    setObservedValue(m_locationLocked, locked, "locationLocked");
}

void PWDrawableObject::setGhosted(bool ghosted)
{
    if (ghosted == m_ghosted)
        return;
    registerUndo("setGhosted:", m_ghosted);
    setObservedValue(m_ghosted, ghosted, "ghosted");
    notifyVisualChange();
}

void PWDrawableObject::setPendingCreation(bool pending)
{
    if (pending != m_pendingCreation)
        setObservedValue(m_pendingCreation, pending, "pendingCreation");
}

QString PWDrawableObject::name() const
{
    // The provider is asked once, when the name is first wanted, so that it sees the object's
    // real class (a constructor sees only the base).
    if (m_needsProviderName) {
        m_needsProviderName = false;
        if (s_nameProvider && m_name.isEmpty())
            m_name = s_nameProvider->nameForNewInstance(*this);
    }
    return m_name;
}

void PWDrawableObject::setName(const QString& name)
{
    const QString current = this->name();
    if (name == current || !canEdit())
        return;
    registerUndo("setName:", current);
    setObservedValue(m_name, name, "name");
}

void PWDrawableObject::setUserInfo(const QVariantMap& userInfo)
{
    if (userInfo == m_userInfo || !canEdit())
        return;
    registerUndo("setUserInfo:", m_userInfo);
    setObservedValue(m_userInfo, userInfo, "userInfo");
}

// Metadata ----------------------------------------------------------------------------------

void PWDrawableObject::setMetadata(const QVariantMap& metadata)
{
    if (metadata == m_metadata || !canEdit())
        return;
    if (metadataChangesAreUndoable())
        registerUndo("setMetadata:", m_metadata);
    setObservedValue(m_metadata, metadata, "metadata");
    // Metadata may show through text renderers.
    clearBoundsCache();
    notifyVisualChange();
}

void PWDrawableObject::addMetadata(const QVariantMap& metadata)
{
    QVariantMap merged = m_metadata;
    for (auto it = metadata.constBegin(); it != metadata.constEnd(); ++it)
        merged.insert(it.key(), it.value());
    setMetadata(merged);
}

QVariant PWDrawableObject::metadataObjectForKey(const QString& key) const
{
    const auto it = m_metadata.constFind(key);
    if (it != m_metadata.constEnd())
        return *it;
    PWDrawableContainer* c = container();
    return c ? c->metadataObjectForKey(key) : QVariant();
}

void PWDrawableObject::setMetadataObject(const QVariant& value, const QString& key)
{
    QVariantMap changed = m_metadata;
    if (value.isValid())
        changed.insert(key, value);
    else
        changed.remove(key);
    setMetadata(changed);
}

QString PWDrawableObject::metadataStringForKey(const QString& key) const
{
    const QVariant value = metadataObjectForKey(key);
    return value.canConvert<QString>() ? value.toString() : QString();
}

void PWDrawableObject::setMetadataString(const QString& value, const QString& key) { setMetadataObject(value, key); }

qint64 PWDrawableObject::metadataIntegerForKey(const QString& key) const
{
    const QVariant value = metadataObjectForKey(key);
    if (!pf::isNumber(value))
        return 0;
    const double d = value.toDouble();
    return std::isfinite(d) ? value.toLongLong() : 0;
}

void PWDrawableObject::setMetadataInteger(qint64 value, const QString& key) { setMetadataObject(value, key); }

// Style -------------------------------------------------------------------------------------

pf::Ref<PWStyle> PWDrawableObject::style() const { return m_style; }

void PWDrawableObject::setStyle(pf::Ref<PWStyle> style)
{
    if (style == m_style || !canEdit())
        return;
    registerUndo("setStyle:", pf::toVariant(m_style));
    notifyVisualChange();
    const QRectF oldBounds = container() ? bounds() : QRectF();
    willChangeValueForKey("style");
    attachStyle(style);
    clearBoundsCache();
    didChangeValueForKey("style");
    notifyGeometryChange(oldBounds);
    notifyVisualChange();
}

bool PWDrawableObject::validateStyle(QVariant* value, pf::Error* error)
{
    if (!value || pf::isNilOrNull(*value))
        return true;
    if (pf::objectCast<PWStyle>(*value))
        return true;
    return pf::fail(error, pf::Error::make(pf::kPFFoundationErrorDomain, pf::kErrorCoderInvalidValue,
                                           QCoreApplication::translate("PWDrawableObject", "The value is not a style.")));
}

void PWDrawableObject::detachStyle()
{
    if (!m_style || !canEdit())
        return;
    // Only a style that others may hold needs a private copy.
    if (m_style->countOfClients() <= 1 && !m_style->isStyleRegistered())
        return;
    pf::Ref<PWStyle> copy = m_style->clone();
    setStyle(copy);
}

QList<pf::Ref<PWStyle>> PWDrawableObject::allStyles() const
{
    if (m_style)
        return {m_style};
    return {};
}

void PWDrawableObject::replaceStyles(const QHash<const PWStyle*, pf::Ref<PWStyle>>& replacements)
{
    auto found = replacements.constFind(m_style.get());
    if (found != replacements.constEnd())
        setStyle(found.value());
}

void PWDrawableObject::styleWillChange(PWStyle&, const QString&) { notifyVisualChange(); }

void PWDrawableObject::styleDidChange(PWStyle&, const QString&)
{
    const QRectF oldBounds = m_boundsCacheValid ? m_cachedBounds : bounds();
    clearBoundsCache();
    notifyGeometryChange(oldBounds);
    notifyVisualChange();
}

void PWDrawableObject::attachStyle(const pf::Ref<PWStyle>& style)
{
    detachFromStyle();
    m_style = style;
    if (m_style) {
        m_style->addClient(this);
        if (!m_style->undoManager())
            m_style->setUndoManager(undoManager());
    }
}

void PWDrawableObject::detachFromStyle()
{
    if (m_style)
        m_style->removeClient(this);
    m_style.reset();
}

// Container ---------------------------------------------------------------------------------

PWDrawableContainer* PWDrawableObject::container() const
{
    if (!m_container || m_containerAlive.expired())
        return nullptr;
    return m_container;
}

void PWDrawableObject::setContainer(PWDrawableContainer* container)
{
    m_container = container;
    auto* reflective = dynamic_cast<pf::Reflective*>(container);
    m_containerAlive = reflective ? reflective->livenessToken() : std::weak_ptr<void>();
    // A container that is no Reflective cannot be watched, so it is not kept.
    if (!reflective)
        m_container = nullptr;
    if (m_style && !m_style->undoManager())
        m_style->setUndoManager(undoManager());
    clearBoundsCache();
}

PWLayer* PWDrawableObject::layer() const
{
    PWDrawableContainer* c = container();
    return c ? c->layer() : nullptr;
}

PWDrawing* PWDrawableObject::drawing() const
{
    PWDrawableContainer* c = container();
    return c ? c->drawing() : nullptr;
}

RVUndoManager* PWDrawableObject::undoManager() const
{
    PWDrawableContainer* c = container();
    return c ? c->undoManager() : nullptr;
}

bool PWDrawableObject::isSelected() const
{
    PWDrawableContainer* c = container();
    return c && c->isSelectedObject(this);
}

// Bounds and rendering ----------------------------------------------------------------------

QRectF PWDrawableObject::bounds() const
{
    if (m_boundsCacheValid)
        return m_cachedBounds;
    // The outline and every renderer of the style measure one rendering path, made once.
    const PWRenderingPathScope sharedPath(*this);
    QRectF result = logicalBounds();
    if (m_style) {
        const QRectF needed = m_style->boundsNeededForObject(*this);
        if (needed.isValid() || !needed.isNull())
            result = result.isNull() ? needed : result.united(needed);
    }
    setCachedBounds(result);
    return result;
}

QRectF PWDrawableObject::logicalBounds() const
{
    const pf::Ref<pf::BezierPath> path = PWRenderingPathScope::renderingPathOf(*this);
    return path ? path->bounds() : QRectF();
}

pf::Ref<pf::BezierPath> PWDrawableObject::renderingPath() const
{
    auto path = pf::BezierPath::pathWithRect(QRectF(-0.5, -0.5, 1.0, 1.0));
    path->transform(transform() * containerTransform());
    return path;
}

quint64 PWDrawableObject::geometryChecksum() const
{
    const QPointF loc = location();
    const QSizeF sz = size();
    const QPointF off = offset();
    quint64 seed = 0x5057;
    for (double v : {loc.x(), loc.y(), sz.width(), sz.height(), angle(), off.x(), off.y()})
        seed = mix(seed, v);
    const QTransform ct = containerTransform();
    for (double v : {ct.m11(), ct.m12(), ct.m21(), ct.m22(), ct.dx(), ct.dy()})
        seed = mix(seed, v);
    return seed;
}

void PWDrawableObject::drawContent() { drawContentWithStyle(m_style.get()); }

void PWDrawableObject::drawContentWithStyle(PWStyle* style)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context || !style || !m_visible)
        return;
    if (m_ghosted) {
        // A ghost is its outline only, faint.
        pf::GraphicsStateSaver saver(context);
        QPen pen(QColor(128, 128, 128, 128));
        pen.setCosmetic(true);
        context->painter().setPen(pen);
        context->painter().setBrush(Qt::NoBrush);
        context->painter().drawPath(renderingPath()->toQPainterPath());
        return;
    }
    // The style saves and restores the state around its renderers itself.
    style->render(*this);
}

QTransform PWDrawableObject::knobTransform() const { return containerTransform(); }

void PWDrawableObject::drawSelectedState()
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context || m_pendingCreation)
        return;
    const QColor colour = selectionMarkColour();
    pf::GraphicsStateSaver saver(context);
    QPainter& painter = context->painter();
    strokeSelectionOutline(painter, colour);
    PWKnob* knobs = knobsToDraw();
    const QTransform toView = knobTransform();
    for (int part : knobParts()) {
        const int type = m_locked ? PWKnob::kLockedKnobType : PWKnob::kControlKnobType;
        knobs->drawKnob(toView.map(knobPoint(part)), type, angle(), colour);
    }
}

QColor PWDrawableObject::selectionMarkColour() const
{
    const PWDrawableContainer* c = container();
    const QColor colour = c ? c->selectionColour() : QColor();
    return colour.isValid() ? colour : QColor(64, 128, 255);
}

PWKnob* PWDrawableObject::knobsToDraw() const
{
    PWDrawableContainer* c = container();
    return (c && c->knobs()) ? c->knobs() : PWKnob::defaultKnobs();
}

void PWDrawableObject::strokeSelectionOutline(QPainter& painter, const QColor& colour) const
{
    QPen pen(m_locked ? QColor(Qt::gray) : colour);
    pen.setCosmetic(true);
    pen.setWidthF(1.0);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(renderingPath()->toQPainterPath());
}

QByteArray PWDrawableObject::pdf()
{
    // The output remembers the object behind the data, so bitmaps asked of it later render
    // the object itself.
    return PWRenderingOutput::pdf(*this);
}

// Hit testing and mouse ---------------------------------------------------------------------

int PWDrawableObject::hitPart(const QPointF& point) const
{
    if (!m_visible || !finite(point))
        return kNoPart;
    PWDrawableContainer* c = container();
    if (!m_locked && c && c->isSelectedObject(this)) {
        PWKnob* knobs = c->knobs() ? c->knobs() : PWKnob::defaultKnobs();
        const QTransform toView = knobTransform();
        for (int part : knobParts())
            if (knobs->hitTestKnob(point, toView.map(knobPoint(part)), PWKnob::kControlKnobType, angle()))
                return part;
    }
    const QRectF area = bounds();
    // Thin objects get a little room all round.
    if (!area.adjusted(-3, -3, 3, 3).contains(point))
        return kNoPart;
    return hitTest(point) ? kEntireObjectPart : kNoPart;
}

namespace {

// Whether what `draw` paints (drawing coordinates) lands within a few units of `point`.
bool drawingTouchesPoint(const PWDrawableObject& object, const QPointF& point, const std::function<void()>& draw)
{
    // Render what falls in a small square round the point and see whether anything landed.
    // Objects thinner than a few units get a wider square so they can still be picked.
    const QRectF area = object.bounds();
    const double tolerance = (area.width() < 4.0 || area.height() < 4.0) ? 3.0 : 1.5;
    const int side = 8;
    QImage probe(side, side, QImage::Format_ARGB32_Premultiplied);
    probe.fill(Qt::transparent);
    {
        QPainter painter(&probe);
        painter.scale(side / (2 * tolerance), side / (2 * tolerance));
        painter.translate(-point.x() + tolerance, -point.y() + tolerance);
        pf::GraphicsContextScope scope(painter, true);
        draw();
    }
    for (int y = 0; y < side; ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(probe.constScanLine(y));
        for (int x = 0; x < side; ++x)
            if (qAlpha(line[x]) > 0)
                return true;
    }
    return false;
}

} // namespace

bool PWDrawableObject::hitTest(const QPointF& point) const
{
    if (!m_style || !finite(point))
        return false;
    // Everything the object draws counts: a text object's glyphs come from its own drawing,
    // not from its style.
    auto* self = const_cast<PWDrawableObject*>(this);
    return drawingTouchesPoint(*this, point, [self] { self->drawContentWithStyle(self->m_style.get()); });
}

void PWDrawableObject::mouseDownAtPoint(const QPointF& point, int part, bool controlFlag)
{
    m_dragAnchor = snappedMousePoint(point, controlFlag);
    m_dragStartLocation = location();
    m_dragging = true;
    m_lowQualityDrawing = true;
}

void PWDrawableObject::mouseDraggedAtPoint(const QPointF& point, int part, bool controlFlag)
{
    if (part != kEntireObjectPart || !m_dragging)
        return;
    const QPointF p = snappedMousePoint(point, controlFlag);
    setLocation(m_dragStartLocation + (p - m_dragAnchor));
}

void PWDrawableObject::mouseUpAtPoint(const QPointF& point, int part, bool controlFlag)
{
    m_dragging = false;
    if (m_lowQualityDrawing) {
        m_lowQualityDrawing = false;
        notifyVisualChange();
    }
}

QPointF PWDrawableObject::snappedMousePoint(const QPointF& point, bool controlFlag) const
{
    PWDrawing* d = drawing();
    return d ? d->snapToGrid(point, controlFlag) : point;
}

// Announcements -----------------------------------------------------------------------------

void PWDrawableObject::notifyGeometryChange(const QRectF& oldBounds)
{
    clearBoundsCache();
    if (PWDrawableContainer* c = container())
        c->objectDidChangeGeometry(this, oldBounds);
}

void PWDrawableObject::notifyVisualChange()
{
    if (PWDrawableContainer* c = container()) {
        QRectF area = bounds();
        // A selected object's handles can stand outside what it draws (the rotation knob sits
        // above the top edge): the area they cover is redrawn with it, before and after a change.
        if (!m_locked && c->isSelectedObject(this)) {
            // Grown point by point: a rectangle of no size would be ignored by united().
            const QTransform toView = knobTransform();
            for (int part : knobParts()) {
                const QPointF at = toView.map(knobPoint(part));
                if (!finite(at))
                    continue;
                if (area.isNull())
                    area = QRectF(at, at);
                area.setLeft(std::min(area.left(), at.x()));
                area.setRight(std::max(area.right(), at.x()));
                area.setTop(std::min(area.top(), at.y()));
                area.setBottom(std::max(area.bottom(), at.y()));
            }
        }
        if (!area.isNull())
            c->objectNeedsDisplayInRect(this, area);
    }
    willChangeValueForKey(kVisualChangeKey);
    didChangeValueForKey(kVisualChangeKey);
}

// Hooks -------------------------------------------------------------------------------------

void PWDrawableObject::group(PWShapeGroup*, const QTransform& transform)
{
    // Take the group's placement into the object's own geometry: moved, scaled along the
    // transform's axes and turned by its rotation.
    const QPointF newLocation = transform.map(location());
    const double sx = std::hypot(transform.m11(), transform.m12());
    const double sy = std::hypot(transform.m21(), transform.m22());
    const double turn = std::atan2(transform.m12(), transform.m11());
    setLocation(newLocation);
    if (std::isfinite(sx) && std::isfinite(sy) && sx > 0 && sy > 0)
        resizeWidthBy(sx, sy);
    rotateByAngle(turn);
}

bool PWDrawableObject::objectIsValid() const
{
    const QSizeF sz = size();
    return finite(sz) && sz.width() > 0.0 && sz.height() > 0.0;
}

QString PWDrawableObject::displayName() const { return displayNameForClass(objClass()); }

QImage PWDrawableObject::icon() const { return swatchImageWithSize(QSizeF(24, 24)); }

QImage PWDrawableObject::swatchImageWithSize(const QSizeF& requested) const
{
    const QRectF area = bounds();
    if (!area.isValid() || area.isEmpty())
        return {};
    QSizeF size = requested.isEmpty() ? area.size() : requested;
    // A swatch is a small picture: keep it within a sensible pixel budget.
    size = size.boundedTo(QSizeF(4096, 4096));
    QImage image(std::max(1, int(std::ceil(size.width()))), std::max(1, int(std::ceil(size.height()))),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (!m_style)
        return image;
    const double scale = std::min(image.width() / area.width(), image.height() / area.height());
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.translate(image.width() / 2.0, image.height() / 2.0);
    painter.scale(scale, scale);
    painter.translate(-area.center());
    pf::GraphicsContextScope scope(painter, true);
    m_style->render(*this);
    return image;
}

QStringList PWDrawableObject::searchableStrings() const
{
    QStringList strings;
    const QString n = name();
    if (!n.isEmpty())
        strings << n;
    for (auto it = m_metadata.constBegin(); it != m_metadata.constEnd(); ++it)
        if (it.value().typeId() == QMetaType::QString && !it.value().toString().isEmpty())
            strings << it.value().toString();
    return strings;
}

void PWDrawableObject::addSearchablePropertiesToDictionary(QVariantMap& dictionary) const
{
    const QString n = name();
    if (!n.isEmpty())
        dictionary.insert("name", n);
    for (auto it = m_metadata.constBegin(); it != m_metadata.constEnd(); ++it)
        if (it.value().typeId() == QMetaType::QString)
            dictionary.insert(it.key(), it.value());
}

QString PWDrawableObject::description() const
{
    const QPointF loc = location();
    const QSizeF sz = size();
    return QStringLiteral("<%1 \"%2\" location (%3, %4) size %5 x %6 angle %7>")
        .arg(className(), name())
        .arg(loc.x())
        .arg(loc.y())
        .arg(sz.width())
        .arg(sz.height())
        .arg(angle());
}

// Archiving ---------------------------------------------------------------------------------

void PWDrawableObject::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    coder.encodePoint(m_location, kLocationKey);
    coder.encodeSize(m_size, kSizeKey);
    coder.encodeDouble(m_angle, kAngleKey);
    coder.encodePoint(m_offset, kOffsetKey);
    coder.encodeBool(m_visible, kVisibleKey);
    coder.encodeBool(m_locked, kLockedKey);
    coder.encodeBool(m_locationLocked, kLocationLockedKey);
    coder.encodeBool(m_ghosted, kGhostedKey);
    coder.encodeBool(m_aspectRatioLocked, kAspectLockedKey);
    coder.encodeString(name(), kNameKey);
    if (!m_userInfo.isEmpty())
        coder.encodePropertyListValue(m_userInfo, kUserInfoKey);
    if (!m_metadata.isEmpty())
        coder.encodePropertyListValue(m_metadata, kMetadataKey);
    coder.encodeObject(m_style, kStyleKey);
}

void PWDrawableObject::initWithCoder(pf::KeyedUnarchiver& coder)
{
    // A damaged value falls back to the default rather than being stored.
    const QPointF location = coder.decodePoint(kLocationKey);
    m_location = finite(location) ? location : QPointF();
    const QSizeF size = coder.decodeSize(kSizeKey);
    m_size = finite(size) ? clampedSize(size) : QSizeF();
    const double angle = coder.decodeDouble(kAngleKey);
    m_angle = std::isfinite(angle) ? angle : 0.0;
    const QPointF offset = coder.decodePoint(kOffsetKey);
    m_offset = finite(offset) ? clampedOffset(offset) : QPointF();
    m_visible = coder.containsValueForKey(kVisibleKey) ? coder.decodeBool(kVisibleKey) : true;
    m_locked = coder.decodeBool(kLockedKey);
    m_locationLocked = coder.decodeBool(kLocationLockedKey);
    m_ghosted = coder.decodeBool(kGhostedKey);
    m_aspectRatioLocked = coder.decodeBool(kAspectLockedKey);
    // A decoded object is not new: its archived name stands, empty or not.
    m_needsProviderName = false;
    m_name = coder.decodeString(kNameKey);
    m_userInfo = coder.decodePropertyListValue(kUserInfoKey).toMap();
    m_metadata = coder.decodePropertyListValue(kMetadataKey).toMap();
    if (coder.containsValueForKey(kStyleKey))
        attachStyle(coder.decodeObjectOfClass<PWStyle>(kStyleKey));
    clearBoundsCache();
}

// Contextual menu, zooming and double-click conversion ------------------------------------------------

bool PWDrawableObject::populateContextualMenu(pf::Menu& menu, const QPointF&)
{
    const pf::Class* cls = classForAutomaticDoubleClickConversion(objClass());
    if (!cls || locked() || !PWObjectConversion::toClass(*this, *cls))
        return false;
    auto item = pf::MenuItem::make(
        QCoreApplication::translate("PWDrawableObject", "Convert To %1").arg(displayNameForClass(*cls)),
        QStringLiteral("convertForDoubleClick:"));
    item->setTarget(this);
    menu.addItem(item);
    return true;
}

bool PWDrawableObject::zoomViewToObject(PWDrawingView* view)
{
    if (!view) {
        if (PWLayer* layer = this->layer())
            view = layer->currentView();
    }
    if (!view)
        return false;
    view->zoomViewToRect(bounds());
    return true;
}

bool PWDrawableObject::shouldConvertToClass(const pf::Class&)
{
    return true;
}

bool PWDrawableObject::performDragOperation(const pf::Pasteboard& pasteboard, const QPointF& point)
{
    Q_UNUSED(point);
    if (locked())
        return false;
    RVUndoManager* undo = undoManager();
    const QStringList types = pasteboard.types();
    if (types.contains(kPWStylePasteboardType) || types.contains(kPWStyleKeyPasteboardType)) {
        QVariant value = pf::toVariant(PWStylePasteboard::styleFromPasteboard(pasteboard));
        pf::Error error;
        if (value.isNull() || !validateStyle(&value, &error))
            return false;
        auto style = pf::fromVariant<pf::Ref<PWStyle>>(value);
        if (!style || style == this->style())
            return false;
        if (undo)
            undo->beginUndoGrouping();
        setStyle(style);
        if (undo) {
            undo->endUndoGrouping();
            undo->setActionName(QCoreApplication::translate("PWDrawableObject", "Apply Style"));
        }
        return true;
    }
    const QColor colour = types.contains(pf::NSPasteboardTypeColor) ? pasteboard.color() : QColor();
    if (!colour.isValid() || !style())
        return false;
    if (undo)
        undo->beginUndoGrouping();
    // The colour is for this object: a shared style is made its own first.
    detachStyle();
    style()->setFillColour(pf::Color(colour));
    if (undo) {
        undo->endUndoGrouping();
        undo->setActionName(QCoreApplication::translate("PWDrawableObject", "Set Fill Colour"));
    }
    return true;
}

bool PWDrawableObject::validateMenuItem(pf::MenuItem& item)
{
    if (item.action() != QLatin1String("convertForDoubleClick:"))
        return true;
    const pf::Class* cls = classForAutomaticDoubleClickConversion(objClass());
    return cls && !locked() && PWObjectConversion::toClass(*this, *cls);
}

bool PWDrawableObject::assignUserName(const QString& name, bool undoable)
{
    if (name.trimmed().isEmpty() || !canEdit())
        return false;
    RVUndoManager* undo = undoable ? undoManager() : nullptr;
    if (undo)
        undo->beginUndoGrouping();
    setName(name);
    if (undo) {
        undo->endUndoGrouping();
        undo->setActionName(QCoreApplication::translate("PWDrawableObject", "Rename"));
    }
    return this->name() == name;
}

pf::Ref<PWDrawableObject> PWDrawableObject::convertForDoubleClick()
{
    const pf::Class* cls = classForAutomaticDoubleClickConversion(objClass());
    // Only objects sitting directly in a drawing layer are converted: the new object must
    // take this one's place there.
    auto layer = dynamic_cast<PWObjectDrawingLayer*>(container());
    if (!cls || locked() || !layer || layer->indexOfObject(this) < 0)
        return nullptr;
    pf::Ref<PWDrawableObject> converted = PWObjectConversion::toClass(*this, *cls);
    if (!converted || !perform(QStringLiteral("shouldConvertToClass:"), {cls->name()}).toBool())
        return nullptr;
    const QString name = QCoreApplication::translate("PWDrawableObject", "Convert To %1").arg(displayNameForClass(*cls));
    pf::Ref<PWDrawableObject> self = ref<PWDrawableObject>();
    if (!PWLayerEditing::replaceObject(*layer, self, converted, name))
        return nullptr;
    return converted;
}
