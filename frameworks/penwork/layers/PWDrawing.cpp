#include "frameworks/penwork/layers/PWDrawing.h"

#include "frameworks/measurement/RVUnitLength.h"
#include "frameworks/penwork/drawables/PWDrawableObject.h"
#include "frameworks/penwork/drawables/PWImageDataManager.h"
#include "frameworks/penwork/layers/PWObjectOwnerLayer.h"
#include "frameworks/penwork/drawables/PWShapeGroup.h"
#include "frameworks/penwork/drawables/PWImageShape.h"
#include "frameworks/penwork/layers/PWGridLayer.h"
#include "frameworks/penwork/layers/PWGuideLayer.h"
#include "frameworks/penwork/layers/PWIsometricGridLayer.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/output/PWRenderingOutput.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/graphics/GraphicsContext.h"

#include <QMutex>
#include <functional>
#include <QSet>

#include <cmath>

namespace {

const QString kSizeKey = QStringLiteral("pw_drawing_size");
const QString kMarginLeftKey = QStringLiteral("pw_drawing_marginLeft");
const QString kMarginTopKey = QStringLiteral("pw_drawing_marginTop");
const QString kMarginRightKey = QStringLiteral("pw_drawing_marginRight");
const QString kMarginBottomKey = QStringLiteral("pw_drawing_marginBottom");
const QString kPaperColourKey = QStringLiteral("pw_drawing_paperColour");
const QString kPaperPrintedKey = QStringLiteral("pw_drawing_paperColourIsPrinted");
const QString kUnitsKey = QStringLiteral("pw_drawing_units");
const QString kGridTypeKey = QStringLiteral("pw_drawing_gridType");
const QString kActiveLayerKey = QStringLiteral("pw_drawing_activeLayer");
const QString kSnapsToGridKey = QStringLiteral("pw_drawing_snapsToGrid");
const QString kSnapsToGuidesKey = QStringLiteral("pw_drawing_snapsToGuides");
const QString kMetadataKey = QStringLiteral("pw_drawing_metadata");
const QString kImagesKey = QStringLiteral("pw_drawing_images");

const QString kSnapToGridOnGridVisibleDefault = QStringLiteral("kPWDrawingSnapToGridOnGridVisible");

// A4 portrait.
const QSizeF kDefaultSize(595.2755905511812, 841.8897637795276);

bool isValidLength(double value)
{
    return std::isfinite(value) && value >= 0.0;
}

QMutex& classSettingsMutex()
{
    static QMutex mutex;
    return mutex;
}

QString& dearchivingHelperClassName()
{
    static QString name;
    return name;
}

QString dimensionKey(const QString& suffix)
{
    return kPWDrawingDimensionsInfoKey.toLower() + suffix;
}

} // namespace

PF_DEFINE_CLASS(PWDrawing, PWLayerGroup)
{
    b.protocol(pf::kCodingProtocol);
    b.property("drawingSize", &PWDrawing::drawingSize, &PWDrawing::setDrawingSize);
    b.property("leftMargin", &PWDrawing::leftMargin);
    b.property("topMargin", &PWDrawing::topMargin);
    b.property("rightMargin", &PWDrawing::rightMargin);
    b.property("bottomMargin", &PWDrawing::bottomMargin);
    b.property("interior", &PWDrawing::interior);
    b.keyPathsAffecting("interior", {"drawingSize", "leftMargin", "topMargin", "rightMargin", "bottomMargin"});
    b.property(
        "paperColour",
        std::function<QVariant(const PWDrawing&)>([](const PWDrawing& drawing) {
            const pf::Color colour = drawing.paperColour();
            return colour.isValid() ? pf::toVariant(std::make_shared<pf::Color>(colour)) : QVariant();
        }),
        std::function<void(PWDrawing&, const QVariant&)>([](PWDrawing& drawing, const QVariant& value) {
            auto colour = pf::objectCast<pf::Color>(value);
            drawing.setPaperColour(colour ? *colour : pf::Color());
        }));
    b.property("paperColourIsPrinted", &PWDrawing::paperColourIsPrinted, &PWDrawing::setPaperColourIsPrinted);
    b.property("units", &PWDrawing::units, &PWDrawing::setUnits);
    b.property("unitToPointsConversionFactor", &PWDrawing::unitToPointsConversionFactor);
    b.property("drawingUnits", &PWDrawing::drawingUnits);
    b.property("abbreviatedDrawingUnits", &PWDrawing::abbreviatedDrawingUnits);
    for (const char* key : {"unitToPointsConversionFactor", "drawingUnits", "abbreviatedDrawingUnits"})
        b.keyPathsAffecting(key, {"units"});
    b.property("gridType", &PWDrawing::gridType, &PWDrawing::setGridType);
    b.property("gridLayer", &PWDrawing::gridLayer);
    b.property("guideLayer", &PWDrawing::guideLayer);
    b.property("activeLayer", &PWDrawing::activeLayer,
               static_cast<void (PWDrawing::*)(const pf::Ref<PWLayer>&)>(&PWDrawing::setActiveLayer));
    b.property("snapsToGrid", &PWDrawing::snapsToGrid, &PWDrawing::setSnapsToGrid);
    b.property("snapsToGuides", &PWDrawing::snapsToGuides, &PWDrawing::setSnapsToGuides);
    b.property("drawingInfo", &PWDrawing::drawingInfo, &PWDrawing::setDrawingInfo);
    b.property("dynamicQualityModulationEnabled", &PWDrawing::dynamicQualityModulationEnabled,
               &PWDrawing::setDynamicQualityModulationEnabled);
    b.property("owner", &PWDrawing::owner);
    b.property("controllers", &PWDrawing::controllerViews);
    b.property("delegateConvertedDisplayUnits", &PWDrawing::delegateConvertedDisplayUnits);
    b.property("delegateConvertedDisplayMultiplier", &PWDrawing::delegateConvertedDisplayMultiplier);
    b.method("setActiveLayer:withUndo:",
             static_cast<void (PWDrawing::*)(const pf::Ref<PWLayer>&, bool)>(&PWDrawing::setActiveLayer));
    b.method("setMarginsLeft:top:right:bottom:", &PWDrawing::setMargins);
    b.method("stringForKey:", &PWDrawing::stringForKey);
    b.method("setString:forKey:", &PWDrawing::setStringForKey);
    b.method("convertLength:", &PWDrawing::convertLength);
    b.method("uniqueLayerNameForName:", &PWDrawing::uniqueLayerNameForName);
    b.method("showAll", &PWDrawing::showAll);
    b.method("hideAllExcept:", &PWDrawing::hideAllExcept);
    b.method("snapToGrid:withControlFlag:", &PWDrawing::snapToGrid);
    b.method("snapToGuides:", &PWDrawing::snapToGuides);
    b.classMethod("penworkVersionString", [](const pf::Class&, const QVariantList&) {
        return QVariant(PWDrawing::penworkVersionString());
    });
    b.classMethod("abbreviationForDrawingUnits:", [](const pf::Class&, const QVariantList& arguments) {
        return QVariant(PWDrawing::abbreviationForDrawingUnits(arguments.value(0).toString()));
    });
    b.classMethod("defaultDrawingInfo", [](const pf::Class&, const QVariantList&) {
        return QVariant(PWDrawing::defaultDrawingInfo());
    });
}

PWDrawing::PWDrawing()
    : m_size(kDefaultSize),
      m_units(RVUnitLength::points()),
      m_undoManager(std::make_shared<RVUndoManager>()),
      m_imageManager(std::make_shared<PWImageDataManager>())
{
}

PWDrawing::~PWDrawing() = default;

pf::Ref<PWDrawing> PWDrawing::defaultDrawing()
{
    auto drawing = std::make_shared<PWDrawing>();
    pf::UndoRegistrationDisabled noUndo(drawing->undoManager());
    drawing->setUnits(RVUnitLength::centimeters());
    auto grid = std::make_shared<PWGridLayer>();
    grid->setLayerName(QStringLiteral("Grid"));
    drawing->addLayer(grid);
    auto layer = std::make_shared<PWObjectDrawingLayer>();
    layer->setLayerName(QStringLiteral("Layer 1"));
    drawing->addLayer(layer);
    auto guides = std::make_shared<PWGuideLayer>();
    guides->setLayerName(QStringLiteral("Guides"));
    drawing->addLayer(guides);
    guides->setGuideDeletionRect(drawing->interior());
    drawing->setActiveLayer(layer);
    return drawing;
}

bool PWDrawing::snapToGridOnGridVisible()
{
    return pf::UserDefaults::standard().boolForKey(kSnapToGridOnGridVisibleDefault);
}

void PWDrawing::setSnapToGridOnGridVisible(bool snapOnlyWhenVisible)
{
    pf::UserDefaults::standard().setBool(snapOnlyWhenVisible, kSnapToGridOnGridVisibleDefault);
}

QString PWDrawing::dearchivingHelperClass()
{
    QMutexLocker lock(&classSettingsMutex());
    return dearchivingHelperClassName();
}

void PWDrawing::setDearchivingHelperClass(const QString& className)
{
    QMutexLocker lock(&classSettingsMutex());
    dearchivingHelperClassName() = className;
}

QString PWDrawing::penworkVersionString()
{
    return QStringLiteral("1.0");
}

QString PWDrawing::abbreviationForDrawingUnits(const QString& units)
{
    auto unit = RVUnitLength::unitWithName(units);
    return unit ? unit->symbol() : units;
}

PWDrawing* PWDrawing::drawing() const
{
    return const_cast<PWDrawing*>(this);
}

// Page ----------------------------------------------------------------------------------------

void PWDrawing::setDrawingSize(const QSizeF& size)
{
    if (!isValidLength(size.width()) || !isValidLength(size.height()) || size == m_size)
        return;
    m_undoManager->registerUndo(this, QStringLiteral("setDrawingSize:"), QVariant(m_size));
    setObservedValue(m_size, size, QStringLiteral("drawingSize"));
    setNeedsDisplay(true);
}

void PWDrawing::setMargins(double left, double top, double right, double bottom)
{
    for (double margin : {left, top, right, bottom})
        if (!isValidLength(margin))
            return;
    const Margins old = m_margins;
    if (old.left == left && old.top == top && old.right == right && old.bottom == bottom)
        return;
    m_undoManager->registerUndo(this, [this, old] { setMargins(old.left, old.top, old.right, old.bottom); });
    const QStringList keys{"leftMargin", "topMargin", "rightMargin", "bottomMargin"};
    for (const QString& key : keys)
        willChangeValueForKey(key);
    m_margins = {left, top, right, bottom};
    for (auto it = keys.rbegin(); it != keys.rend(); ++it)
        didChangeValueForKey(*it);
    setNeedsDisplay(true);
}

QRectF PWDrawing::interior() const
{
    const double width = std::max(0.0, m_size.width() - m_margins.left - m_margins.right);
    const double height = std::max(0.0, m_size.height() - m_margins.top - m_margins.bottom);
    return QRectF(m_margins.left, m_margins.top, width, height);
}

void PWDrawing::setPaperColour(const pf::Color& colour)
{
    if (colour == m_paperColour)
        return;
    const pf::Color old = m_paperColour;
    m_undoManager->registerUndo(this, [this, old] { setPaperColour(old); });
    setObservedValue(m_paperColour, colour, QStringLiteral("paperColour"));
    setNeedsDisplay(true);
}

void PWDrawing::setPaperColourIsPrinted(bool printed)
{
    if (printed == m_paperColourIsPrinted)
        return;
    m_undoManager->registerUndo(this, QStringLiteral("setPaperColourIsPrinted:"), m_paperColourIsPrinted);
    setObservedValue(m_paperColourIsPrinted, printed, QStringLiteral("paperColourIsPrinted"));
}

// Units -----------------------------------------------------------------------------------------

void PWDrawing::setUnits(const pf::Ref<RVUnitLength>& units)
{
    if (!units || units->isEqualToUnit(m_units))
        return;
    m_undoManager->registerUndo(this, QStringLiteral("setUnits:"), pf::toVariant(m_units));
    setObservedValue(m_units, units, QStringLiteral("units"));
    pf::NotificationCenter::defaultCenter().post(kPWDrawingUnitsDidChangeNotification, this);
    setNeedsDisplay(true);
}

double PWDrawing::unitToPointsConversionFactor() const
{
    return m_units->conversionFactorForPoints();
}

QString PWDrawing::drawingUnits() const
{
    return m_units->fullName().toLower();
}

QString PWDrawing::abbreviatedDrawingUnits() const
{
    return m_units->symbol();
}

double PWDrawing::convertLength(double points) const
{
    return points / unitToPointsConversionFactor();
}

// Grid and guides ---------------------------------------------------------------------------------

pf::Ref<PWGridLayer> PWDrawing::gridLayer() const
{
    return std::dynamic_pointer_cast<PWGridLayer>(firstLayerOfClass(PWGridLayer::staticClass()));
}

pf::Ref<PWGuideLayer> PWDrawing::guideLayer() const
{
    return std::dynamic_pointer_cast<PWGuideLayer>(firstLayerOfClass(PWGuideLayer::staticClass()));
}

void PWDrawing::setGridType(int type)
{
    if (type == m_gridType)
        return;
    setGridTypeValue(type);
    if (type == 0)
        replaceGridLayer(PWGridLayer::staticClass());
    else if (type == 1)
        replaceGridLayer(PWIsometricGridLayer::staticClass());
}

void PWDrawing::setGridTypeValue(int type)
{
    const int old = m_gridType;
    m_undoManager->registerUndo(this, [this, old] { setGridTypeValue(old); });
    setObservedValue(m_gridType, type, QStringLiteral("gridType"));
}

void PWDrawing::replaceGridLayer(const pf::Class& cls)
{
    pf::Ref<PWGridLayer> old = gridLayer();
    if (!old || old->isMemberOf(cls) || locked())
        return;
    auto grid = std::dynamic_pointer_cast<PWGridLayer>(cls.create());
    if (!grid)
        return;
    grid->copyGridSettingsFrom(*old);
    const qint64 index = indexOfLayer(old.get());
    removeLayer(old);
    insertLayer(grid, std::min(index, countOfLayers()));
}

// Active layer ------------------------------------------------------------------------------------

bool PWDrawing::containsLayer(const PWLayer& layer) const
{
    for (pf::Ref<PWLayerGroup> group = layer.layerGroup(); group; group = group->layerGroup())
        if (group.get() == this)
            return true;
    return false;
}

void PWDrawing::setActiveLayer(const pf::Ref<PWLayer>& layer)
{
    setActiveLayer(layer, false);
}

void PWDrawing::setActiveLayer(const pf::Ref<PWLayer>& layer, bool withUndo)
{
    if (layer && !containsLayer(*layer))
        pf::raise(pf::NSInvalidArgumentException,
                  QStringLiteral("layer '%1' is not a layer of this drawing").arg(layer->layerName()));
    if (layer && !layer->layerMayBecomeActive())
        return;
    pf::Ref<PWLayer> old = activeLayer();
    if (old == layer)
        return;
    if (withUndo) {
        m_undoManager->registerUndo(this, [this, old] {
            // The old layer may have left the drawing since; then there is nothing to restore.
            setActiveLayer(old && containsLayer(*old) ? old : nullptr, true);
        });
    }
    changeActiveLayer(layer);
}

void PWDrawing::changeActiveLayer(const pf::Ref<PWLayer>& layer)
{
    pf::Ref<PWLayer> old = activeLayer();
    willChangeValueForKey(QStringLiteral("activeLayer"));
    m_activeLayer = layer;
    didChangeValueForKey(QStringLiteral("activeLayer"));
    if (old)
        old->layerDidResignActiveLayer();
    if (layer)
        layer->layerDidBecomeActiveLayer();
    pf::NotificationCenter::defaultCenter().post(kPWDrawingActiveLayerDidChange, this);
    invalidateCursors();
}

void PWDrawing::layerWillBeRemoved(const PWLayer& layer)
{
    pf::Ref<PWLayer> active = activeLayer();
    if (!active)
        return;
    bool inside = active.get() == &layer;
    for (pf::Ref<PWLayerGroup> group = active->layerGroup(); group && !inside; group = group->layerGroup())
        inside = group.get() == &layer;
    if (inside)
        setActiveLayer(nullptr, true);
}

pf::Ref<PWLayer> PWDrawing::activeLayerOfClass(const pf::Class& cls) const
{
    pf::Ref<PWLayer> active = activeLayer();
    return active && active->isKindOf(cls) ? active : nullptr;
}

pf::Ref<PWLayer> PWDrawing::firstLayerOfClass(const pf::Class& cls, bool deepSearch) const
{
    if (!deepSearch) {
        for (const auto& layer : layers())
            if (layer->isKindOf(cls))
                return layer;
        return nullptr;
    }
    for (const auto& layer : flattenedLayersIncludingGroups(true))
        if (layer->isKindOf(cls))
            return layer;
    return nullptr;
}

pf::Ref<PWLayer> PWDrawing::firstActivateableLayerOfClass(const pf::Class& cls) const
{
    for (const auto& layer : flattenedLayersIncludingGroups(true))
        if (layer->isKindOf(cls) && layer->layerMayBecomeActive())
            return layer;
    return nullptr;
}

namespace {
void flatten(const PWLayerGroup& group, bool includeGroups, QList<pf::Ref<PWLayer>>& out)
{
    for (const auto& layer : group.layers()) {
        if (auto* child = dynamic_cast<const PWLayerGroup*>(layer.get())) {
            if (includeGroups)
                out.append(layer);
            flatten(*child, includeGroups, out);
        } else {
            out.append(layer);
        }
    }
}
} // namespace

QList<pf::Ref<PWLayer>> PWDrawing::flattenedLayersIncludingGroups(bool includeGroups) const
{
    QList<pf::Ref<PWLayer>> out;
    flatten(*this, includeGroups, out);
    return out;
}

QString PWDrawing::uniqueLayerNameForName(const QString& name) const
{
    const QString base = name.trimmed().isEmpty() ? QStringLiteral("Layer") : name.trimmed();
    QSet<QString> taken;
    for (const auto& layer : flattenedLayersIncludingGroups(true))
        taken.insert(layer->layerName());
    if (!taken.contains(base))
        return base;
    for (qsizetype n = 2;; ++n) {
        const QString candidate = QStringLiteral("%1 %2").arg(base).arg(n);
        if (!taken.contains(candidate))
            return candidate;
    }
}

void PWDrawing::showAll()
{
    for (const auto& layer : flattenedLayersIncludingGroups(true))
        layer->setVisible(true);
}

void PWDrawing::hideAllExcept(const pf::Ref<PWLayer>& keep)
{
    // The kept layer's groups stay visible too, or it would vanish with them.
    QSet<const PWLayer*> shown;
    if (keep) {
        shown.insert(keep.get());
        for (pf::Ref<PWLayerGroup> group = keep->layerGroup(); group; group = group->layerGroup())
            shown.insert(group.get());
    }
    for (const auto& layer : flattenedLayersIncludingGroups(true))
        layer->setVisible(shown.contains(layer.get()));
}

// Snapping --------------------------------------------------------------------------------------

void PWDrawing::setSnapsToGrid(bool snaps)
{
    if (snaps == m_snapsToGrid)
        return;
    setObservedValue(m_snapsToGrid, snaps, QStringLiteral("snapsToGrid"));
    pf::NotificationCenter::defaultCenter().post(kPWDrawingDidChangeSnapToGrid, this);
}

void PWDrawing::setSnapsToGuides(bool snaps)
{
    if (snaps == m_snapsToGuides)
        return;
    setObservedValue(m_snapsToGuides, snaps, QStringLiteral("snapsToGuides"));
    pf::NotificationCenter::defaultCenter().post(kPWDrawingDidChangeSnapToGuides, this);
}

QPointF PWDrawing::snapToGrid(const QPointF& point, bool controlFlag) const
{
    if (m_snapsToGrid == controlFlag)
        return point;
    pf::Ref<PWGridLayer> grid = gridLayer();
    if (!grid || (snapToGridOnGridVisible() && !grid->visible()))
        return point;
    return grid->snapPointToGrid(point);
}

QPointF PWDrawing::snapToGuides(const QPointF& point) const
{
    pf::Ref<PWGuideLayer> guides = guideLayer();
    if (!m_snapsToGuides || !guides)
        return point;
    return guides->snapPointToGuides(point);
}

QSizeF PWDrawing::snapPointsToGuide(const QList<QPointF>& points) const
{
    pf::Ref<PWGuideLayer> guides = guideLayer();
    if (!m_snapsToGuides || !guides)
        return QSizeF(0, 0);
    return guides->snapPointsToGuide(points);
}

// Information and metadata ----------------------------------------------------------------------

QVariantMap PWDrawing::drawingInfo() const
{
    return {{kPWDrawingDimensionsInfoKey, kPWDrawingDimensionsInfoKey},
            {dimensionKey(QStringLiteral(".size_width")), m_size.width()},
            {dimensionKey(QStringLiteral(".size_height")), m_size.height()},
            {kPWDrawingDimensionsUnitsInfoKey, m_units->fullName()}};
}

void PWDrawing::setDrawingInfo(const QVariantMap& info)
{
    const QVariant width = info.value(dimensionKey(QStringLiteral(".size_width")));
    const QVariant height = info.value(dimensionKey(QStringLiteral(".size_height")));
    if (pf::isNumber(width) && pf::isNumber(height))
        setDrawingSize(QSizeF(width.toDouble(), height.toDouble()));
    const QVariant units = info.value(kPWDrawingDimensionsUnitsInfoKey);
    if (units.typeId() == QMetaType::QString)
        if (auto unit = RVUnitLength::unitWithName(units.toString()))
            setUnits(unit);
}

QVariantMap PWDrawing::defaultDrawingInfo()
{
    return {{kPWDrawingDimensionsInfoKey, kPWDrawingDimensionsInfoKey},
            {dimensionKey(QStringLiteral(".size_width")), kDefaultSize.width()},
            {dimensionKey(QStringLiteral(".size_height")), kDefaultSize.height()},
            {kPWDrawingDimensionsUnitsInfoKey, RVUnitLength::centimeters()->fullName()}};
}

void PWDrawing::setStringForKey(const QString& value, const QString& key)
{
    const QString old = m_metadata.value(key);
    if (old == value)
        return;
    m_undoManager->registerUndo(this, [this, old, key] { setStringForKey(old, key); });
    if (value.isEmpty())
        m_metadata.remove(key);
    else
        m_metadata.insert(key, value);
}

// Delegate --------------------------------------------------------------------------------------

void PWDrawing::setDelegate(PWDrawingDelegate* delegate)
{
    m_delegate = delegate;
    auto* reflective = dynamic_cast<pf::Reflective*>(delegate);
    m_delegateTracked = reflective != nullptr;
    m_delegateAlive = reflective ? reflective->livenessToken() : std::weak_ptr<void>();
}

PWDrawingDelegate* PWDrawing::delegate() const
{
    if (m_delegateTracked && m_delegateAlive.expired())
        return nullptr;
    return m_delegate;
}

pf::Ref<RVUnitLength> PWDrawing::delegateConvertedDisplayUnits() const
{
    if (PWDrawingDelegate* d = delegate())
        if (auto unit = d->convertedDisplayUnitsForDrawing(*this))
            return unit;
    return m_units;
}

double PWDrawing::delegateConvertedDisplayMultiplier() const
{
    if (PWDrawingDelegate* d = delegate()) {
        const double multiplier = d->conversionMultiplierForDisplayUnits();
        if (std::isfinite(multiplier) && multiplier > 0.0)
            return multiplier;
    }
    return unitToPointsConversionFactor();
}

// Undo ------------------------------------------------------------------------------------------

RVUndoManager* PWDrawing::undoManager() const
{
    return m_undoManager.get();
}

void PWDrawing::setUndoManager(const pf::Ref<RVUndoManager>& manager)
{
    if (manager)
        m_undoManager = manager;
}

void PWDrawing::setDynamicQualityModulationEnabled(bool enabled)
{
    if (enabled != m_qualityModulation)
        setObservedValue(m_qualityModulation, enabled, QStringLiteral("dynamicQualityModulationEnabled"));
}

// Styles ----------------------------------------------------------------------------------------

QList<pf::Ref<PWStyle>> PWDrawing::allStyles() const
{
    QList<pf::Ref<PWStyle>> styles;
    QSet<const PWStyle*> seen;
    for (const auto& layer : flattenedLayers()) {
        auto* objectLayer = dynamic_cast<const PWObjectOwnerLayer*>(layer.get());
        if (!objectLayer)
            continue;
        for (const auto& object : objectLayer->objects())
            for (const auto& style : object->allStyles())
                if (style && !seen.contains(style.get())) {
                    seen.insert(style.get());
                    styles.append(style);
                }
    }
    return styles;
}

void PWDrawing::replaceStyles(const QList<pf::Ref<PWStyle>>& styles, const QList<pf::Ref<PWStyle>>& replacements)
{
    if (styles.size() != replacements.size())
        pf::raise(pf::NSInvalidArgumentException,
                  QStringLiteral("%1 styles to replace but %2 replacements").arg(styles.size()).arg(replacements.size()));
    QHash<const PWStyle*, pf::Ref<PWStyle>> map;
    for (qsizetype i = 0; i < styles.size(); ++i)
        if (styles[i] && replacements[i])
            map.insert(styles[i].get(), replacements[i]);
    if (map.isEmpty())
        return;
    for (const auto& layer : flattenedLayers())
        if (auto* objectLayer = dynamic_cast<PWObjectOwnerLayer*>(layer.get()))
            objectLayer->replaceStyles(map);
}

// Extraction ------------------------------------------------------------------------------------

QByteArray PWDrawing::pdf()
{
    return PWRenderingOutput::pdf(*this);
}

QByteArray PWDrawing::pdfDataWithMediaBox(const QRectF& mediaBox)
{
    return PWRenderingOutput::pdfDataWithMediaBox(*this, mediaBox);
}

QByteArray PWDrawing::imageDataWithFormat(int format, const QVariantMap& options, const QByteArray& pdfData,
                                          pf::ImageColorModel colourSpace, const QRectF& sourceRect,
                                          const QSize& destSize, const pf::Color& background, pf::Error* error)
{
    return PWRenderingOutput::imageDataWithFormat(*this, format, options, pdfData, colourSpace, sourceRect,
                                                  destSize, background, error);
}

QByteArray PWDrawing::thumbnailData()
{
    return PWRenderingOutput::thumbnailData(*this);
}

pf::Ref<PWDrawing> PWDrawing::drawingWithImageData(const QByteArray& data, const QString& nameForContentLayer)
{
    return PWRenderingOutput::drawingWithImageData(data, nameForContentLayer);
}

pf::Ref<PWDrawing> PWDrawing::drawingByExtractingFromRect(const QRectF& rect, int options) const
{
    const QRectF area = rect.normalized();
    auto extract = std::make_shared<PWDrawing>();
    pf::UndoRegistrationDisabled noUndo(extract->undoManager());
    extract->setUnits(m_units);
    extract->setDrawingSize(area.size());
    extract->setMargins(0, 0, 0, 0);
    extract->setPaperColour(m_paperColour);
    extract->setPaperColourIsPrinted(m_paperColourIsPrinted);
    // Layers keep their stacking: the list is built from the bottom so each addLayer lands on top.
    const QList<pf::Ref<PWLayer>> all = flattenedLayers();
    pf::Ref<PWLayer> firstObjectLayer;
    for (auto it = all.rbegin(); it != all.rend(); ++it) {
        auto* source = dynamic_cast<const PWObjectOwnerLayer*>(it->get());
        if (!source)
            continue;
        QList<pf::Ref<PWDrawableObject>> copies;
        for (const auto& object : source->objectsInRect(area)) {
            auto copy = std::dynamic_pointer_cast<PWDrawableObject>(object->copy());
            if (!copy)
                continue;
            copy->moveBy(-area.left(), -area.top());
            copies.append(copy);
        }
        if (copies.isEmpty())
            continue;
        auto layer = std::make_shared<PWObjectDrawingLayer>();
        layer->setLayerName(source->layerName());
        extract->addLayer(layer);
        layer->addObjectsFromArray(copies);
        firstObjectLayer = layer;
    }
    if (!firstObjectLayer) {
        auto layer = std::make_shared<PWObjectDrawingLayer>();
        layer->setLayerName(QStringLiteral("Layer 1"));
        extract->addLayer(layer);
        firstObjectLayer = layer;
    }
    extract->setActiveLayer(firstObjectLayer);
    return extract;
}

// Controllers -----------------------------------------------------------------------------------

void PWDrawing::addController(PWDrawingViewTarget* controller)
{
    if (!controller)
        return;
    for (const Controller& existing : m_controllers)
        if (existing.target == controller && existing.isAlive())
            return;
    Controller entry;
    entry.target = controller;
    if (auto* reflective = dynamic_cast<pf::Reflective*>(controller)) {
        entry.tracked = true;
        entry.alive = reflective->livenessToken();
    }
    m_controllers.push_back(entry);
}

void PWDrawing::removeController(PWDrawingViewTarget* controller)
{
    std::erase_if(m_controllers, [controller](const Controller& c) { return c.target == controller || !c.isAlive(); });
}

QList<PWDrawingViewTarget*> PWDrawing::controllers() const
{
    QList<PWDrawingViewTarget*> out;
    for (const Controller& c : m_controllers)
        if (c.isAlive())
            out.append(c.target);
    return out;
}

QVariantList PWDrawing::controllerViews() const
{
    QVariantList out;
    for (PWDrawingViewTarget* controller : controllers())
        if (auto* object = dynamic_cast<pf::Object*>(controller))
            out.append(pf::toVariant(object->ref()));
    return out;
}

void PWDrawing::setNeedsDisplay(bool needsDisplay)
{
    if (needsDisplay)
        drawingNeedsDisplayInRect(QRectF());
}

void PWDrawing::drawingNeedsDisplayInRect(const QRectF& rect) const
{
    for (PWDrawingViewTarget* controller : controllers())
        controller->drawingNeedsDisplayInRect(rect);
}

void PWDrawing::updateRulerMarkersForRect(const QRectF& rect) const
{
    for (PWDrawingViewTarget* controller : controllers())
        controller->updateRulerMarkersForRect(rect);
}

void PWDrawing::hideRulerMarkers() const
{
    for (PWDrawingViewTarget* controller : controllers())
        controller->hideRulerMarkers();
}

void PWDrawing::invalidateCursors() const
{
    for (PWDrawingViewTarget* controller : controllers())
        controller->invalidateCursors();
}

bool PWDrawing::respondsTo(const QString& selector) const
{
    if (selector == QLatin1String("duplicateLayer"))
        return false;
    return PWLayerGroup::respondsTo(selector);
}

void PWDrawing::drawInContext(pf::GraphicsContext& context, const QRectF& rect, bool showingHighlighting)
{
    drawPaperInContext(context, rect);
    PWLayerGroup::drawInContext(context, rect, showingHighlighting);
}

void PWDrawing::drawPaperInContext(pf::GraphicsContext& context, const QRectF& rect) const
{
    if (m_paperColour.isValid() && (context.isDrawingToScreen() || m_paperColourIsPrinted)) {
        const QRectF paper = QRectF(QPointF(0, 0), m_size).intersected(rect.isNull() ? QRectF(QPointF(0, 0), m_size) : rect);
        context.painter().fillRect(paper, m_paperColour.brush());
    }
}

// Archiving -------------------------------------------------------------------------------------

void PWDrawing::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWLayerGroup::encodeWithCoder(coder);
    coder.encodeSize(m_size, kSizeKey);
    coder.encodeDouble(m_margins.left, kMarginLeftKey);
    coder.encodeDouble(m_margins.top, kMarginTopKey);
    coder.encodeDouble(m_margins.right, kMarginRightKey);
    coder.encodeDouble(m_margins.bottom, kMarginBottomKey);
    if (m_paperColour.isValid())
        coder.encodeObject(std::make_shared<pf::Color>(m_paperColour), kPaperColourKey);
    coder.encodeBool(m_paperColourIsPrinted, kPaperPrintedKey);
    coder.encodeObject(m_units, kUnitsKey);
    coder.encodeInt32(m_gridType, kGridTypeKey);
    coder.encodeConditionalObject(activeLayer(), kActiveLayerKey);
    coder.encodeBool(m_snapsToGrid, kSnapsToGridKey);
    coder.encodeBool(m_snapsToGuides, kSnapsToGuidesKey);
    QVariantMap metadata;
    for (auto it = m_metadata.begin(); it != m_metadata.end(); ++it)
        metadata.insert(it.key(), it.value());
    coder.encodePropertyListValue(metadata, kMetadataKey);
    coder.encodeObject(imageManagerForArchive(), kImagesKey);
}

pf::Ref<PWImageDataManager> PWDrawing::imageManagerForArchive() const
{
    // The shared image data is taken from the image shapes the drawing holds now, not from the
    // live counts, which depend on the order objects, layers and the drawing met (a layer
    // filled before it joins the drawing, a deleted layer put back by Undo): the same drawing
    // always writes the same archive.
    auto archived = std::make_shared<PWImageDataManager>();
    std::function<void(const PWDrawableObject&)> visit = [&](const PWDrawableObject& object) {
        if (const auto* image = dynamic_cast<const PWImageShape*>(&object)) {
            if (!image->imageData().isEmpty())
                archived->addImageData(image->imageData());
        } else if (const auto* group = dynamic_cast<const PWShapeGroup*>(&object)) {
            for (const pf::Ref<PWDrawableObject>& member : group->members())
                if (member)
                    visit(*member);
        }
    };
    for (const pf::Ref<PWLayer>& layer : flattenedLayers())
        if (const auto* owner = dynamic_cast<const PWObjectOwnerLayer*>(layer.get()))
            for (const pf::Ref<PWDrawableObject>& object : owner->objectList())
                if (object)
                    visit(*object);
    return archived;
}

void PWDrawing::initWithCoder(pf::KeyedUnarchiver& coder)
{
    PWLayerGroup::initWithCoder(coder);
    if (coder.containsValueForKey(kSizeKey)) {
        const QSizeF size = coder.decodeSize(kSizeKey);
        if (isValidLength(size.width()) && isValidLength(size.height()))
            m_size = size;
    }
    const Margins margins{coder.decodeDouble(kMarginLeftKey), coder.decodeDouble(kMarginTopKey),
                          coder.decodeDouble(kMarginRightKey), coder.decodeDouble(kMarginBottomKey)};
    if (isValidLength(margins.left) && isValidLength(margins.top) && isValidLength(margins.right)
        && isValidLength(margins.bottom))
        m_margins = margins;
    if (auto colour = coder.decodeObjectOfClass<pf::Color>(kPaperColourKey))
        m_paperColour = *colour;
    m_paperColourIsPrinted = coder.decodeBool(kPaperPrintedKey);
    if (auto units = coder.decodeObjectOfClass<RVUnitLength>(kUnitsKey))
        m_units = units;
    m_gridType = coder.decodeInt32(kGridTypeKey);
    auto active = coder.decodeObjectOfClass<PWLayer>(kActiveLayerKey);
    if (active && containsLayer(*active) && active->layerMayBecomeActive())
        m_activeLayer = active;
    m_snapsToGrid = coder.decodeBool(kSnapsToGridKey);
    m_snapsToGuides = coder.decodeBool(kSnapsToGuidesKey);
    const QVariantMap metadata = coder.decodePropertyListValue(kMetadataKey).toMap();
    for (auto it = metadata.begin(); it != metadata.end(); ++it)
        if (it.value().typeId() == QMetaType::QString)
            m_metadata.insert(it.key(), it.value().toString());
    if (auto images = coder.decodeObjectOfClass<PWImageDataManager>(kImagesKey))
        m_imageManager = images;
}
