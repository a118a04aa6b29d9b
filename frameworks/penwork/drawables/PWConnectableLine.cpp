#include "frameworks/penwork/drawables/PWConnectableLine.h"

#include "frameworks/penwork/support/RVUndoManager.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/graphics/BezierPath.h"

#include <algorithm>

namespace {

const QString kStartObjectKey = QStringLiteral("PWConnectableLine_startObject");
const QString kEndObjectKey = QStringLiteral("PWConnectableLine_endObject");
const QString kStartAnchorKey = QStringLiteral("PWConnectableLine_startAnchor");
const QString kEndAnchorKey = QStringLiteral("PWConnectableLine_endAnchor");
const QString kTrackKey = QStringLiteral("PWConnectableLine_track");

QPointF clampedUnit(const QPointF& p)
{
    return QPointF(std::clamp(p.x(), 0.0, 1.0), std::clamp(p.y(), 0.0, 1.0));
}

// The index of the last element that has an end point (a close has none).
int lastPointElement(const pf::BezierPath& path)
{
    for (int i = path.elementCount() - 1; i >= 0; --i) {
        if (path.elementAt(i).pointCount() > 0)
            return i;
    }
    return -1;
}

} // namespace

PF_DEFINE_CLASS(PWConnectableLine, PWDrawablePath)
{
    b.protocol(pf::kCodingProtocol);
}

PWConnectableLine::PWConnectableLine()
{
    addObserver(this, PWDrawableObject::kVisualChangeKey);
}

PWConnectableLine::PWConnectableLine(const pf::BezierPath& path, pf::Ref<PWStyle> style)
    : PWDrawablePath(path, std::move(style))
{
    addObserver(this, PWDrawableObject::kVisualChangeKey);
}

PWConnectableLine::PWConnectableLine(const PWConnectableLine& other)
    : PWDrawablePath(other), m_track(other.m_track)
{
    for (End end : {kStart, kEnd}) {
        m_copiedFrom[end] = other.m_object[end];
        m_anchor[end] = other.m_anchor[end];
    }
    addObserver(this, PWDrawableObject::kVisualChangeKey);
}

PWConnectableLine::~PWConnectableLine()
{
    for (End end : {kStart, kEnd})
        observe(end, false);
}

void PWConnectableLine::reattachCopies(const QList<pf::Ref<PWDrawableObject>>& originals,
                                       const QList<pf::Ref<PWDrawableObject>>& copies)
{
    for (const pf::Ref<PWDrawableObject>& object : copies) {
        auto line = std::dynamic_pointer_cast<PWConnectableLine>(object);
        if (!line)
            continue;
        for (End end : {kStart, kEnd}) {
            const pf::Ref<PWDrawableObject> source = line->m_copiedFrom[end].lock();
            line->m_copiedFrom[end].reset();
            const qsizetype index = source ? originals.indexOf(source) : -1;
            if (index < 0 || index >= copies.size() || copies[index] == line)
                continue;
            line->observe(end, false);
            line->m_object[end] = copies[index];
            line->observe(end, true);
        }
        line->followAttachments();
    }
}

pf::Ref<pf::Object> PWConnectableLine::copy() const
{
    return std::make_shared<PWConnectableLine>(*this);
}

void PWConnectableLine::observe(End end, bool start)
{
    const pf::Ref<PWDrawableObject> object = m_object[end].lock();
    if (!object)
        return;
    if (start) {
        object->addObserver(this, PWDrawableObject::kVisualChangeKey);
    } else {
        try {
            object->removeObserver(this, PWDrawableObject::kVisualChangeKey);
        } catch (const std::exception&) {
            // Never observed (the same object at both ends is observed once per end).
        }
    }
}

QPointF PWConnectableLine::endPoint(End end) const
{
    const pf::Ref<pf::BezierPath> p = path();
    if (!p || p->isEmpty())
        return {};
    return end == kStart ? p->firstPoint() : p->currentPoint();
}

void PWConnectableLine::attach(End end, const pf::Ref<PWDrawableObject>& object)
{
    if (object.get() == this)
        return;
    observe(end, false);
    m_object[end] = object;
    m_anchor[end] = {};
    if (!object)
        return;
    const QRectF b = object->bounds();
    const QPointF at = endPoint(end);
    m_anchor[end] = clampedUnit(QPointF(b.width() > 0 ? (at.x() - b.left()) / b.width() : 0.5,
                                        b.height() > 0 ? (at.y() - b.top()) / b.height() : 0.5));
    observe(end, true);
}

pf::Ref<PWDrawableObject> PWConnectableLine::attachedObject(End end) const
{
    return m_object[end].lock();
}

bool PWConnectableLine::isAttached() const
{
    return !m_object[kStart].expired() || !m_object[kEnd].expired();
}

void PWConnectableLine::setLocation(const QPointF& location)
{
    if (isAttached())
        return;
    PWDrawablePath::setLocation(location);
}

void PWConnectableLine::followAttachments()
{
    const pf::Ref<pf::BezierPath> current = path();
    if (!current || current->elementCount() < 2 || m_following)
        return;
    pf::BezierPath moved(*current);
    const int last = lastPointElement(moved);
    if (last <= 0)
        return;
    QPointF shift[2];
    bool changed = false;
    for (End end : {kStart, kEnd}) {
        const pf::Ref<PWDrawableObject> object = m_object[end].lock();
        if (!object)
            continue;
        const QRectF b = object->bounds();
        const QPointF target(b.left() + m_anchor[end].x() * b.width(), b.top() + m_anchor[end].y() * b.height());
        const int index = end == kStart ? 0 : last;
        if (index < 0)
            continue;
        pf::BezierPath::Element element = moved.elementAt(index);
        const int point = std::max(0, element.pointCount() - 1);
        if (element.points[point] == target)
            continue;
        shift[end] = target - element.points[point];
        element.points[point] = target;
        moved.setAssociatedPoints(index, element.points);
        changed = true;
    }
    if (!changed)
        return;
    // The points between take their share of both ends' moves by their place in the line (by
    // index, so that the object's move undone brings them exactly back).
    for (int index = 1; index < last; ++index) {
        pf::BezierPath::Element element = moved.elementAt(index);
        const double t = double(index) / last;
        const QPointF offset = (1.0 - t) * shift[kStart] + t * shift[kEnd];
        for (int p = 0; p < element.pointCount(); ++p)
            element.points[p] += offset;
        moved.setAssociatedPoints(index, element.points);
    }
    // A track keeps its middle run upright: its corners take the ends' new heights.
    if (m_track && moved.elementCount() == 4 && last == 3) {
        const QPointF s = moved.elementAt(0).points[0];
        const QPointF e = moved.elementAt(3).points[0];
        const double midX = (s.x() + e.x()) / 2.0;
        moved.setAssociatedPoints(1, {QPointF(midX, s.y()), {}, {}});
        moved.setAssociatedPoints(2, {QPointF(midX, e.y()), {}, {}});
    }
    // Following is derived from the objects' own (undoable) changes: no undo step here.
    RVUndoManager* undo = undoManager();
    if (undo)
        undo->disableUndoRegistration();
    m_following = true;
    try {
        setPath(std::make_shared<pf::BezierPath>(moved));
    } catch (...) {
        m_following = false;
        if (undo)
            undo->enableUndoRegistration();
        throw;
    }
    m_following = false;
    if (undo)
        undo->enableUndoRegistration();
}

void PWConnectableLine::observeValueForKeyPath(const QString& keyPath, pf::Reflective* object,
                                               const QVariantMap& change, void* context)
{
    // An attached object changed, or the line itself was moved or reshaped: the ends go
    // back to their objects.
    if (keyPath == PWDrawableObject::kVisualChangeKey) {
        if (!m_following)
            followAttachments();
        return;
    }
    PWDrawablePath::observeValueForKeyPath(keyPath, object, change, context);
}

void PWConnectableLine::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWDrawablePath::encodeWithCoder(coder);
    // Conditional: the objects are stored by their layers; the line only refers to them.
    coder.encodeConditionalObject(m_object[kStart].lock(), kStartObjectKey);
    coder.encodeConditionalObject(m_object[kEnd].lock(), kEndObjectKey);
    coder.encodePoint(m_anchor[kStart], kStartAnchorKey);
    coder.encodePoint(m_anchor[kEnd], kEndAnchorKey);
    coder.encodeBool(m_track, kTrackKey);
}

void PWConnectableLine::initWithCoder(pf::KeyedUnarchiver& coder)
{
    PWDrawablePath::initWithCoder(coder);
    m_track = coder.decodeBool(kTrackKey);
    const QString objectKeys[2] = {kStartObjectKey, kEndObjectKey};
    const QString anchorKeys[2] = {kStartAnchorKey, kEndAnchorKey};
    for (End end : {kStart, kEnd}) {
        observe(end, false);
        m_object[end] = std::dynamic_pointer_cast<PWDrawableObject>(coder.decodeObjectForKey(objectKeys[end]));
        m_anchor[end] = clampedUnit(coder.decodePoint(anchorKeys[end]));
        observe(end, true);
    }
}
