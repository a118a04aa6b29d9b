#pragma once

#include "frameworks/penwork/styles/PWRasterizer.h"

#include <QList>

// A renderer made of further renderers, drawn in order (the last on top).
//
// "renderList" is an observable to-many property: insertions, removals and moves reach
// key-value observers with their indexes, and the group's own observer as a change of
// "renderList". The group observes its children and relays their changes to its observer,
// so the style at the root hears of every change in its tree.
class PWRastGroup : public PWRasterizer, public PWRasterizerObserver {
    PF_CLASS(PWRastGroup)
public:
    static inline const QString kRenderListKey = QStringLiteral("renderList");

    PWRastGroup();
    // Copies every child; the copies belong to the new group.
    PWRastGroup(const PWRastGroup& other);
    ~PWRastGroup() override;

    const QList<pf::Ref<PWRasterizer>>& renderList() const { return m_renderList; }
    // Replaces the whole list (a "renderList" setting change); the same checks as inserting.
    void setRenderList(const QList<pf::Ref<PWRasterizer>>& renderers);
    int countOfRenderList() const { return int(m_renderList.size()); }
    int count() const { return countOfRenderList(); }
    // Raises NSRangeException for an index out of range.
    pf::Ref<PWRasterizer> objectInRenderListAtIndex(int index) const;
    pf::Ref<PWRasterizer> rendererAtIndex(int index) const { return objectInRenderListAtIndex(index); }

    // Adds on top. A renderer that belongs to another group (or to this one) leaves it first.
    // Null, the group itself or a group that holds this one raise NSInvalidArgumentException;
    // an index outside 0...count raises NSRangeException. A locked group changes nothing.
    void addRenderer(const pf::Ref<PWRasterizer>& renderer);
    void insertObjectInRenderListAtIndex(const pf::Ref<PWRasterizer>& renderer, int index);
    void insertObject(const pf::Ref<PWRasterizer>& renderer, int index)
    {
        insertObjectInRenderListAtIndex(renderer, index);
    }
    void removeObjectFromRenderListAtIndex(int index);
    // Nothing when the renderer is not a child of this group.
    void removeRenderer(const PWRasterizer* renderer);
    void removeAllRenderers();
    // Moves the renderer at `from` so that it ends at `to`; both must be valid indexes.
    void moveRendererAtIndex(int from, int to);

    // The index of a child, or -1.
    int indexOfRenderer(const PWRasterizer* renderer) const;
    // Every renderer of the class (subclasses included) in the whole tree below, in drawing
    // order, depth first.
    QList<pf::Ref<PWRasterizer>> renderersOfClass(const pf::Class& cls) const;
    template <class T>
    QList<pf::Ref<T>> renderersOfClass() const
    {
        QList<pf::Ref<T>> found;
        for (const pf::Ref<PWRasterizer>& renderer : renderersOfClass(T::staticClass()))
            found.append(std::static_pointer_cast<T>(renderer));
        return found;
    }

    // Draws the enabled children in order; bounds are the union of theirs.
    void render(const PWRenderable& object) override;
    QRectF boundsNeededForObject(const PWRenderable& object) const override;

    QString displayName() const override;
    QStringList observableKeyPaths() const override;

    // Relays a child's change upward.
    void rasterizerWillChange(PWRasterizer& rasterizer, const QString& keyPath) override;
    void rasterizerDidChange(PWRasterizer& rasterizer, const QString& keyPath) override;

    pf::Ref<pf::Object> copy() const override;
    bool isEqual(const pf::Reflective* other) const override;

    void encodeWithCoder(pf::KeyedArchiver& coder) const override;
    void initWithCoder(pf::KeyedUnarchiver& coder) override;

protected:
    void registerActionNames() const override;
    // Draws the enabled children, for subclasses that wrap the drawing in something.
    void renderChildren(const PWRenderable& object);

private:
    void checkInsertable(const pf::Ref<PWRasterizer>& renderer) const;
    void adopt(PWRasterizer& renderer);
    void release(PWRasterizer& renderer);

    QList<pf::Ref<PWRasterizer>> m_renderList;
};
