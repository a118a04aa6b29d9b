#include "frameworks/penwork/drawables/PWClippingGroup.h"

#include "frameworks/penwork/renderers/PWOffscreenLayer.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/graphics/GraphicsContext.h"

#include <QCoreApplication>
#include <QImage>

#include <algorithm>

namespace {

const QString kClipKey = QStringLiteral("pw_clippingGroup_clip");
const QString kClipKindKey = QStringLiteral("pw_clippingGroup_kind");

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
    b.classMethod("displayName", [](const pf::Class&, const QVariantList&) {
        return QVariant(QCoreApplication::translate("PWClippingGroup", "Clipping Group"));
    });
}

PWClippingGroup::PWClippingGroup() = default;

PWClippingGroup::PWClippingGroup(const PWClippingGroup& other) : PWShapeGroup(other), m_kind(other.m_kind)
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
    if (!m_clip) {
        drawMembers();
        return;
    }
    const QRectF area = bounds();
    if (area.isEmpty())
        return;
    // The members and the clip are drawn apart over the same pixels, and the members' pixels
    // are then kept as far as the clip lets them.
    PWOffscreenLayer content(*context, area);
    if (content.isNull())
        return;
    content.paint(drawMembers);
    PWOffscreenLayer clip(*context, area);
    if (clip.isNull() || clip.image().size() != content.image().size())
        return;
    clip.paint([&] { m_clip->drawContent(); });
    applyClip(content.image(), clip.image(), m_kind);
    content.composite();
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
}

void PWClippingGroup::initWithCoder(pf::KeyedUnarchiver& coder)
{
    PWShapeGroup::initWithCoder(coder);
    const int kind = coder.decodeInt32(kClipKindKey);
    m_kind = kind == ClipLuminance ? ClipLuminance : ClipCoverage;
    auto clip = coder.decodeObjectOfClass<PWDrawableObject>(kClipKey);
    adoptClip(clip && !reaches(clip.get(), this) ? clip : nullptr);
}
