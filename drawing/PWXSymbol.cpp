#include "drawing/PWXSymbol.h"

#include "drawing/PWXSymbolMaster.h"
#include "drawing/PWXSymbolSequence.h"
#include "frameworks/penwork/archiving/PWStylePasteboard.h"
#include "frameworks/penwork/drawables/PWKnob.h"
#include "frameworks/penwork/drawables/PWShapeGroup.h"
#include "frameworks/penwork/layers/PWObjectOwnerLayer.h"
#include "frameworks/penwork/styles/PWRasterizer.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/support/RVLog.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "frameworks/penwork/tools/PWDrawingTool.h"
#include "frameworks/penwork/StringAdditions.h"
#include "library/PWXLibraryManagerWindowController.h"

#include "platform/foundation/Error.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/Markers.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/Alert.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/Pasteboard.h"
#include "platform/ui/UserInterfaceItem.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

const QString kMasterKey = QStringLiteral("PWXSymbol_master");
const QString kLocationKey = QStringLiteral("PWXSymbol_location");
const QString kAngleKey = QStringLiteral("PWXSymbol_angle");
const QString kAbsoluteAngleKey = QStringLiteral("PWXSymbol_absoluteAngle");
const QString kScaleFactorKey = QStringLiteral("PWXSymbol_scaleFactor");
const QString kUseLocalStyleKey = QStringLiteral("PWXSymbol_useLocalStyle");
const QString kLabelsHiddenKey = QStringLiteral("PWXSymbol_labelsHidden");
const QString kScaleVisuallyKey = QStringLiteral("PWXSymbol_scaleVisually");
const QString kIgnoresDTsKey = QStringLiteral("PWXSymbol_ignoresDTs");
const QString kModernSequenceKey = QStringLiteral("PWXSymbol_hasModernTypeSequence");
const QString kCachedMasterBoundsKey = QStringLiteral("PWXSymbol_cachedMasterBounds");
const QString kStampToolName = QStringLiteral("Clip-Art Stamp");

bool s_defaultSizeHandleVisible = true;

QString tr(const char* text) { return QCoreApplication::translate("PWXSymbol", text); }

bool readsScaleVisually() { return pf::UserDefaults::standard().boolForKey(kSymbolsDefaultScaleVisually); }

} // namespace

bool PWXSymbol::defaultSymbolsScaleVisually()
{
    return readsScaleVisually();
}

namespace {

// Runs `edit` as one undo step named `name` on the object's undo manager (without one, just runs it).
void asUndoStep(RVUndoManager* undo, const QString& name, const std::function<void()>& edit)
{
    if (!undo) {
        edit();
        return;
    }
    undo->beginUndoGrouping();
    try {
        edit();
    } catch (...) {
        undo->endUndoGrouping();
        throw;
    }
    undo->endUndoGrouping();
    if (!name.isEmpty())
        undo->setActionName(name);
}

// The tag and title of a menu item (or other interface item) sending an action.
int tagOfSender(const QVariant& sender)
{
    auto* item = dynamic_cast<pf::UserInterfaceItem*>(pf::objectFromVariant(sender).get());
    return item ? item->tag() : sender.toInt();
}

QString titleOfSender(const QVariant& sender)
{
    if (sender.typeId() == QMetaType::QString)
        return sender.toString();
    auto* item = dynamic_cast<pf::UserInterfaceItem*>(pf::objectFromVariant(sender).get());
    return item ? item->title() : QString();
}

} // namespace

PF_DEFINE_CLASS(PWXSymbol, PWDrawableObject)
{
    b.protocol(pf::kCodingProtocol);
    b.property("master", std::function<QVariant(const PWXSymbol&)>([](const PWXSymbol& s) {
                   return s.master() ? pf::toVariant(std::static_pointer_cast<pf::Object>(s.master())) : QVariant();
               }),
               std::function<void(PWXSymbol&, const QVariant&)>([](PWXSymbol& s, const QVariant& v) {
                   s.setMaster(pf::objectCast<PWXSymbolMaster>(v));
               }));
    b.method("setMaster:", std::function<QVariant(PWXSymbol&, const QVariantList&)>([](PWXSymbol& s, const QVariantList& a) {
                 s.setMaster(pf::objectCast<PWXSymbolMaster>(a.value(0)));
                 return QVariant();
             }));
    b.property("scaleFactor", &PWXSymbol::scaleFactor, &PWXSymbol::setScaleFactor);
    b.validator("scaleFactor", [](PWXSymbol& s, QVariant* v, pf::Error* e) { return s.validateScaleFactor(v, e); });
    b.validator("angle", [](PWXSymbol& s, QVariant* v, pf::Error* e) { return s.validateAngle(v, e); });
    b.property("usesLocalStyle", &PWXSymbol::usesLocalStyle, &PWXSymbol::setUsesLocalStyle);
    b.property("objectAngleIsAbsolute", &PWXSymbol::objectAngleIsAbsolute, &PWXSymbol::setObjectAngleIsAbsolute);
    b.property("positionInSequence", &PWXSymbol::positionInSequence, &PWXSymbol::setPositionInSequence);
    b.property("ignoresDataTransformers", &PWXSymbol::ignoresDataTransformers, &PWXSymbol::setIgnoresDataTransformers);
    b.property("masterName", &PWXSymbol::masterName);
    b.classMethod("observableKeyPaths", [](const pf::Class&, const QVariantList&) {
        return QVariant(PWXSymbol::observableKeyPaths());
    });
    b.classMethod("canBeConvertedToSymbol", [](const pf::Class&, const QVariantList&) { return QVariant(false); });
    b.classMethod("displayName", [](const pf::Class&, const QVariantList&) { return QVariant(tr("Symbol")); });
    b.classMethod("pasteboardTypesForOperation:", [](const pf::Class&, const QVariantList&) {
        return QVariant(QStringList{PWXSymbolMaster::dataPasteboardType(), PWXSymbolMaster::keyPasteboardType(),
                                    pf::NSPasteboardTypeColor});
    });
    b.classMethod("availableOutputProperties", [](const pf::Class&, const QVariantList&) {
        return QVariant(PWXSymbol::availableOutputProperties());
    });
    b.classMethod("acceptableTypesForStyle", [](const pf::Class&, const QVariantList&) { return QVariant(QVariantList{0, 1, 2, 3, 4}); });
    b.classMethod("acceptableTypesForScaleFactor", [](const pf::Class&, const QVariantList&) { return QVariant(QVariantList{}); });
    b.classMethod("acceptableTypesForAngle", [](const pf::Class&, const QVariantList&) { return QVariant(QVariantList{}); });
    b.classMethod("acceptableTypesForLabelAttributes", [](const pf::Class&, const QVariantList&) { return QVariant(QVariantList{0, 1, 3, 4, 5}); });
    b.classMethod("displayNameForStyle", [](const pf::Class&, const QVariantList&) { return QVariant(tr("Style")); });
    b.classMethod("displayNameForScaleFactor", [](const pf::Class&, const QVariantList&) { return QVariant(tr("Scale Factor")); });
    b.classMethod("displayNameForAngle", [](const pf::Class&, const QVariantList&) { return QVariant(tr("Angle")); });
    b.classMethod("displayNameForLabelAttributes", [](const pf::Class&, const QVariantList&) { return QVariant(tr("Label Style")); });
    auto action = [](std::function<void(PWXSymbol&, const QVariantList&)> fn) {
        return std::function<QVariant(PWXSymbol&, const QVariantList&)>([fn](PWXSymbol& s, const QVariantList& a) {
            fn(s, a);
            return QVariant();
        });
    };
    b.method("detachSymbol:", action([](PWXSymbol& s, const QVariantList&) { s.detachSymbol(); }));
    b.method("pickUpSymbol:", action([](PWXSymbol& s, const QVariantList& a) {
                 s.pickUpSymbol(a.size() > 1 && pf::variantToBool(a.value(1)));
             }));
    b.method("copySymbolMaster:", action([](PWXSymbol& s, const QVariantList&) { s.copySymbolMaster(); }));
    b.method("revealMasterSymbol:", action([](PWXSymbol& s, const QVariantList&) { s.revealMasterSymbol(); }));
    b.method("pasteSymbolMaster:", action([](PWXSymbol& s, const QVariantList&) { s.pasteSymbolMaster(); }));
    b.method("selectMatchingStyle:", action([](PWXSymbol& s, const QVariantList&) { s.selectMatchingStyle(); }));
    b.method("symbolInstanceWasPlaced:", action([](PWXSymbol&, const QVariantList&) {}));
    b.method("scaleSymbolWithTagOfSender:", action([](PWXSymbol& s, const QVariantList& a) { s.scaleSymbolWithTag(tagOfSender(a.value(0))); }));
    b.method("moveForwardInSequence:", action([](PWXSymbol& s, const QVariantList& a) { s.moveForwardInSequence(titleOfSender(a.value(0))); }));
    b.method("moveBackwardInSequence:", action([](PWXSymbol& s, const QVariantList& a) { s.moveBackwardInSequence(titleOfSender(a.value(0))); }));
    b.method("moveToStartOfSequence:", action([](PWXSymbol& s, const QVariantList& a) { s.moveToStartOfSequence(titleOfSender(a.value(0))); }));
    b.method("moveToEndOfSequence:", action([](PWXSymbol& s, const QVariantList& a) { s.moveToEndOfSequence(titleOfSender(a.value(0))); }));
    b.method("setSequenceKindAction:", action([](PWXSymbol& s, const QVariantList& a) { s.setSequenceKind(tagOfSender(a.value(0))); }));
    b.method("toggleAutoRenumbering:", action([](PWXSymbol& s, const QVariantList&) { s.toggleAutoRenumbering(); }));
    b.method("insertKeyTable:", action([](PWXSymbol& s, const QVariantList&) { s.insertKeyTable(); }));
    b.method("renumberSequence:", action([](PWXSymbol& s, const QVariantList&) { s.renumberSequenceAfterAsking(); }));
}

bool PWXSymbol::defaultSizeHandleVisible() { return s_defaultSizeHandleVisible; }
void PWXSymbol::setDefaultSizeHandleVisible(bool visible) { s_defaultSizeHandleVisible = visible; }

PWXSymbol::PWXSymbol()
    : m_showSizeHandle(s_defaultSizeHandleVisible), m_sequenceIndex(pf::kNotFound), m_priorSequenceIndex(pf::kNotFound)
{
}

PWXSymbol::PWXSymbol(const pf::Ref<PWXSymbolMaster>& master) : PWXSymbol()
{
    PF_ASSERT(master, "cannot initialise with a nil master");
    m_scaleFactor = master ? master->prescale() : 1.0;
    // The master is attached once the instance is held by a reference (setMaster needs it).
    m_master = master;
    m_scaleVisually = readsScaleVisually();
}

PWXSymbol::PWXSymbol(const PWXSymbol& other)
    : PWDrawableObject(other),
      PWDrawableContainer(),
      PWXSymbolMasterClient(),
      m_master(other.m_master),
      m_scaleFactor(other.m_scaleFactor),
      m_absoluteAngle(other.m_absoluteAngle),
      m_useLocalStyle(other.m_useLocalStyle),
      m_showSizeHandle(other.m_showSizeHandle),
      m_scaleVisually(other.m_scaleVisually),
      m_labelsHidden(other.m_labelsHidden),
      m_sequenceIndex(other.m_sequenceIndex),
      m_priorSequenceIndex(other.m_priorSequenceIndex),
      m_modernSequencing(other.m_modernSequencing),
      m_masterBounds(other.m_masterBounds)
{
}

PWXSymbol::~PWXSymbol()
{
    if (m_master && m_joined)
        m_master->removeSymbolMasterClient(this);
}

// Master -----------------------------------------------------------------------------------------

void PWXSymbol::joinMaster()
{
    if (!m_master || m_joined)
        return;
    // The client list belongs to the main thread; an instance read elsewhere joins there.
    if (!pf::RunLoop::isMainThread()) {
        pf::Weak<PWXSymbol> weakSelf = std::static_pointer_cast<PWXSymbol>(weak_from_this().lock());
        pf::performOnMainThread([weakSelf] {
            if (auto self = weakSelf.lock())
                self->joinMaster();
        }, false);
        return;
    }
    m_master->addSymbolMasterClient(this);
    m_joined = true;
}

void PWXSymbol::leaveMaster()
{
    if (m_master && m_joined)
        m_master->removeSymbolMasterClient(this);
    m_joined = false;
}

void PWXSymbol::setMaster(const pf::Ref<PWXSymbolMaster>& master) { setMaster(master, true); }

void PWXSymbol::setMaster(const pf::Ref<PWXSymbolMaster>& master, bool creatingSequenceIfNeeded)
{
    if ((master == m_master && m_joined) || locked())
        return;
    if (RVUndoManager* undo = undoManager()) {
        // Undo brings back the old master together with the local style it drew with.
        pf::Ref<PWXSymbolMaster> oldMaster = m_master;
        const bool oldLocal = m_useLocalStyle;
        pf::Ref<PWStyle> oldStyle = PWDrawableObject::style();
        pf::Weak<PWXSymbol> weakSelf = std::static_pointer_cast<PWXSymbol>(weak_from_this().lock());
        undo->registerUndo(this, [weakSelf, oldMaster, oldLocal, oldStyle] {
            auto self = weakSelf.lock();
            if (!self)
                return;
            self->setMaster(oldMaster);
            self->m_useLocalStyle = oldLocal;
            self->PWDrawableObject::setStyle(oldStyle);
            self->notifyVisualChange();
        });
    }
    notifyVisualChange();
    const QRectF oldBounds = bounds();
    PWXSymbolSequence* oldSequence = creatingSequenceIfNeeded ? sequence() : nullptr;
    leaveMaster();
    m_master = master;
    m_masterBounds = QRectF();
    if (m_master) {
        addMetadata(m_master->attributesTemplate());
        joinMaster();
        willChangeValueForKey("usesLocalStyle");
        m_useLocalStyle = false;
        didChangeValueForKey("usesLocalStyle");
        notifyGeometryChange(oldBounds);
        notifyVisualChange();
        pf::NotificationCenter::defaultCenter().post(kPWXSymbolMasterWasReplacedNotification, this);
    }
    if (creatingSequenceIfNeeded)
        adjustSequence(oldSequence);
}

pf::Ref<PWDrawableObject> PWXSymbol::masterObject() const { return m_master ? m_master->object() : nullptr; }
QString PWXSymbol::masterName() const { return m_master ? m_master->name() : QString(); }
QString PWXSymbol::userDescription() const { return m_master ? m_master->userDescription() : QString(); }

pf::Ref<PWDrawableObject> PWXSymbol::mutableCopyOfMasterObject() const
{
    pf::Ref<PWDrawableObject> drawable = masterObject();
    if (!drawable)
        return nullptr;
    auto copy = std::dynamic_pointer_cast<PWDrawableObject>(drawable->copy());
    if (copy && !m_master->attributesTemplate().isEmpty())
        copy->setMetadata(m_master->attributesTemplate());
    return copy;
}

// Geometry ---------------------------------------------------------------------------------------

void PWXSymbol::setLocation(const QPointF& location)
{
    if (locked() || location == m_location || !std::isfinite(location.x()) || !std::isfinite(location.y()))
        return;
    registerUndo("setLocation:", pf::toVariant(m_location));
    performGeometryChange("location", [&] { m_location = location; });
}

void PWXSymbol::setAngle(double angle)
{
    if (locked() || angle == m_angle || !std::isfinite(angle))
        return;
    registerUndo("setAngle:", m_angle);
    performGeometryChange("angle", [&] { m_angle = angle; });
}

void PWXSymbol::setScaleFactor(double factor)
{
    if (!std::isfinite(factor))
        return;
    factor = std::clamp(factor, kMinimumScale, kMaximumScale);
    if (factor == m_scaleFactor || locked())
        return;
    registerUndo("setScaleFactor:", m_scaleFactor);
    if (RVUndoManager* undo = undoManager(); undo && !undo->isUndoing() && !undo->isRedoing())
        undo->setActionName(tr("Scale Symbol"));
    performGeometryChange("scaleFactor", [&] { m_scaleFactor = factor; });
}

void PWXSymbol::setObjectAngleIsAbsolute(bool absolute)
{
    if (absolute == m_absoluteAngle)
        return;
    notifyVisualChange();
    m_absoluteAngle = absolute;
    clearBoundsCache();
    notifyVisualChange();
}

void PWXSymbol::resizeWidthBy(double xFactor, double yFactor)
{
    if (!std::isfinite(xFactor) || !std::isfinite(yFactor) || xFactor <= 0.0 || yFactor <= 0.0)
        return;
    setScaleFactor(m_scaleFactor * std::min(xFactor, yFactor));
}

QSizeF PWXSymbol::size() const
{
    updateCachedBoundsIfNeeded();
    return m_masterBounds.size() * m_scaleFactor;
}

QTransform PWXSymbol::localTransform() const
{
    // Qt composes left to right: rotate, then scale, then move.
    QTransform t;
    t.translate(m_location.x(), m_location.y());
    if (m_scaleFactor != 1.0)
        t.scale(m_scaleFactor, m_scaleFactor);
    if (!m_absoluteAngle && m_angle != 0.0)
        t.rotateRadians(m_angle);
    return t;
}

QTransform PWXSymbol::renderingTransform() const
{
    if (m_scaleVisually)
        return {};
    return localTransform() * containerTransform();
}

pf::Ref<pf::BezierPath> PWXSymbol::renderingPath() const
{
    pf::Ref<PWDrawableObject> drawable = masterObject();
    if (!drawable)
        return std::make_shared<pf::BezierPath>();
    // The drawable's own path is in its container's coordinates: ours while it renders here.
    pf::Ref<pf::BezierPath> path = drawable->renderingPath();
    if (drawable->container() == this)
        return path;
    auto copy = std::make_shared<pf::BezierPath>(*path);
    if (!m_scaleVisually)
        copy->transform(localTransform());
    return copy;
}

void PWXSymbol::updateCachedBoundsIfNeeded() const
{
    if (!m_masterBounds.isNull() || !m_master)
        return;
    pf::Ref<PWDrawableObject> drawable = m_master->object();
    if (!drawable)
        return;
    const QPointF origin = drawable->location();
    m_masterBounds = m_master->objectBoundsIgnoringLabels().translated(-origin);
}

QRectF PWXSymbol::logicalBounds() const
{
    updateCachedBoundsIfNeeded();
    return localTransform().mapRect(m_masterBounds);
}

QRectF PWXSymbol::bounds() const
{
    if (hasCachedBounds())
        return cachedBounds();
    const QRectF computed = logicalBounds().adjusted(-kBoundsOutset, -kBoundsOutset, kBoundsOutset, kBoundsOutset);
    setCachedBounds(computed);
    return computed;
}

bool PWXSymbol::objectIsValid() const
{
    const QSizeF s = size();
    return s.width() > 0.0 && s.height() > 0.0;
}

// Style ------------------------------------------------------------------------------------------

pf::Ref<PWStyle> PWXSymbol::style() const
{
    if (m_useLocalStyle)
        return PWDrawableObject::style();
    return m_master ? m_master->style() : nullptr;
}

void PWXSymbol::setStyle(pf::Ref<PWStyle> style)
{
    if (!m_useLocalStyle || locked())
        return;
    PWDrawableObject::setStyle(std::move(style));
}

void PWXSymbol::setUsesLocalStyle(bool local)
{
    if (!m_master || m_master->isGroupObject() || local == m_useLocalStyle || locked())
        return;
    pf::Ref<PWStyle> masterStyle = m_master->style();
    pf::Ref<PWStyle> copy = masterStyle ? std::static_pointer_cast<PWStyle>(masterStyle->mutableCopy()) : nullptr;
    if (RVUndoManager* undo = undoManager()) {
        pf::Weak<PWXSymbol> weakSelf = std::static_pointer_cast<PWXSymbol>(weak_from_this().lock());
        const bool old = m_useLocalStyle;
        pf::Ref<PWStyle> oldStyle = PWDrawableObject::style();
        undo->registerUndo(this, [weakSelf, old, oldStyle] {
            if (auto self = weakSelf.lock()) {
                self->setUsesLocalStyle(old);
                self->PWDrawableObject::setStyle(oldStyle);
            }
        });
    }
    notifyVisualChange();
    willChangeValueForKey("usesLocalStyle");
    m_useLocalStyle = local;
    // Undo registration is ours above; the style store itself is not a separate step.
    if (RVUndoManager* undo = undoManager())
        undo->disableUndoRegistration();
    PWDrawableObject::setStyle(copy);
    if (RVUndoManager* undo = undoManager())
        undo->enableUndoRegistration();
    didChangeValueForKey("usesLocalStyle");
    clearBoundsCache();
    notifyVisualChange();
}

bool PWXSymbol::refuse(pf::Error* error, const QString& reason) const
{
    if (error)
        *error = pf::Error(kCartavelErrorDomain, kPWXSymbolInvalidValueError, {{pf::NSLocalizedDescriptionKey, reason}});
    return false;
}

bool PWXSymbol::validateStyle(QVariant* value, pf::Error* error)
{
    if (!value)
        return refuse(error, tr("No style was given."));
    if (!m_master || m_master->isGroupObject())
        return refuse(error, tr("A symbol whose master is a group takes no style."));
    if (!value->isValid() || (value->isNull() && !pf::objectFromVariant(*value)))
        return true;
    if (pf::objectCast<PWStyle>(*value))
        return true;
    if (auto renderer = pf::objectCast<PWRasterizer>(*value)) {
        pf::Ref<PWStyle> current = style();
        pf::Ref<PWStyle> result;
        if (current) {
            result = std::static_pointer_cast<PWStyle>(current->mutableCopy());
            // The renderer joins the copy, replacing one of its own class.
            for (const auto& same : result->renderersOfClass(renderer->objClass()))
                result->removeRenderer(same.get());
            result->addRenderer(std::static_pointer_cast<PWRasterizer>(renderer->copy()));
        } else {
            result = std::make_shared<PWStyle>();
            result->addRenderer(std::static_pointer_cast<PWRasterizer>(renderer->copy()));
        }
        *value = pf::toVariant(std::static_pointer_cast<pf::Object>(result));
        return true;
    }
    return refuse(error, tr("That value is not a style."));
}

bool PWXSymbol::validateScaleFactor(QVariant* value, pf::Error* error) const
{
    bool ok = false;
    const double factor = value ? value->toDouble(&ok) : 0.0;
    if (!ok || !std::isfinite(factor) || !value->canConvert<double>() || value->typeId() == QMetaType::QString)
        return refuse(error, tr("The scale factor must be a number."));
    return true;
}

bool PWXSymbol::validateAngle(QVariant* value, pf::Error* error) const
{
    bool ok = false;
    const double angle = value ? value->toDouble(&ok) : 0.0;
    if (!ok || !std::isfinite(angle) || value->typeId() == QMetaType::QString)
        return refuse(error, tr("The angle must be a number."));
    return true;
}

QList<pf::Ref<PWStyle>> PWXSymbol::allStyles() const
{
    pf::Ref<PWStyle> s = style();
    return s ? QList<pf::Ref<PWStyle>>{s} : QList<pf::Ref<PWStyle>>{};
}

// Drawing ----------------------------------------------------------------------------------------

void PWXSymbol::drawContent()
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context || !m_master || !visible())
        return;
    pf::GraphicsStateSaver saver(context);
    if (m_scaleVisually)
        context->painter().setTransform(localTransform() * containerTransform(), true);
    m_master->drawSymbolInstance(this);
}

void PWXSymbol::drawSelectedState()
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context || isPendingCreation())
        return;
    updateCachedBoundsIfNeeded();
    QPainter* painter = &context->painter();
    pf::GraphicsStateSaver saver(context);
    QPainterPath outline;
    outline.addPolygon(localTransform().map(QPolygonF(m_masterBounds)));
    outline.closeSubpath();
    outline = containerTransform().map(outline);
    QPen wide(locked() ? QColor(211, 211, 211, 128) : QColor(0, 0, 255, 84), 4.0);
    wide.setJoinStyle(Qt::RoundJoin);
    painter->strokePath(outline, wide);
    QPen thin(locked() ? QColor(Qt::gray) : selectionMarkColour(), 0.5);
    painter->strokePath(outline, thin);
    if (locked())
        return;
    PWKnob* knobs = knobsToDraw();
    knobs->drawKnob(containerTransform().map(m_location), PWKnob::kLocationKnobType, m_angle, QColor());
    if (m_showSizeHandle)
        knobs->drawKnob(containerTransform().map(sizeHandlePoint()), PWKnob::kSizeHandleKnobType, m_angle,
                        selectionMarkColour());
}

QPointF PWXSymbol::sizeHandlePoint() const
{
    updateCachedBoundsIfNeeded();
    return localTransform().map(QPointF(m_masterBounds.right() - 1.0, m_masterBounds.bottom() - 1.0));
}

int PWXSymbol::hitPart(const QPointF& point) const
{
    if (!visible() || !bounds().contains(point))
        return kNoPart;
    if (m_showSizeHandle && !locked() && knobsToDraw()->hitTestKnob(point, sizeHandlePoint(), PWKnob::kSizeHandleKnobType, m_angle))
        return kSizeHandlePart;
    pf::Ref<PWDrawableObject> drawable = masterObject();
    if (!drawable)
        return kNoPart;
    bool invertible = false;
    const QTransform inverse = localTransform().inverted(&invertible);
    if (!invertible)
        return kNoPart;
    const QPointF local = inverse.map(point) + drawable->location();
    return drawable->hitPart(local) != kNoPart ? kEntireObjectPart : kNoPart;
}

void PWXSymbol::mouseDraggedAtPoint(const QPointF& point, int part, bool controlFlag)
{
    if (part != kSizeHandlePart) {
        PWDrawableObject::mouseDraggedAtPoint(point, part, controlFlag);
        return;
    }
    updateCachedBoundsIfNeeded();
    const QPointF p = snappedMousePoint(point, controlFlag);
    const double diagonal = std::hypot(m_masterBounds.width(), m_masterBounds.height());
    if (diagonal <= 0.0 || !std::isfinite(diagonal))
        return;
    setScaleFactor(2.0 * std::hypot(p.x() - m_location.x(), p.y() - m_location.y()) / diagonal);
}

void PWXSymbol::group(PWShapeGroup* group, const QTransform& transform)
{
    PF_ASSERT(group, "expected valid group");
    if (!group)
        return;
    setLocation(transform.map(m_location));
    const QRectF reference = group->referenceRect();
    const QSizeF groupSize = group->size();
    // Degenerate groups give no ratio: the scale stays.
    if (reference.width() > 0.0 && reference.height() > 0.0 && groupSize.width() > 0.0 && groupSize.height() > 0.0) {
        const double ratio = std::min(groupSize.width() / reference.width(), groupSize.height() / reference.height());
        if (std::isfinite(ratio) && ratio > 0.0)
            setScaleFactor(m_scaleFactor * ratio);
    }
    rotateByAngle(group->angle());
}

bool PWXSymbol::performDragOperation(const pf::Pasteboard& pasteboard, const QPointF& point)
{
    if (locked())
        return false;
    if (PWXSymbolMaster::canInitWithPasteboard(&pasteboard)) {
        pf::Ref<PWXSymbolMaster> master = PWXSymbolMaster::symbolMasterWithPasteboard(&pasteboard);
        if (!master || master == m_master)
            return false;
        asUndoStep(undoManager(), tr("Drop Symbol Master"), [&] { setMaster(master); });
        return m_master == master;
    }
    const QStringList types = pasteboard.types();
    const bool styleDrop = types.contains(kPWStylePasteboardType) || types.contains(kPWStyleKeyPasteboardType);
    if ((styleDrop || types.contains(pf::NSPasteboardTypeColor)) && !m_useLocalStyle) {
        // The master's style is shared by every instance: what is dropped goes to a local copy.
        if (!m_master || m_master->isGroupObject() || !m_master->style())
            return false;
        if (styleDrop) {
            QVariant value = pf::toVariant(PWStylePasteboard::styleFromPasteboard(pasteboard));
            if (value.isNull() || !validateStyle(&value, nullptr))
                return false;
        }
        bool done = false;
        asUndoStep(undoManager(), styleDrop ? tr("Apply Style") : tr("Set Fill Colour"), [&] {
            setUsesLocalStyle(true);
            done = m_useLocalStyle && PWDrawableObject::performDragOperation(pasteboard, point);
        });
        return done;
    }
    return PWDrawableObject::performDragOperation(pasteboard, point);
}

// Commands ---------------------------------------------------------------------------------------

bool PWXSymbol::populateContextualMenu(pf::Menu& menu, const QPointF&)
{
    auto add = [&](const char* title, const QString& action, bool targeted = true) {
        pf::Ref<pf::MenuItem> item = pf::MenuItem::make(tr(title), action);
        if (targeted)
            item->setTarget(this);
        menu.addItem(item);
    };
    add("Detach From Symbol Master", "detachSymbol:");
    add("Show Master In Library", "revealMasterSymbol:");
    add("Pick Up", "pickUpSymbol:", false);
    menu.addItem(pf::MenuItem::separator());
    add("Copy Style", "copyDrawingStyle:");
    add("Copy Symbol Master", "copySymbolMaster:");
    if (PWXSymbolMaster::canInitWithPasteboard(pf::Pasteboard::general().get()))
        add("Paste Symbol Master", "pasteSymbolMaster:");
    return true;
}

bool PWXSymbol::validateMenuItem(pf::MenuItem& item)
{
    const QString action = item.action();
    const bool sequenceable = m_master && m_master->sequenceable();
    PWXSymbolSequence* seq = sequence();
    if (action == "detachSymbol:" || action == "pickUpSymbol:" || action == "scaleSymbolWithTagOfSender:")
        return !locked();
    if (action == "pasteSymbolMaster:")
        return !locked() && PWXSymbolMaster::canInitWithPasteboard(pf::Pasteboard::general().get());
    if (action == "copySymbolMaster:" || action == "revealMasterSymbol:")
        return true;
    if (action == "renumberSequence:")
        return !locked() && seq && !seq->autoRenumbers();
    if (action == "toggleAutoRenumbering:")
        return !locked();
    if (action == "setSequenceKindAction:")
        return !locked() && sequenceable;
    if (action == "moveForwardInSequence:" || action == "moveToEndOfSequence:")
        return !locked() && sequenceable && seq && positionInSequence() < seq->maxSequenceNumber();
    if (action == "moveBackwardInSequence:" || action == "moveToStartOfSequence:")
        return !locked() && sequenceable && seq && seq->startingOffset() < positionInSequence();
    if (action == "insertKeyTable:")
        return seq != nullptr;
    return !locked();
}

pf::Ref<PWDrawableObject> PWXSymbol::detachSymbol()
{
    auto* layer = dynamic_cast<PWObjectOwnerLayer*>(this->layer());
    if (!layer || locked())
        return nullptr;
    pf::Ref<PWDrawableObject> replacement = mutableCopyOfMasterObject();
    PF_ASSERT(replacement, "couldn't detach - object was nil");
    if (!replacement)
        return nullptr;
    // The drawn angle: an absolute angle is not applied to the drawing.
    const double drawnAngle = m_absoluteAngle ? 0.0 : m_angle;
    auto self = ref<PWDrawableObject>();
    layer->recordSelectionForUndo();
    replacement->setLocation(m_location);
    replacement->setAngle(replacement->angle() + drawnAngle);
    replacement->resizeWidthBy(m_scaleFactor, m_scaleFactor);
    replacement->addMetadata(metadata());
    if (m_useLocalStyle && PWDrawableObject::style())
        replacement->setStyle(PWDrawableObject::style());
    layer->addObject(replacement);
    layer->replaceSelectionWithObject(replacement);
    layer->removeObject(self);
    layer->commitSelectionUndoWithActionName(tr("Detach Symbol"));
    return replacement;
}

bool PWXSymbol::pickUpSymbol(bool keepInstance)
{
    pf::Ref<PWDrawingTool> tool = PWDrawingTool::drawingToolWithName(kStampToolName);
    if (!tool || locked() || !m_master || !tool->respondsTo("setSymbolMaster:"))
        return false;
    tool->perform("setSymbolMaster:", {pf::toVariant(std::static_pointer_cast<pf::Object>(m_master))});
    m_master->setAttributesTemplate(metadata());
    tool->set();
    if (!keepInstance)
        if (auto* layer = dynamic_cast<PWObjectOwnerLayer*>(this->layer())) {
            auto self = ref<PWDrawableObject>();
            layer->recordSelectionForUndo();
            layer->removeObject(self);
            layer->commitSelectionUndoWithActionName(tr("Pick Up Symbol"));
        }
    return true;
}

void PWXSymbol::scaleSymbolWithTag(int tag)
{
    if (locked())
        return;
    asUndoStep(undoManager(), tr("Change Symbol Scale"), [&] { setScaleFactor(tag / 10.0); });
}

void PWXSymbol::revealMasterSymbol() const
{
    if (!m_master)
        return;
    pf::Ref<PWXLibraryManagerWindowController> manager = PWXLibraryManagerWindowController::sharedLibraryManager();
    manager->showWindow({});
    manager->showItemWithUniqueID(m_master->uniqueKey(), true);
}

void PWXSymbol::copySymbolMaster() const
{
    pf::Ref<pf::Pasteboard> pasteboard = pf::Pasteboard::general();
    if (!m_master || !pasteboard)
        return;
    pasteboard->declareTypes({}, const_cast<PWXSymbol*>(this));
    m_master->copyToPasteboard(pasteboard.get());
}

bool PWXSymbol::pasteSymbolMaster()
{
    pf::Ref<pf::Pasteboard> pasteboard = pf::Pasteboard::general();
    if (locked() || !PWXSymbolMaster::canInitWithPasteboard(pasteboard.get()))
        return false;
    pf::Ref<PWXSymbolMaster> master = PWXSymbolMaster::symbolMasterWithPasteboard(pasteboard.get());
    if (!master)
        return false;
    asUndoStep(undoManager(), tr("Paste Symbol Master"), [&] { setMaster(master); });
    return true;
}

void PWXSymbol::selectMatchingStyle()
{
    if (m_master)
        m_master->selectAllSymbols();
}

// Sequence ---------------------------------------------------------------------------------------

PWXSymbolSequence* PWXSymbol::sequence() const { return m_sequenceRef; }

void PWXSymbol::setSequence(PWXSymbolSequence* sequence)
{
    if (sequence != m_sequenceRef) {
        m_sequenceRef = sequence;
        if (!sequence)
            m_sequenceObject.reset();
    }
    loadSequenceNumber();
}

void PWXSymbol::loadSequenceNumber()
{
    if (m_sequenceRef) {
        m_sequenceIndex = m_sequenceRef->sequenceNumberForSymbol(this);
        if (m_sequenceIndex != pf::kNotFound) {
            setMetadataString(m_sequenceRef->sequenceStringForSymbol(this), kPWXSequenceNumberKey);
            setMetadataInteger(m_sequenceIndex, kPWXSequenceCardKey);
        }
    }
    notifyVisualChange();
}

void PWXSymbol::adjustSequence(PWXSymbolSequence* oldSequence)
{
    auto* layer = dynamic_cast<PWObjectOwnerLayer*>(this->layer());
    pf::Ref<pf::Object> answer = (layer && m_master) ? layer->sequenceForSymbolMaster(m_master) : nullptr;
    auto* current = dynamic_cast<PWXSymbolSequence*>(answer.get());
    if (oldSequence && oldSequence == current)
        return;
    if (oldSequence)
        oldSequence->removeSymbol(this);
    if (m_sequenceRef == oldSequence)
        setSequence(nullptr);
    if (current) {
        m_sequenceObject = answer;
        current->addSymbol(this);
    }
}

qint64 PWXSymbol::positionInSequence() const
{
    return m_sequenceRef ? m_sequenceRef->sequenceNumberForSymbol(this) : m_sequenceIndex;
}

void PWXSymbol::setPositionInSequence(qint64 position)
{
    if (!m_sequenceRef || locked())
        return;
    const qint64 offset = m_sequenceRef->startingOffset();
    m_sequenceRef->moveSymbolAtIndex(positionInSequence() - offset, position - offset);
    loadSequenceNumber();
}

void PWXSymbol::moveInSequence(qint64 position, const QString& actionName)
{
    if (!m_sequenceRef || locked())
        return;
    setPositionInSequence(position);
    if (RVUndoManager* undo = undoManager(); undo && !actionName.isEmpty())
        undo->setActionName(actionName);
}

void PWXSymbol::moveForwardInSequence(const QString& actionName) { moveInSequence(positionInSequence() + 1, actionName); }
void PWXSymbol::moveBackwardInSequence(const QString& actionName) { moveInSequence(positionInSequence() - 1, actionName); }

void PWXSymbol::moveToStartOfSequence(const QString& actionName)
{
    if (m_sequenceRef)
        moveInSequence(m_sequenceRef->startingOffset(), actionName);
}

void PWXSymbol::moveToEndOfSequence(const QString& actionName)
{
    if (m_sequenceRef)
        moveInSequence(m_sequenceRef->maxSequenceNumber(), actionName);
}

void PWXSymbol::setSequenceKind(int kind)
{
    if (!m_sequenceRef || locked())
        return;
    m_sequenceRef->setSequenceKind(kind);
    if (RVUndoManager* undo = undoManager())
        undo->setActionName(tr("Sequence Type"));
}

void PWXSymbol::toggleAutoRenumbering()
{
    if (m_sequenceRef && !locked())
        m_sequenceRef->setAutoRenumbers(!m_sequenceRef->autoRenumbers());
}

void PWXSymbol::insertKeyTable()
{
    if (m_sequenceRef)
        m_sequenceRef->createAndInsertKeyTable();
}

void PWXSymbol::renumberSequenceAfterAsking()
{
    if (!m_sequenceRef || locked())
        return;
    pf::Ref<pf::Alert> alert = pf::Alert::legacy(
        tr("Renumber Symbol Sequence of '%1'?").arg(masterName()), tr("Cancel"), tr("Renumber"), QString(),
        tr("Symbol sequence number of new symbols with this master will be renumbered from 1. This will eliminate "
           "any gaps in the sequence."));
    // The alternate button answers 0.
    if (alert->runModal() == 0)
        renumberSequence();
}

void PWXSymbol::renumberSequence()
{
    if (!m_sequenceRef || locked())
        return;
    m_sequenceRef->renumber();
    loadSequenceNumber();
    if (RVUndoManager* undo = undoManager())
        undo->setActionName(tr("Renumber Symbols"));
}

PWXSymbolSequence* PWXSymbol::makeSequencable()
{
    if (locked() || !m_master || m_master->locked() || m_sequenceRef)
        return m_sequenceRef;
    m_master->setSequenceable(true);
    adjustSequence(nullptr);
    if (m_sequenceRef) {
        QList<PWXSymbol*> instances;
        for (PWXSymbolMasterClient* client : m_master->symbols())
            if (auto* symbol = dynamic_cast<PWXSymbol*>(client))
                instances.append(symbol);
        m_sequenceRef->setSymbols(instances);
        if (RVUndoManager* undo = undoManager())
            undo->setActionName(tr("Make Sequenceable"));
    }
    return m_sequenceRef;
}

void PWXSymbol::makeUnsequencable()
{
    if (m_sequenceRef && m_master)
        m_master->setSequenceable(false);
}

void PWXSymbol::setContainer(PWDrawableContainer* container)
{
    PWXSymbolSequence* current = m_sequenceRef;
    const bool wasOnLayer = layer() != nullptr;
    PWDrawableObject::setContainer(container);
    joinMaster();
    if (layer())
        adjustSequence(current);
    else if (wasOnLayer && current) {
        current->removeSymbol(this);
        setSequence(nullptr);
    }
}

// Output properties ------------------------------------------------------------------------------

QStringList PWXSymbol::availableOutputProperties() { return {"scaleFactor", "style", "angle", "labelAttributes"}; }

namespace {

QVariantMap outputPropertyTable(const QString& format)
{
    QVariantMap table;
    const pf::Class& cls = PWXSymbol::staticClass();
    for (const QString& property : PWXSymbol::availableOutputProperties()) {
        const QString selector = format.arg(pw::stringByCapitalizingFirstCharacter(property));
        if (cls.respondsToClassMethod(selector))
            table.insert(property, cls.performClassMethod(selector));
    }
    return table;
}

} // namespace

QVariantMap PWXSymbol::acceptableTypesForOutputProperties() { return outputPropertyTable("acceptableTypesFor%1"); }
QVariantMap PWXSymbol::displayNamesForOutputProperties() { return outputPropertyTable("displayNameFor%1"); }

// Description ------------------------------------------------------------------------------------

void PWXSymbol::addSearchablePropertiesToDictionary(QVariantMap& dictionary) const
{
    if (m_master)
        m_master->addSearchablePropertiesToDictionary(dictionary);
}

QString PWXSymbol::displayName() const { return tr("Symbol"); }

QString PWXSymbol::description() const
{
    return QStringLiteral("%1, Master: %2")
        .arg(PWDrawableObject::description(), m_master ? m_master->description() : QStringLiteral("(null)"));
}

QStringList PWXSymbol::observableKeyPaths()
{
    return PWDrawableObject::observableKeyPaths()
           + QStringList{"scaleFactor", "usesLocalStyle", "positionInSequence", "name", "ignoresDataTransformers"};
}

PWImageDataManager* PWXSymbol::imageManager() const
{
    PWDrawableContainer* c = container();
    return c ? c->imageManager() : (m_master ? m_master->imageManager() : nullptr);
}

// Master client ----------------------------------------------------------------------------------

void PWXSymbol::symbolMasterWillChange(PWXSymbolMaster&)
{
    notifyVisualChange();
    m_oldBoundsSaved = bounds();
}

void PWXSymbol::symbolMasterDidChange(PWXSymbolMaster&)
{
    m_masterBounds = QRectF();
    notifyGeometryChange(m_oldBoundsSaved);
    notifyVisualChange();
}

// Copying and coding -----------------------------------------------------------------------------

pf::Ref<pf::Object> PWXSymbol::copy() const
{
    auto symbol = std::make_shared<PWXSymbol>(*this);
    symbol->joinMaster();
    return symbol;
}

void PWXSymbol::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWDrawableObject::encodeWithCoder(coder);
    coder.encodeObject(m_master, kMasterKey);
    coder.encodePoint(m_location, kLocationKey);
    coder.encodeDouble(m_angle, kAngleKey);
    coder.encodeBool(m_absoluteAngle, kAbsoluteAngleKey);
    coder.encodeDouble(m_scaleFactor, kScaleFactorKey);
    coder.encodeBool(m_useLocalStyle, kUseLocalStyleKey);
    coder.encodeBool(m_labelsHidden, kLabelsHiddenKey);
    coder.encodeBool(m_scaleVisually, kScaleVisuallyKey);
    coder.encodeBool(true, kIgnoresDTsKey);
    coder.encodeBool(true, kModernSequenceKey);
    coder.encodeRect(m_masterBounds, kCachedMasterBoundsKey);
}

void PWXSymbol::initWithCoder(pf::KeyedUnarchiver& coder)
{
    PWDrawableObject::initWithCoder(coder);
    m_showSizeHandle = s_defaultSizeHandleVisible;
    m_sequenceIndex = pf::kNotFound;
    m_priorSequenceIndex = pf::kNotFound;
    m_location = coder.decodePoint(kLocationKey);
    if (!std::isfinite(m_location.x()) || !std::isfinite(m_location.y()))
        m_location = QPointF();
    const double angle = coder.decodeDouble(kAngleKey);
    m_angle = std::isfinite(angle) ? angle : 0.0;
    m_absoluteAngle = coder.decodeBool(kAbsoluteAngleKey);
    const double scale = coder.decodeFloat(kScaleFactorKey);
    // Neither zero nor a value that is not finite can scale anything.
    m_scaleFactor = (std::isfinite(scale) && scale > 0.0) ? std::clamp(scale, kMinimumScale, kMaximumScale) : 1.0;
    m_useLocalStyle = coder.decodeBool(kUseLocalStyleKey);
    m_labelsHidden = coder.decodeBool(kLabelsHiddenKey);
    m_scaleVisually = readsScaleVisually();
    m_modernSequencing = coder.decodeBool(kModernSequenceKey);
    const QRectF cached = coder.decodeRect(kCachedMasterBoundsKey);
    const bool finiteRect = std::isfinite(cached.x()) && std::isfinite(cached.y()) && std::isfinite(cached.width())
                            && std::isfinite(cached.height());
    m_masterBounds = finiteRect ? cached : QRectF();
    if (!coder.containsValueForKey(kMasterKey)) {
        RVLog(kFileEvent, QStringLiteral("substituting default master for corrupted symbol '%1'").arg(name()));
        m_master = PWXSymbolMaster::defaultSymbolMaster();
    } else {
        m_master = coder.decodeObjectOfClass<PWXSymbolMaster>(kMasterKey);
    }
    if (!m_modernSequencing)
        m_masterBounds = QRectF();
    clearBoundsCache();
}

pf::Ref<pf::Object> PWXSymbol::awakeAfterUsingCoder(pf::KeyedUnarchiver&)
{
    if (!m_master) {
        RVLog(kFileEvent, QStringLiteral("%1 failed to load symbol master (object skipped)").arg(description()));
        return nullptr;
    }
    // Attaching needs the instance held by a reference; the master's client list is the main
    // thread's (joinMaster hands the join over there).
    if (m_modernSequencing)
        joinMaster();
    else
        setMaster(std::exchange(m_master, nullptr), true);
    return ref<pf::Object>();
}
