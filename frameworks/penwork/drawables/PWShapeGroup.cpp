#include "frameworks/penwork/drawables/PWShapeGroup.h"

#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/graphics/GraphicsContext.h"

#include <QCoreApplication>
#include <QHash>
#include <QPainter>
#include <QPolygonF>
#include <QSet>

#include <cmath>

namespace {

const QString kMembersKey = QStringLiteral("pw_shapeGroup_members");
const QString kReferenceRectKey = QStringLiteral("pw_shapeGroup_referenceRect");

const QStringList& ownGeometryKeys()
{
    static const QStringList keys{"location", "size", "angle", "offset"};
    return keys;
}

bool finiteRect(const QRectF& r)
{
    return std::isfinite(r.x()) && std::isfinite(r.y()) && std::isfinite(r.width()) && std::isfinite(r.height()) &&
           r.width() >= 0.0 && r.height() >= 0.0;
}

QRectF unite(const QRectF& a, const QRectF& b)
{
    if (a.isNull())
        return b;
    if (b.isNull())
        return a;
    return a.united(b);
}

// Whether `group` holds `target` at any depth; a damaged archive could otherwise make a group
// its own member and every walk over the members endless.
bool groupReaches(const PWShapeGroup* group, const PWDrawableObject* target, int depth = 0)
{
    if (depth > 10000)
        return true;
    for (const auto& member : group->members()) {
        if (member.get() == target)
            return true;
        if (auto* nested = dynamic_cast<const PWShapeGroup*>(member.get()); nested && groupReaches(nested, target, depth + 1))
            return true;
    }
    return false;
}

} // namespace

PF_DEFINE_CLASS(PWShapeGroup, PWDrawableObject)
{
    b.protocol(pf::kCodingProtocol);
    b.property(
        "members",
        [](const PWShapeGroup& self) -> QVariant {
            QVariantList list;
            for (const auto& member : self.members())
                list.append(pf::toVariant(member));
            return list;
        },
        {});
    b.property("countOfMembers", &PWShapeGroup::countOfMembers);
    b.property("referenceRect", &PWShapeGroup::referenceRect);
    b.method("objectAtPoint:", &PWShapeGroup::objectAtPoint);
    b.classMethod("displayName", [](const pf::Class&, const QVariantList&) {
        return QVariant(QCoreApplication::translate("PWShapeGroup", "Group"));
    });
}

PWShapeGroup::PWShapeGroup() { observeOwnGeometry(); }

PWShapeGroup::PWShapeGroup(const PWShapeGroup& other) : PWDrawableObject(other), m_referenceRect(other.m_referenceRect)
{
    QList<pf::Ref<PWDrawableObject>> copies;
    for (const auto& member : other.m_members)
        if (auto copied = std::dynamic_pointer_cast<PWDrawableObject>(member->copy()))
            copies.append(copied);
    adoptMembers(copies);
    observeOwnGeometry();
}

PWShapeGroup::~PWShapeGroup()
{
    for (const QString& key : ownGeometryKeys())
        removeObserver(this, key);
}

void PWShapeGroup::observeOwnGeometry()
{
    for (const QString& key : ownGeometryKeys())
        addObserver(this, key);
}

void PWShapeGroup::observeValueForKeyPath(const QString& keyPath, pf::Reflective* object, const QVariantMap&, void*)
{
    if (object == this)
        clearMemberBounds();
}

pf::Ref<PWShapeGroup> PWShapeGroup::groupWithObjects(const QList<pf::Ref<PWDrawableObject>>& objects)
{
    QRectF reference;
    for (const auto& object : objects)
        if (object)
            reference = unite(reference, object->logicalBounds());
    return groupWithObjects(objects, reference);
}

pf::Ref<PWShapeGroup> PWShapeGroup::groupWithObjects(const QList<pf::Ref<PWDrawableObject>>& objects,
                                                     const QRectF& logicalBounds)
{
    auto group = std::make_shared<PWShapeGroup>();
    group->takeObjects(objects, logicalBounds);
    return group;
}

void PWShapeGroup::takeObjects(const QList<pf::Ref<PWDrawableObject>>& objects, const QRectF& logicalBounds)
{
    QList<pf::Ref<PWDrawableObject>> members;
    QSet<const PWDrawableObject*> seen; // a list lookup would make large groups quadratic
    for (const auto& object : objects)
        if (object && !seen.contains(object.get())) {
            seen.insert(object.get());
            members.append(object);
        }
    QRectF reference = logicalBounds;
    if (!finiteRect(reference))
        reference = QRectF();
    m_referenceRect = reference;
    m_location = reference.center();
    m_size = reference.size();
    adoptMembers(members);
}

void PWShapeGroup::adoptMembers(const QList<pf::Ref<PWDrawableObject>>& members)
{
    m_members.clear();
    for (const auto& member : members) {
        auto* nested = dynamic_cast<const PWShapeGroup*>(member.get());
        if (member.get() != this && !(nested && groupReaches(nested, this)))
            m_members.append(member);
    }
    for (const auto& member : m_members)
        member->setContainer(this);
    clearBoundsCache();
}

QTransform PWShapeGroup::groupTransform() const
{
    // Group space -> the unit square the base transform places; an axis of no extent keeps
    // scale 1 (every member lies on its centre line, so any factor maps it the same).
    const QPointF centre = m_referenceRect.center();
    // Placed where it was made (never moved, or its moves undone): members are where they were
    // put, exactly. Through the scales below they would come back off by rounding.
    if (angle() == 0.0 && offset() == QPointF() && location() == centre && size() == m_referenceRect.size())
        return QTransform();
    const double sx = m_referenceRect.width() > 0.0 ? 1.0 / m_referenceRect.width() : 1.0;
    const double sy = m_referenceRect.height() > 0.0 ? 1.0 / m_referenceRect.height() : 1.0;
    QTransform toUnit = QTransform::fromTranslate(-centre.x(), -centre.y()) * QTransform::fromScale(sx, sy);
    QTransform placed = transform();
    // The base transform scales the unit square by the size; an axis without extent has to
    // keep its members where they are rather than collapse them.
    if (m_referenceRect.width() <= 0.0 || m_referenceRect.height() <= 0.0) {
        QTransform t;
        const QPointF loc = location();
        t.translate(loc.x(), loc.y());
        t.rotateRadians(angle());
        t.scale(m_referenceRect.width() > 0.0 ? size().width() : 1.0,
                m_referenceRect.height() > 0.0 ? size().height() : 1.0);
        const QPointF off = offset();
        t.translate(-off.x(), -off.y());
        placed = t;
    }
    return toUnit * placed;
}

QTransform PWShapeGroup::renderingTransform() const { return groupTransform() * containerTransform(); }

pf::Ref<PWDrawableObject> PWShapeGroup::objectAtPoint(const QPointF& point) const
{
    for (auto it = m_members.crbegin(); it != m_members.crend(); ++it) {
        const auto& member = *it;
        if (member->visible() && member->hitPart(point) != kNoPart)
            return member;
    }
    return nullptr;
}

QList<pf::Ref<PWDrawableObject>> PWShapeGroup::ungroup()
{
    const QList<pf::Ref<PWDrawableObject>> members = m_members;
    if (members.isEmpty())
        return members;
    const QRectF oldBounds = bounds();
    const QTransform placement = groupTransform();
    for (const auto& member : members)
        member->group(this, placement);
    // Registered after the members' own edits, so undo runs it first: the members are back in
    // the group when their edits are undone, and those record their redo with its undo manager.
    if (RVUndoManager* manager = undoManager()) {
        std::weak_ptr<void> alive = livenessToken();
        manager->registerUndo(this, [this, alive, members] {
            if (!alive.expired())
                restoreMembers(members);
        });
    }
    notifyVisualChange();
    m_members.clear();
    for (const auto& member : members) {
        member->setContainer(nullptr);
        member->clearBoundsCache();
    }
    clearBoundsCache();
    notifyGeometryChange(oldBounds);
    return members;
}

void PWShapeGroup::restoreMembers(const QList<pf::Ref<PWDrawableObject>>& members)
{
    if (RVUndoManager* manager = undoManager()) {
        std::weak_ptr<void> alive = livenessToken();
        manager->registerUndo(this, [this, alive] {
            if (!alive.expired())
                releaseMembers();
        });
    }
    adoptMembers(members);
    notifyVisualChange();
}

void PWShapeGroup::releaseMembers()
{
    const QList<pf::Ref<PWDrawableObject>> members = m_members;
    if (RVUndoManager* manager = undoManager()) {
        std::weak_ptr<void> alive = livenessToken();
        manager->registerUndo(this, [this, alive, members] {
            if (!alive.expired())
                restoreMembers(members);
        });
    }
    notifyVisualChange();
    m_members.clear();
    for (const auto& member : members)
        member->setContainer(nullptr);
    clearBoundsCache();
}

void PWShapeGroup::clearMemberBounds() const
{
    for (const auto& member : m_members)
        member->clearBoundsCache();
}

// Drawing and geometry ----------------------------------------------------------------------

QRectF PWShapeGroup::bounds() const
{
    if (hasCachedBounds())
        return cachedBounds();
    QRectF result;
    for (const auto& member : m_members) {
        member->clearBoundsCache();
        result = unite(result, member->bounds());
    }
    setCachedBounds(result);
    return result;
}

QRectF PWShapeGroup::logicalBounds() const
{
    QRectF result;
    for (const auto& member : m_members)
        result = unite(result, member->logicalBounds());
    return result;
}

quint64 PWShapeGroup::geometryChecksum() const
{
    quint64 seed = PWDrawableObject::geometryChecksum();
    for (const auto& member : m_members)
        seed = qHashMulti(seed, member->geometryChecksum());
    return seed;
}

void PWShapeGroup::drawContent()
{
    if (!visible())
        return;
    for (const auto& member : m_members)
        member->drawContent();
}

void PWShapeGroup::drawContentWithStyle(PWStyle* style)
{
    if (!visible())
        return;
    for (const auto& member : m_members)
        member->drawContentWithStyle(style);
}

void PWShapeGroup::drawSelectedState()
{
    pf::GraphicsContext* context = pf::GraphicsContext::current();
    if (!context || isPendingCreation())
        return;
    bool invertible = false;
    const QTransform toGroup = renderingTransform().inverted(&invertible);
    const QRectF members = logicalBounds();
    if (!invertible || members.isNull()) {
        PWDrawableObject::drawSelectedState();
        return;
    }
    // The members' extent in the group's own space, placed as the group places its members.
    const QPolygonF outline = renderingTransform().map(QPolygonF(toGroup.mapRect(members)));
    pf::GraphicsStateSaver saver(context);
    QPainter& painter = context->painter();
    QPen pen(locked() ? QColor(Qt::gray) : selectionMarkColour());
    pen.setCosmetic(true);
    pen.setWidthF(1.0);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    painter.drawPolygon(outline);
}

bool PWShapeGroup::hitTest(const QPointF& point) const { return bool(objectAtPoint(point)); }

QList<pf::Ref<PWStyle>> PWShapeGroup::allStyles() const
{
    QList<pf::Ref<PWStyle>> styles;
    for (const auto& member : m_members)
        for (const auto& style : member->allStyles())
            if (style && !styles.contains(style))
                styles.append(style);
    return styles;
}

void PWShapeGroup::replaceStyles(const QHash<const PWStyle*, pf::Ref<PWStyle>>& replacements)
{
    for (const auto& member : m_members)
        member->replaceStyles(replacements);
}

bool PWShapeGroup::objectIsValid() const { return !m_members.isEmpty(); }

QString PWShapeGroup::displayName() const { return displayNameForClass(objClass()); }

QStringList PWShapeGroup::searchableStrings() const
{
    QStringList strings = PWDrawableObject::searchableStrings();
    for (const auto& member : m_members)
        strings.append(member->searchableStrings());
    return strings;
}

// Container ---------------------------------------------------------------------------------

PWDrawing* PWShapeGroup::drawing() const { return PWDrawableObject::drawing(); }
PWLayer* PWShapeGroup::layer() const { return PWDrawableObject::layer(); }
RVUndoManager* PWShapeGroup::undoManager() const { return PWDrawableObject::undoManager(); }

PWImageDataManager* PWShapeGroup::imageManager() const
{
    PWDrawableContainer* c = container();
    return c ? c->imageManager() : nullptr;
}

qint64 PWShapeGroup::indexOfObject(const PWDrawableObject* object) const
{
    for (qsizetype i = 0; i < m_members.size(); ++i)
        if (m_members.at(i).get() == object)
            return i;
    return pf::kNotFound;
}

// Members are never selected on their own: the group is.
bool PWShapeGroup::isSelectedObject(const PWDrawableObject*) const { return false; }

QVariant PWShapeGroup::metadataObjectForKey(const QString& key) const
{
    return PWDrawableObject::metadataObjectForKey(key);
}

void PWShapeGroup::objectNeedsDisplayInRect(PWDrawableObject*, const QRectF& rect)
{
    if (PWDrawableContainer* c = container())
        c->objectNeedsDisplayInRect(this, rect);
    willChangeValueForKey(kVisualChangeKey);
    didChangeValueForKey(kVisualChangeKey);
}

void PWShapeGroup::objectDidChangeGeometry(PWDrawableObject*, const QRectF& oldBounds)
{
    // Whatever the group covered before is within its cached bounds or, failing a cache, within
    // its members' bounds now together with the changed member's old ones.
    const QRectF old = hasCachedBounds() ? cachedBounds() : unite(bounds(), oldBounds);
    notifyGeometryChange(old);
}

QColor PWShapeGroup::selectionColour() const
{
    PWDrawableContainer* c = container();
    return c ? c->selectionColour() : PWDrawableContainer::selectionColour();
}

void PWShapeGroup::setContainer(PWDrawableContainer* container)
{
    PWDrawableObject::setContainer(container);
    // Members reach the drawing (undo manager, image manager) through the group, so they are
    // told again when the group moves.
    for (const auto& member : m_members)
        member->setContainer(this);
}

// Copying and archiving ---------------------------------------------------------------------

pf::Ref<pf::Object> PWShapeGroup::copy() const { return std::make_shared<PWShapeGroup>(*this); }

void PWShapeGroup::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWDrawableObject::encodeWithCoder(coder);
    QVariantList list;
    for (const auto& member : m_members)
        list.append(pf::toVariant(member));
    coder.encodePropertyListValue(list, kMembersKey);
    coder.encodeRect(m_referenceRect, kReferenceRectKey);
}

void PWShapeGroup::initWithCoder(pf::KeyedUnarchiver& coder)
{
    PWDrawableObject::initWithCoder(coder);
    QList<pf::Ref<PWDrawableObject>> members;
    QSet<const PWDrawableObject*> seen;
    for (const QVariant& value : coder.decodePropertyListValue(kMembersKey).toList())
        if (auto member = pf::objectCast<PWDrawableObject>(value); member && !seen.contains(member.get())) {
            seen.insert(member.get());
            members.append(member);
        }
    const QRectF reference = coder.decodeRect(kReferenceRectKey);
    adoptMembers(members);
    m_referenceRect = finiteRect(reference) ? reference : logicalBounds();
    clearMemberBounds();
}
