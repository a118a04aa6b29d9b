#include "frameworks/penwork/renderers/PWCIFilterRastGroup.h"

#include "frameworks/penwork/renderers/PWImageBlur.h"
#include "frameworks/penwork/renderers/PWOffscreenLayer.h"

#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/Log.h"
#include "platform/graphics/GraphicsContext.h"

#include <cmath>
#include <optional>

namespace {

const QString kFilterNameArchiveKey = QStringLiteral("pw_ciFilterGroup_filterName");

enum class FilterKind { Blur, Invert, Mono };

struct Filter {
    const char* name;
    FilterKind kind;
    pw::renderers::BlurKind blur;
    double radius; // points
};

constexpr Filter kFilters[] = {
    {"CIGaussianBlur", FilterKind::Blur, pw::renderers::BlurKind::Gaussian, 10.0},
    {"CIBoxBlur", FilterKind::Blur, pw::renderers::BlurKind::Box, 10.0},
    {"CIDiscBlur", FilterKind::Blur, pw::renderers::BlurKind::Disc, 8.0},
    {"CIMotionBlur", FilterKind::Blur, pw::renderers::BlurKind::Motion, 20.0},
    {"CIColorInvert", FilterKind::Invert, pw::renderers::BlurKind::Gaussian, 0.0},
    {"CIPhotoEffectMono", FilterKind::Mono, pw::renderers::BlurKind::Gaussian, 0.0},
};

std::optional<Filter> filterNamed(const QString& name)
{
    for (const Filter& filter : kFilters) {
        if (name == QLatin1String(filter.name))
            return filter;
    }
    return std::nullopt;
}

double filterReach(const Filter& filter)
{
    if (filter.kind != FilterKind::Blur)
        return 0.0;
    return (filter.blur == pw::renderers::BlurKind::Gaussian ? 3.0 * filter.radius : filter.radius) + 1.0;
}

// Both work on premultiplied pixels: inverting takes each channel from the pixel's alpha.
void invert(QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = row[x];
            const int a = qAlpha(p);
            row[x] = qRgba(a - qRed(p), a - qGreen(p), a - qBlue(p), a);
        }
    }
}

void monochrome(QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = row[x];
            const int luma = (qRed(p) * 2126 + qGreen(p) * 7152 + qBlue(p) * 722 + 5000) / 10000;
            row[x] = qRgba(luma, luma, luma, qAlpha(p));
        }
    }
}

} // namespace

PF_DEFINE_CLASS(PWCIFilterRastGroup, PWRastGroup)
{
    b.protocol(pf::kCodingProtocol);
    b.property(PWCIFilterRastGroup::kFilterNameKey, &PWCIFilterRastGroup::filterName,
               &PWCIFilterRastGroup::setFilterName);
    b.validator(PWCIFilterRastGroup::kFilterNameKey, [](PWCIFilterRastGroup&, QVariant* value, pf::Error* error) {
        if (pf::isNilOrNull(*value))
            return true;
        if (value->typeId() != QMetaType::QString || value->toString().size() > PWCIFilterRastGroup::kMaxFilterNameLength)
            return pf::fail(error, pf::Error::make(pf::kPFFoundationErrorDomain, pf::kErrorCoderInvalidValue,
                                                   QStringLiteral("The filter name must be a short string.")));
        return true;
    });
}

PWCIFilterRastGroup::PWCIFilterRastGroup() = default;

void PWCIFilterRastGroup::setFilterName(const QString& name)
{
    if (name.size() > kMaxFilterNameLength)
        return PF_LOG("PWCIFilterRastGroup: filter name of %lld characters refused", qlonglong(name.size()));
    changeProperty(m_filterName, name, kFilterNameKey);
}

QStringList PWCIFilterRastGroup::knownFilterNames()
{
    QStringList names;
    for (const Filter& filter : kFilters)
        names << QString::fromLatin1(filter.name);
    return names;
}

bool PWCIFilterRastGroup::hasKnownFilter() const
{
    return filterNamed(m_filterName).has_value();
}

void PWCIFilterRastGroup::render(const PWRenderable& object)
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    const std::optional<Filter> filter = filterNamed(m_filterName);
    if (!filter) {
        renderChildren(object);
        return;
    }
    const double devicePerUser = std::sqrt(std::abs(context->painter().deviceTransform().determinant()));
    const int margin = int(std::ceil(filterReach(*filter) * devicePerUser));
    PWOffscreenLayer layer(*context, boundsNeededForObject(object), margin);
    if (layer.isNull())
        return;
    layer.paint([&] { renderChildren(object); });
    switch (filter->kind) {
    case FilterKind::Blur:
        pw::renderers::blurImage(layer.image(), filter->blur, filter->radius * layer.pixelsPerUnit());
        break;
    case FilterKind::Invert:
        invert(layer.image());
        break;
    case FilterKind::Mono:
        monochrome(layer.image());
        break;
    }
    layer.composite();
}

QRectF PWCIFilterRastGroup::boundsNeededForObject(const PWRenderable& object) const
{
    const QRectF members = PWRastGroup::boundsNeededForObject(object);
    const std::optional<Filter> filter = filterNamed(m_filterName);
    if (members.isNull() || !filter)
        return members;
    const double reach = filterReach(*filter);
    return members.adjusted(-reach, -reach, reach, reach);
}

QString PWCIFilterRastGroup::displayName() const
{
    return QStringLiteral("Core Image Filter Group");
}

QStringList PWCIFilterRastGroup::observableKeyPaths() const
{
    return PWRastGroup::observableKeyPaths() << kFilterNameKey;
}

void PWCIFilterRastGroup::registerActionNames() const
{
    PWRastGroup::registerActionNames();
    setActionName(QStringLiteral("Change Filter"), kFilterNameKey);
}

pf::Ref<pf::Object> PWCIFilterRastGroup::copy() const
{
    return std::make_shared<PWCIFilterRastGroup>(*this);
}

bool PWCIFilterRastGroup::isEqual(const pf::Reflective* other) const
{
    return PWRastGroup::isEqual(other) && static_cast<const PWCIFilterRastGroup*>(other)->m_filterName == m_filterName;
}

void PWCIFilterRastGroup::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWRastGroup::encodeWithCoder(coder);
    coder.encodeString(m_filterName, kFilterNameArchiveKey);
}

void PWCIFilterRastGroup::initWithCoder(pf::KeyedUnarchiver& coder)
{
    PWRastGroup::initWithCoder(coder);
    const QString name = coder.decodeString(kFilterNameArchiveKey);
    m_filterName = name.size() <= kMaxFilterNameLength ? name : QString();
}
