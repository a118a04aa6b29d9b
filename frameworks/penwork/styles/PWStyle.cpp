#include "frameworks/penwork/styles/PWStyle.h"

#include "frameworks/penwork/support/PWClassSettings.h"

#include "frameworks/penwork/drawables/PWDrawableObject.h"
#include "frameworks/penwork/registries/PWStyleRegistry.h"
#include "frameworks/penwork/renderers/PWImageAdornment.h"
#include "frameworks/penwork/renderers/PWTextAdornment.h"
#include "frameworks/penwork/styles/PWFill.h"
#include "frameworks/penwork/styles/PWRenderingPathScope.h"
#include "frameworks/penwork/styles/PWStroke.h"
#include "frameworks/penwork/support/PWUniqueID.h"

#include "platform/foundation/Date.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UndoManager.h"
#include "platform/graphics/GraphicsContext.h"

#include <QBuffer>
#include <QPaintDevice>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <typeinfo>

PF_DEFINE_CLASS(PWStyle, PWRastGroup)
{
    b.protocol(pf::kCodingProtocol);
    b.property(PWStyle::kNameKey, &PWStyle::name, &PWStyle::setName);
    b.property(PWStyle::kOpacityKey, &PWStyle::opacity, &PWStyle::setOpacity);
    b.validator(PWStyle::kOpacityKey, [](PWStyle&, QVariant* value, pf::Error* error) {
        const double opacity = value->toDouble();
        if (!pf::isNumber(*value) || std::isnan(opacity))
            return pf::fail(error, pf::Error::make(pf::kPFFoundationErrorDomain, pf::kErrorCoderInvalidValue,
                                                   QStringLiteral("The opacity must be a number from 0 to 1.")));
        *value = std::clamp(opacity, 0.0, 1.0);
        return true;
    });
    b.property(PWStyle::kLockedKey, &PWStyle::locked, &PWStyle::setLocked);
    b.property(PWStyle::kStyleSharableKey, &PWStyle::styleSharable, &PWStyle::setStyleSharable);
    b.property(PWStyle::kIsStyleRegisteredKey, &PWStyle::isStyleRegistered);
    b.property("uniqueKey", &PWStyle::uniqueKey);
    b.property(PWStyle::kUserDescriptionKey, &PWStyle::userDescription, &PWStyle::setUserDescription);
    b.property("lastModificationTimestamp", &PWStyle::lastModificationTimestamp);
    b.property("hasTextAdornment", &PWStyle::hasTextAdornment);
    b.property("isPureTextStyle", &PWStyle::isPureTextStyle);
    b.property("image", &PWStyle::image);
    b.property(PWStyle::kStringKey, &PWStyle::string, &PWStyle::setString);
    b.property(PWStyle::kImageComponentKey, &PWStyle::imageComponent, &PWStyle::setImageComponent);
    b.classMethod("textStyleWithFont:", [](const pf::Class&, const QVariantList& args) {
        return pf::toVariant(PWStyle::textStyleWithFont(args.value(0).value<QFont>()));
    });
    b.classMethod("textStyleWithAttributes:", [](const pf::Class&, const QVariantList& args) {
        return pf::toVariant(PWStyle::textStyleWithAttributes(args.value(0).toMap()));
    });
    b.classMethod("defaultTextStyle",
                  [](const pf::Class&, const QVariantList&) { return pf::toVariant(PWStyle::defaultTextStyle()); });
    b.classMethod("setDefaultTextStyle:", [](const pf::Class&, const QVariantList& args) {
        PWStyle::setDefaultTextStyle(pf::objectCast<PWStyle>(args.value(0)));
        return QVariant();
    });
    b.method("setFillColour:", std::function<QVariant(PWStyle&, const QVariantList&)>(
                                   [](PWStyle& style, const QVariantList& arguments) {
                                       const pf::Ref<pf::Color> colour = pf::objectCast<pf::Color>(arguments.value(0));
                                       style.setFillColour(colour ? *colour : pf::Color());
                                       return QVariant();
                                   }));
}

namespace {

// Whether every renderer is a plain fill or stroke: those leave the painter and the context as
// they found them (saving and restoring themselves when they cast a shadow or clip).
bool rendersWithoutLeavingState(const QList<pf::Ref<PWRasterizer>>& renderers)
{
    for (const pf::Ref<PWRasterizer>& renderer : renderers) {
        const PWRasterizer& kind = *renderer;
        const std::type_info& type = typeid(kind);
        if (type != typeid(PWFill) && type != typeid(PWStroke))
            return false;
    }
    return true;
}

const QString kNameArchiveKey = QStringLiteral("pw_style_name");
const QString kOpacityArchiveKey = QStringLiteral("pw_style_opacity");
const QString kLockedArchiveKey = QStringLiteral("pw_style_locked");
const QString kSharableArchiveKey = QStringLiteral("pw_style_styleSharable");
const QString kUniqueKeyArchiveKey = QStringLiteral("pw_style_uniqueKey");
const QString kDescriptionArchiveKey = QStringLiteral("pw_style_userDescription");
const QString kTimestampArchiveKey = QStringLiteral("pw_style_lastModificationTimestamp");
const QString kStringArchiveKey = QStringLiteral("pw_style_string");
const QString kImageComponentArchiveKey = QStringLiteral("pw_style_imageComponent");

// The user-defaults keys of the class settings kept there; the constants are their defaults.
const QString kShouldAntialiasKey = QStringLiteral("PWStyleShouldAntialias");
const QString kWillDrawShadowsKey = QStringLiteral("PWStyleWillDrawShadows");
const QString kIgnoresFilterElementsKey = QStringLiteral("PWStyleIgnoresFilterElements");
const QString kStyleSharingEnabledKey = QStringLiteral("PWStyleStyleSharingEnabled");
const QString kSharableByDefaultKey = QStringLiteral("PWStyleStylesAreSharableByDefault");
const bool g_shouldAntialias = true;
const bool g_willDrawShadows = true;
std::atomic<bool> g_substitutePlaceholder{false};
const bool g_ignoresFilterElements = false;
const bool g_styleSharingEnabled = true;
const bool g_sharableByDefault = true;
std::atomic<int> g_nameProviderDisabled{0};
std::atomic<PWStyleNameProvider*> g_nameProvider{nullptr};

pf::Ref<PWStyle>& defaultStyleSlot()
{
    static pf::Ref<PWStyle> style;
    return style;
}

pf::Ref<PWStyle>& defaultTextStyleSlot()
{
    static pf::Ref<PWStyle> style;
    return style;
}

QString textStyleName(const QFont& font)
{
    return QStringLiteral("%1 %2 pt").arg(font.family(), QString::number(font.pointSizeF(), 'g', 4));
}

double now()
{
    return pf::Date::timeIntervalSinceReferenceDate(pf::Date::now());
}

QString newUniqueKey()
{
    return PWUniqueID::uniqueKey();
}

// The shape swatches show a style on.
class SampleShape : public PWRenderable {
public:
    explicit SampleShape(const QRectF& rect) : m_path(pf::BezierPath::pathWithRoundedRect(rect, 6.0, 6.0)), m_rect(rect)
    {
    }
    pf::Ref<pf::BezierPath> renderingPath() const override { return m_path; }
    double angle() const override { return 0.0; }
    QSizeF size() const override { return m_rect.size(); }
    QPointF location() const override { return m_rect.center(); }
    QTransform containerTransform() const override { return QTransform(); }
    quint64 geometryChecksum() const override { return 1; }

private:
    pf::Ref<pf::BezierPath> m_path;
    QRectF m_rect;
};

constexpr double kSampleSide = 40.0;
constexpr double kMaxSwatchSide = 4096.0;

// The old value of a property, kept for its undo: values that are objects (a dash, a shadow)
// are copied, since the renderer may go on editing the one it holds. Renderers keep their
// identity: an undone removal must put back the very renderer.
QVariant undoValue(const QVariant& value)
{
    const pf::Ref<pf::Object> object = pf::objectFromVariant(value);
    if (!object || std::dynamic_pointer_cast<PWRasterizer>(object))
        return value;
    try {
        return pf::toVariant(object->copy());
    } catch (const pf::Exception&) {
        return value;
    }
}

} // namespace

PWStyle::PWStyle()
    : m_styleSharable(stylesAreSharableByDefault()), m_uniqueKey(newUniqueKey()), m_lastModification(now())
{
}

PWStyle::PWStyle(const PWStyle& other)
    : PWRastGroup(other),
      m_name(other.m_name),
      m_opacity(other.m_opacity),
      m_styleSharable(other.m_styleSharable),
      m_uniqueKey(newUniqueKey()),
      m_userDescription(other.m_userDescription),
      m_lastModification(now()),
      m_string(other.m_string),
      m_imageComponent(other.m_imageComponent)
{
    if (PWStyleNameProvider* provider = nameProvider(); provider && isNameProviderEnabled())
        m_name = provider->nameForCopyOfStyle(other);
}

PWStyle::~PWStyle() = default;

pf::Ref<PWStyle> PWStyle::styleWithFillColour(const pf::Color& fill, const pf::Color& stroke)
{
    auto style = std::make_shared<PWStyle>();
    if (fill.isValid())
        style->addRenderer(PWFill::fillWithColour(fill));
    if (stroke.isValid())
        style->addRenderer(PWStroke::strokeWithWidth(1.0, stroke));
    return style;
}

pf::Ref<PWStyle> PWStyle::defaultStyle()
{
    pf::Ref<PWStyle>& slot = defaultStyleSlot();
    if (!slot) {
        slot = styleWithFillColour(pf::Color::white(), pf::Color::black());
        slot->m_name = QStringLiteral("Default");
    }
    return slot;
}

void PWStyle::setDefaultStyle(const pf::Ref<PWStyle>& style)
{
    defaultStyleSlot() = style;
}

pf::Ref<PWStyle> PWStyle::textStyleWithFont(const QFont& font)
{
    auto adornment = std::make_shared<PWTextAdornment>();
    adornment->setFont(font);
    auto style = std::make_shared<PWStyle>();
    style->addRenderer(adornment);
    style->m_name = textStyleName(adornment->font());
    return style;
}

pf::Ref<PWStyle> PWStyle::textStyleWithAttributes(const QVariantMap& attributes)
{
    auto adornment = std::make_shared<PWTextAdornment>();
    adornment->setTextAttributes(attributes);
    auto style = std::make_shared<PWStyle>();
    style->addRenderer(adornment);
    style->m_name = textStyleName(adornment->font());
    return style;
}

pf::Ref<PWStyle> PWStyle::defaultTextStyle()
{
    pf::Ref<PWStyle>& slot = defaultTextStyleSlot();
    if (!slot) {
        slot = std::make_shared<PWStyle>();
        slot->addRenderer(std::make_shared<PWTextAdornment>());
        slot->m_name = QStringLiteral("Default Text");
    }
    return slot;
}

void PWStyle::setDefaultTextStyle(const pf::Ref<PWStyle>& style)
{
    defaultTextStyleSlot() = style;
}

pf::Ref<pf::Shadow> PWStyle::defaultShadow()
{
    auto shadow = std::make_shared<pf::Shadow>();
    shadow->setShadowOffset(QSizeF(3.0, -3.0));
    shadow->setShadowBlurRadius(5.0);
    return shadow;
}

bool PWStyle::shouldAntialias()
{
    return PWClassSettings::flag(kShouldAntialiasKey, g_shouldAntialias);
}

void PWStyle::setShouldAntialias(bool antialias)
{
    PWClassSettings::setFlag(kShouldAntialiasKey, antialias);
}

bool PWStyle::willDrawShadows()
{
    return PWClassSettings::flag(kWillDrawShadowsKey, g_willDrawShadows);
}

void PWStyle::setWillDrawShadows(bool draw)
{
    PWClassSettings::setFlag(kWillDrawShadowsKey, draw);
}

bool PWStyle::shouldSubstitutePlaceholderStyle()
{
    return g_substitutePlaceholder.load();
}

void PWStyle::setShouldSubstitutePlaceholderStyle(bool substitute)
{
    g_substitutePlaceholder.store(substitute);
}

bool PWStyle::ignoresFilterElements()
{
    return PWClassSettings::flag(kIgnoresFilterElementsKey, g_ignoresFilterElements);
}

void PWStyle::setIgnoresFilterElements(bool ignore)
{
    PWClassSettings::setFlag(kIgnoresFilterElementsKey, ignore);
}

bool PWStyle::styleSharingEnabled()
{
    return PWClassSettings::flag(kStyleSharingEnabledKey, g_styleSharingEnabled);
}

void PWStyle::setStyleSharingEnabled(bool enabled)
{
    const bool was = styleSharingEnabled();
    PWClassSettings::setFlag(kStyleSharingEnabledKey, enabled);
    if (was != enabled)
        pf::NotificationCenter::defaultCenter().post(kPWStyleSharingEnabledChangeNotification);
}

bool PWStyle::stylesAreSharableByDefault()
{
    return PWClassSettings::flag(kSharableByDefaultKey, g_sharableByDefault);
}

void PWStyle::setStylesAreSharableByDefault(bool sharable)
{
    PWClassSettings::setFlag(kSharableByDefaultKey, sharable);
}

void PWStyle::disableNameProvider()
{
    ++g_nameProviderDisabled;
}

void PWStyle::enableNameProvider()
{
    // An enable without its disable must not leave the provider switched off for the next
    // disable/enable pair.
    int disabled = g_nameProviderDisabled.load();
    while (disabled > 0 && !g_nameProviderDisabled.compare_exchange_weak(disabled, disabled - 1)) {
    }
}

bool PWStyle::isNameProviderEnabled()
{
    return g_nameProviderDisabled.load() == 0;
}

void PWStyle::setNameProvider(PWStyleNameProvider* provider)
{
    g_nameProvider.store(provider);
}

PWStyleNameProvider* PWStyle::nameProvider()
{
    return g_nameProvider.load();
}

void PWStyle::setName(const QString& name)
{
    if (changeProperty(m_name, name, kNameKey))
        pf::NotificationCenter::defaultCenter().post(kPWStyleNameChangedNotification, this);
}

void PWStyle::setOpacity(double opacity)
{
    if (std::isnan(opacity)) {
        PF_LOG("PWStyle: opacity NaN refused");
        return;
    }
    changeProperty(m_opacity, std::clamp(opacity, 0.0, 1.0), kOpacityKey);
}

void PWStyle::setLocked(bool locked)
{
    if (locked == m_locked)
        return;
    // The one change a locked style accepts, so it goes round the lock check.
    willChangeValueForKey(kLockedKey);
    sendWillChange(kLockedKey);
    m_locked = locked;
    didChangeValueForKey(kLockedKey);
    sendDidChange(kLockedKey);
    pf::NotificationCenter::defaultCenter().post(kPWStyleLockStateChangedNotification, this);
}

void PWStyle::setStyleSharable(bool sharable)
{
    changeProperty(m_styleSharable, sharable, kStyleSharableKey);
}

void PWStyle::setStyleRegistered(bool registered)
{
    // The registry's bookkeeping: observable, but no edit of the style to undo.
    if (registered != m_registered)
        setObservedValue(m_registered, registered, kIsStyleRegisteredKey);
}

void PWStyle::setUserDescription(const QString& description)
{
    changeProperty(m_userDescription, description, kUserDescriptionKey);
}

bool PWStyle::isStyleRegistered() const
{
    return m_registered || PWStyleRegistry::isStyleRegistered(*this);
}

bool PWStyle::hasTextAdornment() const
{
    return !renderersOfClass(PWTextAdornment::staticClass()).isEmpty();
}

bool PWStyle::isPureTextStyle() const
{
    bool any = false;
    for (const pf::Ref<PWRasterizer>& renderer : renderersOfClass(PWRasterizer::staticClass())) {
        if (renderer->isKindOf<PWTextAdornment>())
            any = true;
        else if (!renderer->isKindOf<PWRastGroup>())
            return false;
    }
    return any;
}

QImage PWStyle::image() const
{
    return imageToFitSize(QSizeF(64.0, 64.0), true);
}

QImage PWStyle::imageToFitSize(const QSizeF& size, bool allowScaleUp) const
{
    if (!(size.width() >= 1.0 && size.height() >= 1.0 && size.width() <= kMaxSwatchSide &&
          size.height() <= kMaxSwatchSide))
        return QImage();
    QImage image(int(std::ceil(size.width())), int(std::ceil(size.height())), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    image.fill(Qt::transparent);

    const SampleShape sample(QRectF(0.0, 0.0, kSampleSide, kSampleSide));
    QRectF needed = boundsNeededForObject(sample);
    if (needed.isNull() || needed.width() <= 0.0 || needed.height() <= 0.0)
        needed = QRectF(0.0, 0.0, kSampleSide, kSampleSide);
    double scale = std::min(size.width() / needed.width(), size.height() / needed.height());
    if (!allowScaleUp)
        scale = std::min(scale, 1.0);

    QPainter painter(&image);
    painter.translate(size.width() / 2.0, size.height() / 2.0);
    painter.scale(scale, scale);
    painter.translate(-needed.center());
    pf::GraphicsContextScope scope(painter, true);
    // Drawing a swatch changes nothing, whatever the renderers do with the context.
    const_cast<PWStyle*>(this)->render(sample);
    return image;
}

void PWStyle::addClient(PWStyleClient* client)
{
    if (!client || hasClient(client))
        return;
    // A client gone without removing itself may have left its address to this one.
    if (auto stale = m_clientSlots.find(client); stale != m_clientSlots.end()) {
        m_clients[stale->second] = Client{nullptr, {}, false};
        ++m_emptyClientSlots;
        m_clientSlots.erase(stale);
    }
    // A drawable takes itself off its style's list when it goes, so it needs no liveness
    // token (a token costs every object a side table); other clients are watched for.
    const auto* reflective =
        dynamic_cast<const PWDrawableObject*>(client) ? nullptr : dynamic_cast<const pf::Reflective*>(client);
    m_clientSlots.emplace(client, m_clients.size());
    m_clients.push_back({client, reflective ? reflective->livenessToken() : std::weak_ptr<void>(), reflective != nullptr});
    client->setClientIndex(m_nextClientIndex++);
}

void PWStyle::removeClient(PWStyleClient* client)
{
    const auto slot = m_clientSlots.find(client);
    if (slot == m_clientSlots.end())
        return;
    m_clients[slot->second] = Client{nullptr, {}, false};
    m_clientSlots.erase(slot);
    if (++m_emptyClientSlots > 32 && m_emptyClientSlots > m_clients.size() / 2)
        compactClients();
}

void PWStyle::compactClients()
{
    std::erase_if(m_clients, [](const Client& entry) { return !entry.client; });
    m_emptyClientSlots = 0;
    for (size_t i = 0; i < m_clients.size(); ++i)
        m_clientSlots[m_clients[i].client] = i;
}

int PWStyle::countOfClients() const
{
    return int(liveClients().size());
}

bool PWStyle::hasClient(const PWStyleClient* client) const
{
    const auto slot = m_clientSlots.find(client);
    if (slot == m_clientSlots.end())
        return false;
    const Client& entry = m_clients[slot->second];
    return !(entry.tracked && entry.liveness.expired());
}

std::vector<PWStyleClient*> PWStyle::liveClients() const
{
    std::vector<PWStyleClient*> clients;
    for (const Client& entry : m_clients) {
        if (entry.client && !(entry.tracked && entry.liveness.expired()))
            clients.push_back(entry.client);
    }
    return clients;
}

pf::UndoManager* PWStyle::undoManager() const
{
    return m_undoManagerLiveness.expired() ? nullptr : m_undoManager;
}

void PWStyle::setUndoManager(pf::UndoManager* manager)
{
    m_undoManager = manager;
    m_undoManagerLiveness = manager ? manager->livenessToken() : std::weak_ptr<void>();
}

void PWStyle::setFillColour(const pf::Color& colour)
{
    const QList<pf::Ref<PWFill>> fills = renderersOfClass<PWFill>();
    if (!fills.isEmpty()) {
        fills.last()->setColour(colour);
        return;
    }
    insertObjectInRenderListAtIndex(PWFill::fillWithColour(colour), 0);
}

void PWStyle::setString(const QString& string)
{
    changeProperty(m_string, string, kStringKey);
    const QList<pf::Ref<PWTextAdornment>> adornments = renderersOfClass<PWTextAdornment>();
    if (!adornments.isEmpty())
        adornments.last()->setString(string);
    else if (!string.isEmpty())
        addRenderer(PWTextAdornment::textAdornmentWithString(string));
}

void PWStyle::setImageComponent(const QImage& image)
{
    changeProperty(m_imageComponent, image, kImageComponentKey);
    const QList<pf::Ref<PWImageAdornment>> adornments = renderersOfClass<PWImageAdornment>();
    if (!adornments.isEmpty())
        adornments.last()->setImage(image);
    else if (!image.isNull())
        addRenderer(std::make_shared<PWImageAdornment>(image));
}

bool PWStyle::isEqualToStyle(const PWStyle* other) const
{
    if (!other)
        return false;
    if (other == this)
        return true;
    return other->m_opacity == m_opacity && PWRastGroup::isEqual(other);
}

bool PWStyle::isEqual(const pf::Reflective* other) const
{
    // One style, whatever copy of it was read from an archive: the key names it.
    const auto* style = dynamic_cast<const PWStyle*>(other);
    return style && style->m_uniqueKey == m_uniqueKey;
}

size_t PWStyle::hash() const
{
    return qHash(m_uniqueKey);
}

pf::Ref<pf::Object> PWStyle::copy() const
{
    return std::make_shared<PWStyle>(*this);
}

pf::Ref<PWStyle> PWStyle::clone() const
{
    auto copied = std::make_shared<PWStyle>(*this);
    copied->m_name = m_name;
    copied->m_locked = m_locked;
    return copied;
}

void PWStyle::render(const PWRenderable& object)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    if (m_opacity >= 1.0 && !shouldSubstitutePlaceholderStyle() && rendersWithoutLeavingState(renderList())) {
        // Plain fills and strokes put back whatever they change, so the full save (a large part
        // of the cost of a small shape) is not needed: only the antialiasing hint is set and
        // put back.
        QPainter& painter = context->painter();
        const bool antialias = shouldAntialias();
        const bool had = painter.testRenderHint(QPainter::Antialiasing);
        if (had != antialias)
            painter.setRenderHint(QPainter::Antialiasing, antialias);
        {
            const PWRenderingPathScope sharedPath(object);
            renderChildren(object);
        }
        if (had != antialias)
            painter.setRenderHint(QPainter::Antialiasing, had);
        return;
    }
    pf::GraphicsStateSaver saver(context);
    QPainter& painter = context->painter();
    painter.setRenderHint(QPainter::Antialiasing, shouldAntialias());

    if (shouldSubstitutePlaceholderStyle()) {
        const pf::Ref<pf::BezierPath> path = object.renderingPath();
        if (path) {
            pf::BezierPath outline(*path);
            outline.setLineWidth(0.0);
            outline.setLineDash({}, 0.0);
            outline.stroke(painter, QBrush(Qt::black));
        }
        return;
    }
    if (m_opacity <= 0.0)
        return;
    // The renderers share one rendering path rather than each making its own.
    const PWRenderingPathScope sharedPath(object);
    if (m_opacity >= 1.0) {
        renderChildren(object);
        return;
    }

    // Below full opacity the renderers are drawn together into a layer, so that where they
    // overlap they do not show through each other, and the layer is composited at the opacity.
    QPaintDevice* device = painter.device();
    const QTransform toDevice = painter.deviceTransform();
    const double pixelRatio = device->devicePixelRatioF() > 0 ? device->devicePixelRatioF() : 1.0;
    QRectF visible(0, 0, device->width() * pixelRatio, device->height() * pixelRatio);
    if (painter.hasClipping())
        visible &= toDevice.mapRect(painter.clipBoundingRect());
    const QRectF needed = boundsNeededForObject(object);
    if (needed.isNull())
        return;
    const QRect region = (toDevice.mapRect(needed).adjusted(-2, -2, 2, 2) & visible).toAlignedRect();
    if (region.isEmpty())
        return;
    QImage layer(region.size(), QImage::Format_ARGB32_Premultiplied);
    if (layer.isNull())
        return;
    layer.fill(Qt::transparent);
    layer.setDotsPerMeterX(int(std::lround(device->logicalDpiX() / 0.0254)));
    layer.setDotsPerMeterY(int(std::lround(device->logicalDpiY() / 0.0254)));
    {
        QPainter layerPainter(&layer);
        layerPainter.setRenderHints(painter.renderHints());
        layerPainter.setTransform(toDevice * QTransform::fromTranslate(-region.x(), -region.y()));
        pf::GraphicsContextScope scope(layerPainter, context->isFlipped(), context->isDrawingToScreen());
        renderChildren(object);
    }
    painter.setViewTransformEnabled(false);
    painter.setWorldTransform(QTransform::fromScale(1.0 / pixelRatio, 1.0 / pixelRatio));
    painter.setOpacity(painter.opacity() * m_opacity);
    painter.drawImage(region.topLeft(), layer);
}

QRectF PWStyle::boundsNeededForObject(const PWRenderable& object) const
{
    if (shouldSubstitutePlaceholderStyle()) {
        const pf::Ref<pf::BezierPath> path = object.renderingPath();
        return path && !path->isEmpty() ? path->bounds().adjusted(-1.0, -1.0, 1.0, 1.0) : QRectF();
    }
    return PWRastGroup::boundsNeededForObject(object);
}

QString PWStyle::displayName() const
{
    return QStringLiteral("Style");
}

QStringList PWStyle::observableKeyPaths() const
{
    return PWRastGroup::observableKeyPaths() << kNameKey << kOpacityKey << kLockedKey << kStyleSharableKey
                                             << kIsStyleRegisteredKey;
}

void PWStyle::registerActionNames() const
{
    PWRastGroup::registerActionNames();
    setActionName(QStringLiteral("Rename #kind#"), kNameKey);
    setActionName(QStringLiteral("#kind# Opacity"), kOpacityKey);
    setActionName(QStringLiteral("Lock/Unlock #kind#"), kLockedKey);
    setActionName(QStringLiteral("#kind# Sharing"), kStyleSharableKey);
    setActionName(QStringLiteral("#kind# Description"), kUserDescriptionKey);
    setActionName(QStringLiteral("#kind# Text"), kStringKey);
    setActionName(QStringLiteral("#kind# Image"), kImageComponentKey);
}

void PWStyle::sendWillChange(const QString& keyPath)
{
    rasterizerWillChange(*this, keyPath);
}

void PWStyle::sendDidChange(const QString& keyPath)
{
    rasterizerDidChange(*this, keyPath);
}

void PWStyle::rasterizerWillChange(PWRasterizer& rasterizer, const QString& keyPath)
{
    for (PWStyleClient* client : liveClients())
        client->styleWillChange(*this, keyPath);
    pf::UndoManager* manager = undoManager();
    if (!manager || !manager->isUndoRegistrationEnabled())
        return;
    QVariant old;
    try {
        old = undoValue(rasterizer.valueForKeyPath(keyPath));
    } catch (const pf::Exception& exception) {
        // A key path the renderer cannot read back cannot be undone; the change still goes on.
        PF_LOG("PWStyle: no undo for \"%s\" of %s: %s", qPrintable(keyPath), qPrintable(rasterizer.className()),
               qPrintable(exception.reason()));
        return;
    }
    m_pendingUndo.push_back({&rasterizer, rasterizer.livenessToken(), keyPath, old});
}

void PWStyle::rasterizerDidChange(PWRasterizer& rasterizer, const QString& keyPath)
{
    // The innermost change of this renderer and key path is the one ending.
    for (auto it = m_pendingUndo.rbegin(); it != m_pendingUndo.rend(); ++it) {
        if (it->target == &rasterizer && it->keyPath == keyPath) {
            const PendingUndo pending = *it;
            m_pendingUndo.erase(std::next(it).base());
            recordUndo(pending, rasterizer.actionNameForKeyPath(keyPath));
            break;
        }
    }
    touch();
    for (PWStyleClient* client : liveClients())
        client->styleDidChange(*this, keyPath);
    pf::NotificationCenter::defaultCenter().post(kPWStyleDidChangeNotification, this);
}

void PWStyle::recordUndo(const PendingUndo& pending, const QString& actionName)
{
    pf::UndoManager* manager = undoManager();
    if (!manager || pending.liveness.expired())
        return;
    const QString& keyPath = pending.keyPath;
    const QString setter = pf::setterSelector(keyPath);
    // A plain key undoes through its setter, so that a drag of many small changes coalesces
    // into one step; a longer key path through key-value coding.
    if (!keyPath.contains(QLatin1Char('.')) && pending.target->respondsTo(setter)) {
        manager->registerUndo(pending.target, setter, pending.oldValue);
    } else {
        pf::Reflective* target = pending.target;
        const std::weak_ptr<void> liveness = pending.liveness;
        const QVariant old = pending.oldValue;
        manager->registerUndo(target, [target, liveness, old, keyPath] {
            if (!liveness.expired())
                target->setValueForKeyPath(old, keyPath);
        });
    }
    // Undoing or redoing records the opposite step, which keeps the name of the step it
    // reverses ("Redo Add Hatch Fill", not the name of the key it happens to touch).
    if (!manager->isUndoing() && !manager->isRedoing())
        manager->setActionName(actionName);
}

void PWStyle::touch()
{
    m_lastModification = now();
}

void PWStyle::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWRastGroup::encodeWithCoder(coder);
    coder.encodeString(m_name, kNameArchiveKey);
    coder.encodeDouble(m_opacity, kOpacityArchiveKey);
    coder.encodeBool(m_locked, kLockedArchiveKey);
    coder.encodeBool(m_styleSharable, kSharableArchiveKey);
    coder.encodeString(m_uniqueKey, kUniqueKeyArchiveKey);
    coder.encodeString(m_userDescription, kDescriptionArchiveKey);
    coder.encodeDouble(m_lastModification, kTimestampArchiveKey);
    if (!m_string.isEmpty())
        coder.encodeString(m_string, kStringArchiveKey);
    if (!m_imageComponent.isNull()) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (m_imageComponent.save(&buffer, "PNG"))
            coder.encodeData(png, kImageComponentArchiveKey);
    }
}

void PWStyle::initWithCoder(pf::KeyedUnarchiver& coder)
{
    PWRastGroup::initWithCoder(coder);
    m_name = coder.decodeString(kNameArchiveKey);
    if (coder.containsValueForKey(kOpacityArchiveKey)) {
        const double opacity = coder.decodeDouble(kOpacityArchiveKey);
        m_opacity = std::isnan(opacity) ? 1.0 : std::clamp(opacity, 0.0, 1.0);
    }
    m_locked = coder.decodeBool(kLockedArchiveKey);
    if (coder.containsValueForKey(kSharableArchiveKey))
        m_styleSharable = coder.decodeBool(kSharableArchiveKey);
    // A style archived without its key keeps the new one it was made with.
    const QString key = coder.decodeString(kUniqueKeyArchiveKey);
    if (!key.isEmpty())
        m_uniqueKey = key;
    m_userDescription = coder.decodeString(kDescriptionArchiveKey);
    const double timestamp = coder.decodeDouble(kTimestampArchiveKey);
    if (std::isfinite(timestamp) && coder.containsValueForKey(kTimestampArchiveKey))
        m_lastModification = timestamp;
    m_string = coder.decodeString(kStringArchiveKey);
    const QByteArray png = coder.decodeData(kImageComponentArchiveKey);
    m_imageComponent = png.isEmpty() ? QImage() : QImage::fromData(png, "PNG");
}
