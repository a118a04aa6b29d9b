// Clip paths and masks: what an element draws becomes a clipping group whose clip is built
// from the clipPath or mask element it refers to, in drawing coordinates.
#include "frameworks/penwork/svg/PWSVGDrawingBuilder.h"

#include "frameworks/penwork/drawables/PWClippingGroup.h"
#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/drawables/PWShapeGroup.h"
#include "frameworks/penwork/styles/PWFill.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/svg/PWSVGStyle.h"
#include "frameworks/penwork/svg/PWSVGValueParsing.h"

#include "platform/graphics/BezierPath.h"

using pwsvg::Length;
using pwsvg::LengthAxis;
using pwsvg::Style;

namespace {

QTransform boxTransform(const QRectF& box) { return QTransform(box.width(), 0, 0, box.height(), box.x(), box.y()); }

bool usable(const QTransform& transform)
{
    return pwsvg::isFinite(transform) && std::abs(transform.determinant()) > 1e-18;
}

// A fraction of the bounding box: a number, or a percentage of it.
double fraction(const PWSVGElement& element, const char* key, double fallback)
{
    const QString* text = element.attributes.find(QLatin1String(key));
    if (!text)
        return fallback;
    auto parsed = pwsvg::parseLength(*text);
    if (!parsed)
        return fallback;
    return parsed->unit == Length::Percent ? parsed->value / 100.0 : parsed->value;
}

pf::Ref<PWDrawableObject> oneObject(const QList<pf::Ref<PWDrawableObject>>& objects)
{
    if (objects.isEmpty())
        return nullptr;
    if (objects.size() == 1)
        return objects.first();
    return PWShapeGroup::groupWithObjects(objects);
}

} // namespace

Style PWSVGDrawingBuilder::inheritedStyle(const PWSVGElement& element) const
{
    // Referenced elements inherit from where they stand in the document, not from where
    // they are used.
    QList<const PWSVGElement*> chain;
    for (const PWSVGElement* e = &element; e && chain.size() < 512; e = e->parent)
        chain.prepend(e);
    Style style;
    for (const PWSVGElement* e : chain)
        style = computeStyle(*e, style);
    return style;
}

const PWSVGElement* PWSVGDrawingBuilder::referencedElement(const QString& id, const char* name) const
{
    const PWSVGElement* target = m_ids.value(id);
    if (!target || target->name != QLatin1String(name) || m_referenceStack.contains(target))
        return nullptr;
    return target;
}

bool PWSVGDrawingBuilder::appendClipped(const PWSVGElement& element, const Style& style, const QTransform& ctm,
                                        Objects& content, Objects& out)
{
    if (content.size() == 0)
        return true;
    // The element's bounding box in its user space, for clips and masks sized by it.
    // Outlines are measured in user space, so that a skewed or turned element has the box
    // its own geometry has; other objects by their drawn bounds.
    bool invertible = false;
    const QTransform toUser = ctm.inverted(&invertible);
    QRectF bbox;
    if (invertible) {
        for (qsizetype i = 0; i < content.size(); ++i) {
            const pf::Ref<PWDrawableObject>& object = content.objects[i];
            QRectF box;
            if (std::dynamic_pointer_cast<PWDrawableShape>(object) || std::dynamic_pointer_cast<PWDrawablePath>(object))
                if (auto path = object->renderingPath(); path && !path->isEmpty())
                    box = path->transformed(toUser)->bounds();
            if (box.isNull())
                box = toUser.mapRect(content.boundsAt(i));
            bbox = bbox.isNull() ? box : bbox.united(box);
        }
    }

    QList<pf::Ref<PWDrawableObject>> shown = content.objects;
    // A reference to nothing, to the wrong kind of element or to one being built is ignored;
    // a clip path or mask that lets nothing through hides the element.
    if (const PWSVGElement* clipPath = referencedElement(style.clipId, "clipPath")) {
        pf::Ref<PWDrawableObject> clip = clipObject(*clipPath, bbox, ctm);
        if (m_failed)
            return false;
        if (!clip)
            return true;
        shown = {PWClippingGroup::clippingGroupWithObjects(shown, clip, PWClippingGroup::ClipCoverage)};
    }
    if (m_clipContent == 0)
        if (const PWSVGElement* mask = referencedElement(style.maskId, "mask")) {
            int kind = PWClippingGroup::ClipLuminance;
            pf::Ref<PWDrawableObject> clip = maskObject(*mask, bbox, ctm, &kind);
            if (m_failed)
                return false;
            if (!clip)
                return true;
            shown = {PWClippingGroup::clippingGroupWithObjects(shown, clip, kind)};
        }
    if (shown.size() == content.size() && shown == content.objects) {
        appendGrouped(content, out);
        return true;
    }
    return addObject(shown.first(), out);
}

pf::Ref<PWDrawableObject> PWSVGDrawingBuilder::clipObject(const PWSVGElement& clipPath, const QRectF& bbox,
                                                          const QTransform& ctm)
{
    const Style clipStyle = inheritedStyle(clipPath);
    QTransform transform = ctm;
    if (clipPath.hasAttribute(QStringLiteral("transform"))) {
        // A transform that cannot be read leaves the clip path as it is; one that flattens it
        // lets nothing through.
        if (auto own = pwsvg::parseTransform(clipPath.attribute(QStringLiteral("transform"))))
            transform = pwsvg::aboutOrigin(*own, clipStyle.transformOrigin, m_viewport) * transform;
    }
    if (clipPath.attribute(QStringLiteral("clipPathUnits")).trimmed() == u"objectBoundingBox") {
        if (!(bbox.width() > 0.0) || !(bbox.height() > 0.0))
            return nullptr;
        transform = boxTransform(bbox) * transform;
    }
    if (!usable(transform))
        return nullptr;

    m_referenceStack.append(&clipPath);
    ++m_clipContent;
    Objects outlines;
    for (const auto& child : clipPath.children) {
        if (child->isText())
            continue;
        if (!buildElement(*child, clipStyle, transform, 1.0, outlines))
            break;
    }
    --m_clipContent;
    pf::Ref<PWDrawableObject> clip = m_failed ? nullptr : oneObject(outlines.objects);
    // A clip path may be clipped in turn; its own clip is placed as the element's would be.
    if (clip && !clipStyle.clipId.isEmpty())
        if (const PWSVGElement* outer = referencedElement(clipStyle.clipId, "clipPath")) {
            pf::Ref<PWDrawableObject> outerClip = clipObject(*outer, bbox, ctm);
            clip = outerClip ? PWClippingGroup::clippingGroupWithObjects({clip}, outerClip,
                                                                         PWClippingGroup::ClipCoverage)
                             : nullptr;
        }
    m_referenceStack.removeLast();
    return clip;
}

pf::Ref<PWDrawableObject> PWSVGDrawingBuilder::maskObject(const PWSVGElement& mask, const QRectF& bbox,
                                                          const QTransform& ctm, int* kind)
{
    const bool boxUnits = mask.attribute(QStringLiteral("maskUnits")).trimmed() != u"userSpaceOnUse";
    const bool boxContent = mask.attribute(QStringLiteral("maskContentUnits")).trimmed() == u"objectBoundingBox";
    if ((boxUnits || boxContent) && (!(bbox.width() > 0.0) || !(bbox.height() > 0.0)))
        return nullptr;
    // The region the mask covers: by default the bounding box with a tenth more on each side.
    QRectF region;
    if (boxUnits) {
        region = QRectF(fraction(mask, "x", -0.1), fraction(mask, "y", -0.1), fraction(mask, "width", 1.2),
                        fraction(mask, "height", 1.2));
        region = boxTransform(bbox).mapRect(region);
    } else {
        const double fs = 16.0;
        const double w = m_viewport.width();
        const double h = m_viewport.height();
        region = QRectF(length(mask, QStringLiteral("x"), int(LengthAxis::Horizontal), fs, -0.1 * w),
                        length(mask, QStringLiteral("y"), int(LengthAxis::Vertical), fs, -0.1 * h),
                        length(mask, QStringLiteral("width"), int(LengthAxis::Horizontal), fs, 1.2 * w),
                        length(mask, QStringLiteral("height"), int(LengthAxis::Vertical), fs, 1.2 * h));
    }
    if (!(region.width() > 0.0) || !(region.height() > 0.0))
        return nullptr;
    const QTransform contentTransform = boxContent ? boxTransform(bbox) * ctm : ctm;
    if (!usable(contentTransform))
        return nullptr;

    const PWSVGAttributes declared = declaredProperties(mask);
    *kind = declared.value(QStringView(u"mask-type")).trimmed() == u"alpha" ? PWClippingGroup::ClipCoverage
                                                                            : PWClippingGroup::ClipLuminance;
    Style maskStyle = inheritedStyle(mask);
    m_referenceStack.append(&mask);
    const int clipContent = std::exchange(m_clipContent, 0);
    Objects painted;
    buildChildren(mask, maskStyle, contentTransform, 1.0, false, painted);
    m_clipContent = clipContent;
    pf::Ref<PWDrawableObject> clip;
    if (!m_failed && painted.size() > 0) {
        // What the mask paints counts only within its region.
        auto regionPath = pf::BezierPath::pathWithRect(region)->transformed(ctm);
        auto regionStyle = std::make_shared<PWStyle>();
        regionStyle->addRenderer(PWFill::fillWithColour(pf::Color(QColor(Qt::black))));
        auto regionShape = PWDrawableShape::drawableShapeWithPath(*regionPath, regionStyle);
        clip = PWClippingGroup::clippingGroupWithObjects(painted.objects, regionShape, PWClippingGroup::ClipCoverage);
    }
    // A mask may be masked in turn, placed as the element's own would be.
    if (clip && !maskStyle.maskId.isEmpty())
        if (const PWSVGElement* outer = referencedElement(maskStyle.maskId, "mask")) {
            int outerKind = PWClippingGroup::ClipLuminance;
            pf::Ref<PWDrawableObject> outerClip = maskObject(*outer, bbox, ctm, &outerKind);
            clip = outerClip ? PWClippingGroup::clippingGroupWithObjects({clip}, outerClip, outerKind) : nullptr;
        }
    m_referenceStack.removeLast();
    return clip;
}
