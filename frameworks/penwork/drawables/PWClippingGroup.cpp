#include "frameworks/penwork/drawables/PWClippingGroup.h"

#include "frameworks/penwork/renderers/PWCompositing.h"
#include "frameworks/penwork/renderers/PWOffscreenLayer.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/graphics/GraphicsContext.h"

#include <QCoreApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

const QString kClipKey = QStringLiteral("pw_clippingGroup_clip");
const QString kClipKindKey = QStringLiteral("pw_clippingGroup_kind");
const QString kOpacityKey = QStringLiteral("pw_clippingGroup_opacity");
const QString kBlendModeKey = QStringLiteral("pw_clippingGroup_blendMode");

bool isBlendValue(int mode)
{
    return pw::renderers::isCompositingValue(mode) || pw::renderers::isNonSeparableBlendValue(mode);
}

// Whether `object` is `target` or holds it at any depth, as a member or as a clip; a damaged
// archive could otherwise make a group clip itself and every drawing of it endless.
bool reaches(const PWDrawableObject* object, const PWDrawableObject* target, int depth = 0)
{
    if (!object)
        return false;
    if (object == target || depth > 10000)
        return true;
    if (auto* clipping = dynamic_cast<const PWClippingGroup*>(object))
        if (reaches(clipping->clip().get(), target, depth + 1))
            return true;
    if (auto* group = dynamic_cast<const PWShapeGroup*>(object))
        for (const auto& member : group->members())
            if (reaches(member.get(), target, depth + 1))
                return true;
    return false;
}

} // namespace

PF_DEFINE_CLASS(PWClippingGroup, PWShapeGroup)
{
    b.protocol(pf::kCodingProtocol);
    b.property(
        "clip", [](const PWClippingGroup& self) -> QVariant { return pf::toVariant(self.clip()); }, {});
    b.property("clipKind", &PWClippingGroup::clipKind);
    b.property("groupOpacity", &PWClippingGroup::groupOpacity, &PWClippingGroup::setGroupOpacity);
    b.property("blendMode", &PWClippingGroup::blendMode, &PWClippingGroup::setBlendMode);
    b.classMethod("displayName", [](const pf::Class&, const QVariantList&) {
        return QVariant(QCoreApplication::translate("PWClippingGroup", "Clipping Group"));
    });
}

PWClippingGroup::PWClippingGroup() : m_blendMode(pw::renderers::CompositeSourceOver) {}

PWClippingGroup::PWClippingGroup(const PWClippingGroup& other)
    : PWShapeGroup(other)
    , m_kind(other.m_kind)
    , m_opacity(other.m_opacity)
    , m_blendMode(other.m_blendMode)
{
    if (other.m_clip)
        adoptClip(std::dynamic_pointer_cast<PWDrawableObject>(other.m_clip->copy()));
}

PWClippingGroup::~PWClippingGroup()
{
    if (m_clip)
        m_clip->setContainer(nullptr);
}

pf::Ref<PWClippingGroup> PWClippingGroup::clippingGroupWithObjects(const QList<pf::Ref<PWDrawableObject>>& objects,
                                                                   const pf::Ref<PWDrawableObject>& clip, int kind)
{
    auto group = std::make_shared<PWClippingGroup>();
    QRectF reference;
    for (const auto& object : objects)
        if (object)
            reference = reference.isNull() ? object->logicalBounds() : reference.united(object->logicalBounds());
    group->takeObjects(objects, reference);
    group->m_kind = kind == ClipLuminance ? ClipLuminance : ClipCoverage;
    // The clip is in drawing coordinates now, which are the new group's own space.
    if (clip && !reaches(clip.get(), group.get()))
        group->adoptClip(clip);
    return group;
}

void PWClippingGroup::setGroupOpacity(double opacity)
{
    if (std::isnan(opacity))
        return;
    m_opacity = std::clamp(opacity, 0.0, 1.0);
    notifyVisualChange();
}

void PWClippingGroup::setBlendMode(int mode)
{
    if (!isBlendValue(mode))
        return;
    m_blendMode = mode;
    notifyVisualChange();
}

bool PWClippingGroup::isComposited() const
{
    return m_clip || m_opacity < 1.0 || m_blendMode != pw::renderers::CompositeSourceOver;
}

void PWClippingGroup::adoptClip(const pf::Ref<PWDrawableObject>& clip)
{
    if (m_clip)
        m_clip->setContainer(nullptr);
    m_clip = clip;
    if (m_clip) {
        m_clip->setContainer(this);
        m_clip->clearBoundsCache();
    }
    clearBoundsCache();
}

void PWClippingGroup::clearMemberBounds() const
{
    PWShapeGroup::clearMemberBounds();
    if (m_clip)
        m_clip->clearBoundsCache();
}

void PWClippingGroup::setContainer(PWDrawableContainer* container)
{
    PWShapeGroup::setContainer(container);
    if (m_clip)
        m_clip->setContainer(this);
}

void PWClippingGroup::applyClip(QImage& content, const QImage& clip, int kind)
{
    if (content.isNull())
        return;
    if (content.format() != QImage::Format_ARGB32_Premultiplied)
        content.convertTo(QImage::Format_ARGB32_Premultiplied);
    const QImage mask = clip.format() == QImage::Format_ARGB32_Premultiplied
                            ? clip
                            : clip.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < content.height(); ++y) {
        auto* out = reinterpret_cast<QRgb*>(content.scanLine(y));
        const QRgb* in = y < mask.height() ? reinterpret_cast<const QRgb*>(mask.constScanLine(y)) : nullptr;
        for (int x = 0; x < content.width(); ++x) {
            // Premultiplied channels already carry the clip's own transparency.
            int factor = 0;
            if (in && x < mask.width()) {
                const QRgb m = in[x];
                factor = kind == ClipLuminance
                             ? std::clamp(int(0.2125 * qRed(m) + 0.7154 * qGreen(m) + 0.0721 * qBlue(m) + 0.5), 0, 255)
                             : qAlpha(m);
            }
            if (factor == 255)
                continue;
            const QRgb c = out[x];
            auto scaled = [factor](int v) { return (v * factor + 127) / 255; };
            out[x] = qRgba(scaled(qRed(c)), scaled(qGreen(c)), scaled(qBlue(c)), scaled(qAlpha(c)));
        }
    }
}

QRectF PWClippingGroup::bounds() const
{
    QRectF shown = PWShapeGroup::bounds();
    if (m_clip)
        shown = shown.intersected(m_clip->bounds());
    return shown;
}

void PWClippingGroup::drawClipped(PWStyle* style)
{
    if (!visible())
        return;
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context)
        return;
    auto drawMembers = [&] {
        if (style)
            PWShapeGroup::drawContentWithStyle(style);
        else
            PWShapeGroup::drawContent();
    };
    if (!isComposited()) {
        drawMembers();
        return;
    }
    if (m_opacity <= 0.0)
        return;
    const QRectF area = bounds();
    if (area.isEmpty())
        return;
    // The members (and the clip) are drawn apart over the same pixels; the members' pixels
    // are kept as far as the clip lets them, then laid over what is under the group.
    PWOffscreenLayer content(*context, area);
    if (content.isNull())
        return;
    content.paint(drawMembers);
    if (m_clip) {
        PWOffscreenLayer clip(*context, area);
        if (clip.isNull() || clip.image().size() != content.image().size())
            return;
        clip.paint([&] { m_clip->drawContent(); });
        applyClip(content.image(), clip.image(), m_kind);
    }
    if (pw::renderers::isNonSeparableBlendValue(m_blendMode)) {
        QPaintDevice* device = context->painter().device();
        if (device && device->devType() == QInternal::Image && content.reduction() == 1.0) {
            auto* target = static_cast<QImage*>(device);
            QImage backdrop = target->copy(content.region());
            if (backdrop.size() == content.image().size()) {
                if (m_opacity < 1.0) {
                    QPainter fade(&content.image());
                    fade.setCompositionMode(QPainter::CompositionMode_DestinationIn);
                    fade.fillRect(content.image().rect(), QColor(0, 0, 0, int(std::lround(m_opacity * 255.0))));
                }
                pw::renderers::blendNonSeparable(backdrop, content.image(), m_blendMode);
                content.composite(QPainter::CompositionMode_Source, 1.0, &backdrop);
                return;
            }
        }
        content.composite(QPainter::CompositionMode_SourceOver, m_opacity);
        return;
    }
    content.composite(pw::renderers::compositionModeForValue(m_blendMode), m_opacity);
}

void PWClippingGroup::drawContent() { drawClipped(nullptr); }

void PWClippingGroup::drawContentWithStyle(PWStyle* style) { drawClipped(style); }

bool PWClippingGroup::hitTest(const QPointF& point) const
{
    if (m_clip && !m_clip->bounds().contains(point))
        return false;
    return PWShapeGroup::hitTest(point);
}

QList<pf::Ref<PWStyle>> PWClippingGroup::allStyles() const
{
    QList<pf::Ref<PWStyle>> styles = PWShapeGroup::allStyles();
    if (m_clip)
        for (const auto& style : m_clip->allStyles())
            if (style && !styles.contains(style))
                styles.append(style);
    return styles;
}

void PWClippingGroup::replaceStyles(const QHash<const PWStyle*, pf::Ref<PWStyle>>& replacements)
{
    PWShapeGroup::replaceStyles(replacements);
    if (m_clip)
        m_clip->replaceStyles(replacements);
}

pf::Ref<pf::Object> PWClippingGroup::copy() const { return std::make_shared<PWClippingGroup>(*this); }

void PWClippingGroup::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWShapeGroup::encodeWithCoder(coder);
    coder.encodeObject(m_clip, kClipKey);
    coder.encodeInt32(m_kind, kClipKindKey);
    coder.encodeDouble(m_opacity, kOpacityKey);
    coder.encodeInt32(m_blendMode, kBlendModeKey);
}

void PWClippingGroup::initWithCoder(pf::KeyedUnarchiver& coder)
{
    PWShapeGroup::initWithCoder(coder);
    const int kind = coder.decodeInt32(kClipKindKey);
    m_kind = kind == ClipLuminance ? ClipLuminance : ClipCoverage;
    const double opacity = coder.containsValueForKey(kOpacityKey) ? coder.decodeDouble(kOpacityKey) : 1.0;
    m_opacity = std::isfinite(opacity) ? std::clamp(opacity, 0.0, 1.0) : 1.0;
    const int mode = coder.containsValueForKey(kBlendModeKey) ? coder.decodeInt32(kBlendModeKey)
                                                              : int(pw::renderers::CompositeSourceOver);
    m_blendMode = isBlendValue(mode) ? mode : int(pw::renderers::CompositeSourceOver);
    auto clip = coder.decodeObjectOfClass<PWDrawableObject>(kClipKey);
    adoptClip(clip && !reaches(clip.get(), this) ? clip : nullptr);
}
