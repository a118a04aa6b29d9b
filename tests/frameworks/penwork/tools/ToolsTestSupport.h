#pragma once

#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "frameworks/penwork/tools/PWToolController.h"
#include "frameworks/penwork/tools/PWToolRegistry.h"
#include "frameworks/penwork/tools/PWToolView.h"
#include "platform/foundation/NotificationCenter.h"

#include <QCoreApplication>
#include <QList>

namespace tools_test {

// A view that records what the tools ask of it.
class FakeToolView : public PWToolView {
public:
    explicit FakeToolView(pf::Ref<PWDrawing> drawing) : m_drawing(std::move(drawing)) {}

    PWDrawing* drawing() const override { return m_drawing.get(); }
    double scale() const override { return m_scale; }
    void setScale(double scale) override { m_scale = scale; }
    QRectF visibleDrawingRect() const override { return visible; }
    void zoomViewToRect(const QRectF& rect) override
    {
        zoomedTo.append(rect);
        visible = rect;
    }
    void scrollToDrawingRect(const QRectF& rect) override { visible.moveCenter(rect.center()); }
    QPointF convertFromDrawing(const QPointF& p) const override { return p * m_scale; }
    void setNeedsDisplayInDrawingRect(const QRectF& rect) override { redisplayed.append(rect); }
    void beginTextEditing(PWDrawableObject* object) override { editedText.append(object); }
    void setToolCursor(const QCursor& cursor) override { cursorShape = cursor.shape(); }
    QWidget* widget() const override { return nullptr; }

    pf::Ref<PWDrawing> m_drawing;
    double m_scale = 1.0;
    QRectF visible{0, 0, 400, 300};
    QList<QRectF> zoomedTo;
    QList<QRectF> redisplayed;
    QList<PWDrawableObject*> editedText;
    Qt::CursorShape cursorShape = Qt::ArrowCursor;
};

// A default drawing (grid, one object layer, guides), a fake view and its tool controller.
struct ToolFixture {
    ToolFixture()
        : drawing(PWDrawing::defaultDrawing()), view(drawing), controller(view)
    {
        layer = std::dynamic_pointer_cast<PWObjectDrawingLayer>(drawing->activeLayer());
        undo()->removeAllActions();
        controller.setCurrentTool(PWDrawingTool::selectionTool());
    }

    RVUndoManager* undo() const { return drawing->undoManager(); }
    // Closes the undo group that setting up opened and forgets it, so only the tools' steps
    // are on the stack.
    void settle()
    {
        QCoreApplication::processEvents();
        undo()->removeAllActions();
    }

    // Adds an object without recording undo, so only the tools' steps are on the stack.
    template <class T>
    pf::Ref<T> add(pf::Ref<T> object, PWObjectOwnerLayer* into = nullptr)
    {
        undo()->disableUndoRegistration();
        (into ? into : layer.get())->addObject(object);
        undo()->enableUndoRegistration();
        return object;
    }
    pf::Ref<PWDrawableShape> addRect(const QRectF& rect, PWObjectOwnerLayer* into = nullptr)
    {
        return add(PWDrawableShape::drawableShapeWithRect(rect), into);
    }

    void use(const QString& toolName) { controller.setCurrentTool(PWDrawingTool::drawingToolWithName(toolName)); }

    void drag(QPointF from, QPointF to, Qt::KeyboardModifiers modifiers = Qt::NoModifier, int steps = 4)
    {
        controller.mouseDown(view, from, modifiers, 1);
        for (int i = 1; i <= steps; ++i)
            controller.mouseDragged(view, from + (to - from) * (double(i) / steps), modifiers);
        controller.mouseUp(view, to, modifiers);
    }
    void click(QPointF at, Qt::KeyboardModifiers modifiers = Qt::NoModifier, int clickCount = 1)
    {
        controller.mouseDown(view, at, modifiers, clickCount);
        controller.mouseUp(view, at, modifiers);
    }

    pf::Ref<PWDrawing> drawing;
    FakeToolView view;
    PWToolController controller;
    pf::Ref<PWObjectDrawingLayer> layer;
};

// Records the notifications of one name while it lives.
class NotificationCounter {
public:
    explicit NotificationCounter(const QString& name)
    {
        m_token = pf::NotificationCenter::defaultCenter().addObserver(name, nullptr, [this](const pf::Notification& n) {
            objects.append(const_cast<pf::Reflective*>(n.object));
            infos.append(n.userInfo);
        });
    }
    ~NotificationCounter() { pf::NotificationCenter::defaultCenter().removeObserver(m_token); }
    int count() const { return int(objects.size()); }

    QList<pf::Reflective*> objects;
    QList<QVariantMap> infos;

private:
    quint64 m_token = 0;
};

} // namespace tools_test
