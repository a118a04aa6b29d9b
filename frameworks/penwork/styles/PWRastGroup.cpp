#include "frameworks/penwork/styles/PWRastGroup.h"

#include "platform/foundation/Exception.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/Log.h"

#include <QSet>

PF_DEFINE_CLASS(PWRastGroup, PWRasterizer)
{
    b.protocol(pf::kCodingProtocol);
    b.property(
        PWRastGroup::kRenderListKey,
        std::function<QVariant(const PWRastGroup&)>([](const PWRastGroup& group) {
            QVariantList list;
            for (const pf::Ref<PWRasterizer>& renderer : group.renderList())
                list.append(pf::toVariant(renderer));
            return QVariant(list);
        }),
        std::function<void(PWRastGroup&, const QVariant&)>([](PWRastGroup& group, const QVariant& value) {
            QList<pf::Ref<PWRasterizer>> renderers;
            for (const QVariant& item : value.toList()) {
                pf::Ref<PWRasterizer> renderer = pf::objectCast<PWRasterizer>(item);
                if (!renderer)
                    throw pf::InvalidArgumentException(
                        QStringLiteral("-[PWRastGroup setRenderList:]: %1 is not a renderer").arg(pf::describe(item)));
                renderers.append(std::move(renderer));
            }
            group.setRenderList(renderers);
        }));
    b.property("count", &PWRastGroup::count);
    b.method("addRenderer:", &PWRastGroup::addRenderer);
    b.method("insertObject:inRenderListAtIndex:", &PWRastGroup::insertObjectInRenderListAtIndex);
    b.method("removeObjectFromRenderListAtIndex:", &PWRastGroup::removeObjectFromRenderListAtIndex);
    b.method("moveRendererAtIndex:toIndex:", &PWRastGroup::moveRendererAtIndex);
}

namespace {

const QString kRenderListArchiveKey = QStringLiteral("pw_rastgroup_renderList");

void checkIndex(int index, int limit, const char* operation)
{
    if (index < 0 || index > limit)
        pf::raise(pf::NSRangeException,
                  QStringLiteral("-[PWRastGroup %1]: index %2 beyond bounds [0 .. %3]")
                      .arg(QLatin1String(operation))
                      .arg(index)
                      .arg(limit));
}

} // namespace

PWRastGroup::PWRastGroup() = default;

PWRastGroup::PWRastGroup(const PWRastGroup& other) : PWRasterizer(other)
{
    for (const pf::Ref<PWRasterizer>& child : other.m_renderList) {
        auto copied = std::dynamic_pointer_cast<PWRasterizer>(child->copy());
        if (!copied)
            continue;
        adopt(*copied);
        m_renderList.append(std::move(copied));
    }
}

PWRastGroup::~PWRastGroup()
{
    for (const pf::Ref<PWRasterizer>& child : m_renderList)
        release(*child);
}

void PWRastGroup::adopt(PWRasterizer& renderer)
{
    renderer.setContainer(this);
    renderer.setRastObserver(this);
}

void PWRastGroup::release(PWRasterizer& renderer)
{
    if (renderer.container() == this)
        renderer.setContainer(nullptr);
    if (renderer.rastObserver() == this)
        renderer.setRastObserver(nullptr);
}

void PWRastGroup::checkInsertable(const pf::Ref<PWRasterizer>& renderer) const
{
    if (!renderer)
        throw pf::InvalidArgumentException(QStringLiteral("-[PWRastGroup insertObject:]: nil renderer"));
    // A group inside itself, directly or further down, would draw and relay for ever.
    for (const PWRasterizer* ancestor = this; ancestor; ancestor = ancestor->container()) {
        if (ancestor == renderer.get())
            throw pf::InvalidArgumentException(
                QStringLiteral("-[PWRastGroup insertObject:]: a group cannot contain itself"));
    }
}

pf::Ref<PWRasterizer> PWRastGroup::objectInRenderListAtIndex(int index) const
{
    checkIndex(index, countOfRenderList() - 1, "objectInRenderListAtIndex:");
    return m_renderList.at(index);
}

void PWRastGroup::addRenderer(const pf::Ref<PWRasterizer>& renderer)
{
    // Leaving this same group first shortens the list the new index counts in.
    const int count = countOfRenderList() - (renderer && renderer->container() == this ? 1 : 0);
    insertObjectInRenderListAtIndex(renderer, count);
}

void PWRastGroup::insertObjectInRenderListAtIndex(const pf::Ref<PWRasterizer>& renderer, int index)
{
    checkInsertable(renderer);
    if (renderer->container() == this) {
        checkIndex(index, countOfRenderList() - 1, "insertObject:inRenderListAtIndex:");
        moveRendererAtIndex(indexOfRenderer(renderer.get()), index);
        return;
    }
    checkIndex(index, countOfRenderList(), "insertObject:inRenderListAtIndex:");
    if (locked()) {
        PF_LOG("PWRastGroup: renderer not inserted: the group is locked");
        return;
    }
    // Keep it alive while it moves between groups.
    const pf::Ref<PWRasterizer> keep = renderer;
    keep->removeFromContainer();
    if (keep->container()) {
        PF_LOG("PWRastGroup: renderer not inserted: its group refused to let it go");
        return;
    }
    const pf::IndexSet indexes(index);
    willChange(pf::ChangeKind::Insertion, indexes, kRenderListKey);
    sendWillChange(kRenderListKey);
    m_renderList.insert(index, keep);
    adopt(*keep);
    didChange(pf::ChangeKind::Insertion, indexes, kRenderListKey);
    sendDidChange(kRenderListKey);
}

void PWRastGroup::removeObjectFromRenderListAtIndex(int index)
{
    checkIndex(index, countOfRenderList() - 1, "removeObjectFromRenderListAtIndex:");
    if (locked()) {
        PF_LOG("PWRastGroup: renderer not removed: the group is locked");
        return;
    }
    const pf::Ref<PWRasterizer> keep = m_renderList.at(index);
    const pf::IndexSet indexes(index);
    willChange(pf::ChangeKind::Removal, indexes, kRenderListKey);
    sendWillChange(kRenderListKey);
    m_renderList.removeAt(index);
    release(*keep);
    didChange(pf::ChangeKind::Removal, indexes, kRenderListKey);
    sendDidChange(kRenderListKey);
}

void PWRastGroup::removeRenderer(const PWRasterizer* renderer)
{
    const int index = indexOfRenderer(renderer);
    if (index >= 0)
        removeObjectFromRenderListAtIndex(index);
}

void PWRastGroup::removeAllRenderers()
{
    setRenderList({});
}

void PWRastGroup::moveRendererAtIndex(int from, int to)
{
    const int last = countOfRenderList() - 1;
    checkIndex(from, last, "moveRendererAtIndex:toIndex:");
    checkIndex(to, last, "moveRendererAtIndex:toIndex:");
    if (from == to)
        return;
    if (locked()) {
        PF_LOG("PWRastGroup: renderer not moved: the group is locked");
        return;
    }
    // Every index between the two changes its renderer.
    const int low = std::min(from, to);
    const pf::IndexSet indexes = pf::IndexSet::range(low, std::max(from, to) - low + 1);
    willChange(pf::ChangeKind::Replacement, indexes, kRenderListKey);
    sendWillChange(kRenderListKey);
    m_renderList.move(from, to);
    didChange(pf::ChangeKind::Replacement, indexes, kRenderListKey);
    sendDidChange(kRenderListKey);
}

void PWRastGroup::setRenderList(const QList<pf::Ref<PWRasterizer>>& renderers)
{
    QList<pf::Ref<PWRasterizer>> list;
    QSet<const PWRasterizer*> seen;
    for (const pf::Ref<PWRasterizer>& renderer : renderers) {
        checkInsertable(renderer);
        if (!seen.contains(renderer.get())) {
            seen.insert(renderer.get());
            list.append(renderer);
        }
    }
    if (list == m_renderList)
        return;
    if (locked()) {
        PF_LOG("PWRastGroup: render list not replaced: the group is locked");
        return;
    }
    for (const pf::Ref<PWRasterizer>& renderer : list) {
        if (renderer->container() && renderer->container() != this) {
            renderer->removeFromContainer();
            if (renderer->container()) {
                PF_LOG("PWRastGroup: render list not replaced: a renderer's group refused to let it go");
                return;
            }
        }
    }
    willChangeValueForKey(kRenderListKey);
    sendWillChange(kRenderListKey);
    const QList<pf::Ref<PWRasterizer>> old = std::exchange(m_renderList, list);
    for (const pf::Ref<PWRasterizer>& renderer : old) {
        if (!seen.contains(renderer.get()))
            release(*renderer);
    }
    for (const pf::Ref<PWRasterizer>& renderer : m_renderList)
        adopt(*renderer);
    didChangeValueForKey(kRenderListKey);
    sendDidChange(kRenderListKey);
}

int PWRastGroup::indexOfRenderer(const PWRasterizer* renderer) const
{
    for (int i = 0; i < m_renderList.size(); ++i) {
        if (m_renderList.at(i).get() == renderer)
            return i;
    }
    return -1;
}

QList<pf::Ref<PWRasterizer>> PWRastGroup::renderersOfClass(const pf::Class& cls) const
{
    QList<pf::Ref<PWRasterizer>> found;
    for (const pf::Ref<PWRasterizer>& child : m_renderList) {
        if (child->isKindOf(cls))
            found.append(child);
        if (const auto* group = dynamic_cast<const PWRastGroup*>(child.get()))
            found.append(group->renderersOfClass(cls));
    }
    return found;
}

void PWRastGroup::renderChildren(const PWRenderable& object)
{
    // A child may change the list while drawing (a renderer that removes itself): draw from
    // a snapshot.
    const QList<pf::Ref<PWRasterizer>> children = m_renderList;
    for (const pf::Ref<PWRasterizer>& child : children) {
        if (child->enabled())
            child->render(object);
    }
}

void PWRastGroup::render(const PWRenderable& object)
{
    renderChildren(object);
}

QRectF PWRastGroup::boundsNeededForObject(const PWRenderable& object) const
{
    QRectF bounds;
    bool any = false;
    for (const pf::Ref<PWRasterizer>& child : m_renderList) {
        if (!child->enabled())
            continue;
        const QRectF needed = child->boundsNeededForObject(object);
        if (needed.isNull())
            continue;
        // United by hand: QRectF::united drops a rectangle of no width or height.
        if (!any) {
            bounds = needed.normalized();
            any = true;
        } else {
            const QRectF n = needed.normalized();
            bounds = QRectF(QPointF(std::min(bounds.left(), n.left()), std::min(bounds.top(), n.top())),
                            QPointF(std::max(bounds.right(), n.right()), std::max(bounds.bottom(), n.bottom())));
        }
    }
    return bounds;
}

QString PWRastGroup::displayName() const
{
    return QStringLiteral("Group");
}

QStringList PWRastGroup::observableKeyPaths() const
{
    return PWRasterizer::observableKeyPaths() << kRenderListKey;
}

void PWRastGroup::registerActionNames() const
{
    PWRasterizer::registerActionNames();
    setActionName(QStringLiteral("Change #kind# Components"), kRenderListKey);
}

void PWRastGroup::rasterizerWillChange(PWRasterizer& rasterizer, const QString& keyPath)
{
    if (PWRasterizerObserver* observer = rastObserver())
        observer->rasterizerWillChange(rasterizer, keyPath);
}

void PWRastGroup::rasterizerDidChange(PWRasterizer& rasterizer, const QString& keyPath)
{
    if (PWRasterizerObserver* observer = rastObserver())
        observer->rasterizerDidChange(rasterizer, keyPath);
}

pf::Ref<pf::Object> PWRastGroup::copy() const
{
    return std::make_shared<PWRastGroup>(*this);
}

bool PWRastGroup::isEqual(const pf::Reflective* other) const
{
    if (!PWRasterizer::isEqual(other))
        return false;
    const auto* group = static_cast<const PWRastGroup*>(other);
    if (group->m_renderList.size() != m_renderList.size())
        return false;
    for (int i = 0; i < m_renderList.size(); ++i) {
        if (!m_renderList.at(i)->isEqual(group->m_renderList.at(i).get()))
            return false;
    }
    return true;
}

void PWRastGroup::encodeWithCoder(pf::KeyedArchiver& coder) const
{
    PWRasterizer::encodeWithCoder(coder);
    QVariantList list;
    for (const pf::Ref<PWRasterizer>& renderer : m_renderList)
        list.append(pf::toVariant(renderer));
    coder.encodePropertyListValue(list, kRenderListArchiveKey);
}

void PWRastGroup::initWithCoder(pf::KeyedUnarchiver& coder)
{
    PWRasterizer::initWithCoder(coder);
    for (const pf::Ref<PWRasterizer>& renderer : m_renderList)
        release(*renderer);
    m_renderList.clear();
    const QVariant stored = coder.decodePropertyListValue(kRenderListArchiveKey);
    for (const QVariant& item : stored.toList()) {
        const pf::Ref<PWRasterizer> renderer = pf::objectCast<PWRasterizer>(item);
        // A damaged archive may name anything here: skip what is not a renderer, what already
        // has a group (shared, this group's own ancestor in a cycle, or a repeat: a renderer
        // taken below has this group at once).
        if (!renderer || renderer->container())
            continue;
        bool ancestor = false;
        for (const PWRasterizer* up = this; up && !ancestor; up = up->container())
            ancestor = up == renderer.get();
        if (ancestor)
            continue;
        m_renderList.append(renderer);
        adopt(*renderer);
    }
}
