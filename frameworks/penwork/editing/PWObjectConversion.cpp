#include "frameworks/penwork/editing/PWObjectConversion.h"

#include "frameworks/penwork/drawables/PWCentredPath.h"
#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/drawables/PWImageShape.h"
#include "frameworks/penwork/drawables/PWShapeGroup.h"
#include "frameworks/penwork/drawables/PWTextPath.h"
#include "frameworks/penwork/drawables/PWTextShape.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "platform/graphics/BezierPath.h"

#include <QLineF>
#include <QPainterPath>

#include <vector>

namespace {

bool isText(const PWDrawableObject& object)
{
    return object.isKindOf(PWTextShape::staticClass()) || object.isKindOf(PWTextPath::staticClass());
}

bool hasOutline(const pf::Ref<pf::BezierPath>& path)
{
    return path && !path->isEmpty() && !path->controlPointBounds().isNull();
}

// The glyph outlines of a text object, in drawing coordinates, and the colour they show in.
pf::Ref<pf::BezierPath> glyphOutlines(const PWDrawableObject& object, QColor* colour)
{
    QString text;
    PWTextFormat format;
    if (auto shape = dynamic_cast<const PWTextShape*>(&object)) {
        text = shape->text();
        format = shape->textFormat();
    } else if (auto path = dynamic_cast<const PWTextPath*>(&object)) {
        text = path->text();
        format = path->textFormat();
    } else {
        return nullptr;
    }
    if (text.trimmed().isEmpty())
        return nullptr;
    if (colour)
        *colour = format.colour;
    const PWTextLayout layout = pwtext::layoutForObject(text, format, object);
    auto outline = pf::BezierPath::fromQPainterPath(layout.glyphs());
    return hasOutline(outline) ? outline : nullptr;
}

pf::Ref<PWStyle> fillStyle(const QColor& colour)
{
    return PWStyle::styleWithFillColour(pf::Color(colour), pf::Color());
}

template <class T>
pf::Ref<T> withIdentity(const pf::Ref<T>& converted, const PWDrawableObject& original)
{
    if (converted) {
        converted->setName(original.name());
        converted->setMetadata(original.metadata());
    }
    return converted;
}

// The sub-paths of `path`, each a path of its own.
std::vector<pf::Ref<pf::BezierPath>> subpaths(const pf::BezierPath& path)
{
    std::vector<pf::Ref<pf::BezierPath>> parts;
    for (const auto& element : path.elements()) {
        if (element.type == pf::BezierPath::ElementType::MoveTo || parts.empty())
            parts.push_back(pf::BezierPath::path());
        auto& part = *parts.back();
        switch (element.type) {
        case pf::BezierPath::ElementType::MoveTo: part.moveTo(element.points[0]); break;
        case pf::BezierPath::ElementType::LineTo: part.lineTo(element.points[0]); break;
        case pf::BezierPath::ElementType::CurveTo:
            part.curveTo(element.points[2], element.points[0], element.points[1]);
            break;
        case pf::BezierPath::ElementType::ClosePath: part.closePath(); break;
        }
    }
    std::erase_if(parts, [](const auto& part) { return part->elementCount() < 2; });
    return parts;
}

// The separate regions of `path`: each outer sub-path with the holes directly inside it. A
// sub-path inside an odd number of others is a hole of the innermost one round it.
std::vector<pf::Ref<pf::BezierPath>> regions(const pf::BezierPath& path)
{
    const auto parts = subpaths(path);
    const size_t n = parts.size();
    std::vector<QPainterPath> filled;
    for (const auto& part : parts) {
        QPainterPath p = part->toQPainterPath();
        p.closeSubpath();
        filled.push_back(p);
    }
    // containers[i]: the sub-paths wholly round sub-path i.
    std::vector<std::vector<size_t>> containers(n);
    for (size_t i = 0; i < n; ++i)
        for (size_t j = 0; j < n; ++j)
            if (i != j && filled[j].boundingRect().contains(filled[i].boundingRect()) && filled[j].contains(filled[i]))
                containers[i].push_back(j);
    std::vector<pf::Ref<pf::BezierPath>> result(n);
    std::vector<size_t> outers;
    for (size_t i = 0; i < n; ++i)
        if (containers[i].size() % 2 == 0) {
            result[i] = pf::BezierPath::path();
            result[i]->appendPath(*parts[i]);
            result[i]->setWindingRule(pf::BezierPath::WindingRule::EvenOdd);
        }
    for (size_t i = 0; i < n; ++i) {
        if (containers[i].size() % 2 == 0)
            continue;
        // The innermost container: the one inside the most others.
        size_t owner = containers[i].front();
        for (size_t c : containers[i])
            if (containers[c].size() > containers[owner].size())
                owner = c;
        // Holes run against their region, so they stay open under either winding rule.
        if (result[owner])
            result[owner]->appendPath(*parts[i]->reversed());
    }
    std::erase(result, nullptr);
    return result;
}

pf::Ref<PWShapeGroup> groupOfRegions(const pf::BezierPath& outline, const pf::Ref<PWStyle>& style)
{
    QList<pf::Ref<PWDrawableObject>> shapes;
    for (const auto& region : regions(outline))
        if (hasOutline(region))
            shapes.append(PWDrawableShape::drawableShapeWithPath(*region, style));
    if (shapes.isEmpty())
        return nullptr;
    return PWShapeGroup::groupWithObjects(shapes);
}

// The box a text path's text takes as a text shape: its path's bounds, or what it draws when
// the path is a straight line with no height.
QRectF textBox(const PWDrawableObject& object)
{
    const QRectF logical = object.logicalBounds();
    return logical.isEmpty() ? object.bounds() : logical;
}

using Converter = pf::Ref<PWDrawableObject> (*)(const PWDrawableObject&);
using ConversionTest = bool (*)(const PWDrawableObject&);

// A group converts member by member (groups inside it likewise): it can when one of its
// members can, and the members that cannot stay as they are.
bool groupCanConvert(const PWDrawableObject& object, ConversionTest can)
{
    const auto* group = dynamic_cast<const PWShapeGroup*>(&object);
    if (!group)
        return false;
    const auto members = group->members();
    return std::any_of(members.begin(), members.end(), [can](const auto& member) { return can(*member); });
}

pf::Ref<PWDrawableObject> convertGroup(const PWDrawableObject& object, Converter convert)
{
    // A copy gives up its members in drawing coordinates; the original stays untouched.
    auto copy = std::static_pointer_cast<PWShapeGroup>(static_cast<const PWShapeGroup&>(object).copy());
    QList<pf::Ref<PWDrawableObject>> members;
    for (const auto& member : copy->ungroup()) {
        pf::Ref<PWDrawableObject> converted = convert(*member);
        members.append(converted ? converted : member);
    }
    return withIdentity(std::static_pointer_cast<PWDrawableObject>(PWShapeGroup::groupWithObjects(members)), object);
}

} // namespace

bool PWObjectConversion::canConvertToPath(const PWDrawableObject& object)
{
    if (object.isKindOf(PWShapeGroup::staticClass()))
        return groupCanConvert(object, &canConvertToPath);
    if (&object.objClass() == &PWDrawablePath::staticClass() || object.isKindOf(PWShapeGroup::staticClass()) ||
        object.isKindOf(PWImageShape::staticClass()))
        return false;
    if (isText(object))
        return bool(glyphOutlines(object, nullptr));
    return hasOutline(object.renderingPath());
}

pf::Ref<PWDrawableObject> PWObjectConversion::toPath(const PWDrawableObject& object)
{
    if (!canConvertToPath(object))
        return nullptr;
    if (object.isKindOf(PWShapeGroup::staticClass()))
        return convertGroup(object, &toPath);
    if (isText(object)) {
        QColor colour;
        auto outline = glyphOutlines(object, &colour);
        return withIdentity(PWDrawablePath::drawablePathWithPath(*outline, fillStyle(colour)), object);
    }
    if (auto centred = dynamic_cast<const PWCentredPath*>(&object))
        return centred->makePlainPath();
    if (auto shape = dynamic_cast<const PWDrawableShape*>(&object))
        return shape->makePath();
    return withIdentity(PWDrawablePath::drawablePathWithPath(*object.renderingPath(), object.style()), object);
}

bool PWObjectConversion::canConvertToShape(const PWDrawableObject& object)
{
    if (object.isKindOf(PWShapeGroup::staticClass()))
        return groupCanConvert(object, &canConvertToShape);
    if (&object.objClass() == &PWDrawableShape::staticClass() || isText(object) ||
        object.isKindOf(PWShapeGroup::staticClass()) || object.isKindOf(PWImageShape::staticClass()))
        return false;
    if (!object.isKindOf(PWDrawablePath::staticClass()) && !object.isKindOf(PWDrawableShape::staticClass()))
        return false;
    return hasOutline(object.renderingPath()) && !object.renderingPath()->bounds().isEmpty();
}

pf::Ref<PWDrawableObject> PWObjectConversion::toShape(const PWDrawableObject& object)
{
    if (!canConvertToShape(object))
        return nullptr;
    if (object.isKindOf(PWShapeGroup::staticClass()))
        return convertGroup(object, &toShape);
    if (auto path = dynamic_cast<const PWDrawablePath*>(&object))
        return path->makeShape();
    return withIdentity(PWDrawableShape::drawableShapeWithPath(*object.renderingPath(), object.style()), object);
}

bool PWObjectConversion::canConvertToShapeGroup(const PWDrawableObject& object)
{
    if (object.isKindOf(PWShapeGroup::staticClass()) || object.isKindOf(PWImageShape::staticClass()))
        return false;
    if (isText(object))
        return bool(glyphOutlines(object, nullptr));
    const auto outline = object.renderingPath();
    return hasOutline(outline) && regions(*outline).size() >= 2;
}

pf::Ref<PWDrawableObject> PWObjectConversion::toShapeGroup(const PWDrawableObject& object)
{
    if (!canConvertToShapeGroup(object))
        return nullptr;
    if (isText(object)) {
        QColor colour;
        auto outline = glyphOutlines(object, &colour);
        return withIdentity(groupOfRegions(*outline, fillStyle(colour)), object);
    }
    return withIdentity(groupOfRegions(*object.renderingPath(), object.style()), object);
}

bool PWObjectConversion::canConvertToTextShape(const PWDrawableObject& object)
{
    if (object.isKindOf(PWShapeGroup::staticClass()))
        return groupCanConvert(object, &canConvertToTextShape);
    return object.isKindOf(PWTextPath::staticClass()) && !textBox(object).isEmpty();
}

pf::Ref<PWDrawableObject> PWObjectConversion::toTextShape(const PWDrawableObject& object)
{
    if (!canConvertToTextShape(object))
        return nullptr;
    if (object.isKindOf(PWShapeGroup::staticClass()))
        return convertGroup(object, &toTextShape);
    const auto& path = static_cast<const PWTextPath&>(object);
    auto shape = PWTextShape::textShapeWithRect(textBox(object), path.text(), path.style());
    shape->setTextAttributes(path.textAttributes());
    shape->setClipsToPath(path.clipsToPath());
    return withIdentity(shape, object);
}

bool PWObjectConversion::canConvertToTextPath(const PWDrawableObject& object)
{
    if (object.isKindOf(PWShapeGroup::staticClass()))
        return groupCanConvert(object, &canConvertToTextPath);
    return object.isKindOf(PWTextShape::staticClass()) && object.size().width() > 0.0;
}

pf::Ref<PWDrawableObject> PWObjectConversion::toTextPath(const PWDrawableObject& object)
{
    if (!canConvertToTextPath(object))
        return nullptr;
    if (object.isKindOf(PWShapeGroup::staticClass()))
        return convertGroup(object, &toTextPath);
    const auto& shape = static_cast<const PWTextShape&>(object);
    // Across the middle of the box, left to right, turned with the box.
    const QTransform transform = shape.transform();
    pf::BezierPath line;
    line.moveTo(transform.map(QPointF(-0.5, 0.0)));
    line.lineTo(transform.map(QPointF(0.5, 0.0)));
    auto path = PWTextPath::textPathWithPath(line, shape.text(), shape.style());
    path->setTextAttributes(shape.textAttributes());
    return withIdentity(path, object);
}

pf::Ref<PWDrawableObject> PWObjectConversion::toClass(const PWDrawableObject& object, const pf::Class& cls)
{
    if (&cls == &PWDrawablePath::staticClass())
        return toPath(object);
    if (&cls == &PWDrawableShape::staticClass())
        return toShape(object);
    if (&cls == &PWTextShape::staticClass())
        return toTextShape(object);
    if (&cls == &PWTextPath::staticClass())
        return toTextPath(object);
    if (&cls == &PWShapeGroup::staticClass())
        return toShapeGroup(object);
    return nullptr;
}

pf::Ref<pf::BezierPath> PWObjectConversion::joinedPath(const pf::BezierPath& first, const pf::BezierPath& second,
                                                       double tolerance)
{
    if (first.elementCount() < 2 || second.elementCount() < 2)
        return nullptr;
    auto a = std::static_pointer_cast<pf::BezierPath>(first.copy());
    auto b = std::static_pointer_cast<pf::BezierPath>(second.copy());
    const auto gap = [](const QPointF& p, const QPointF& q) { return QLineF(p, q).length(); };
    // The four ways the two can meet, nearest first: end to start, end to end, start to start,
    // start to end.
    struct Way {
        double distance;
        bool reverseFirst;
        bool reverseSecond;
    };
    const Way ways[] = {
        {gap(a->currentPoint(), b->firstPoint()), false, false},
        {gap(a->currentPoint(), b->currentPoint()), false, true},
        {gap(a->firstPoint(), b->firstPoint()), true, false},
        {gap(a->firstPoint(), b->currentPoint()), true, true},
    };
    const Way* best = &ways[0];
    for (const Way& way : ways)
        if (way.distance < best->distance)
            best = &way;
    if (!(best->distance <= tolerance))
        return nullptr;
    if (best->reverseFirst)
        a = a->reversed();
    if (best->reverseSecond)
        b = b->reversed();
    if (best->distance > 1e-9)
        a->lineTo(b->firstPoint());
    a->appendPathRemovingInitialMoveTo(*b);
    return a;
}
