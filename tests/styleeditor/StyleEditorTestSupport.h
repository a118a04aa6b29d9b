#pragma once

#include "styleeditor/VNQLStyleComponentController.h"
#include "styleeditor/VNQLStyleEditorController.h"

#include "drawing/VNQLDrawingExtensions.h"
#include "frameworks/penwork/drawables/PWDrawableShape.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "library/PWXLibrary.h"
#include "library/PWXLibraryGroup.h"
#include "library/PWXLibraryItem.h"
#include "library/PWXLibraryRegistryShim.h"
#include "frameworks/penwork/registries/PWStyleRegistry.h"
#include "platform/foundation/UserDefaults.h"

#include <QCoreApplication>
#include <QDir>

#include <gtest/gtest.h>

namespace style_test {

inline QVariant sender(QObject* control)
{
    return QVariant::fromValue<QObject*>(control);
}

// A drawing with one layer, a Style tab on it, and helpers to select objects and to let the
// tab's deferred work run.
class StyleEditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        VNQLDrawingExtensions::install();
        PWXLibrary::resetRegistryForTesting();
        // As in the program: the library answers which styles are registered.
        m_previousRegistry = PWStyleRegistry::sharedRegistry();
        PWStyleRegistry::setSharedRegistry(PWXLibraryRegistryShim::shim());
        drawing = std::make_shared<PWDrawing>();
        layer = std::make_shared<PWObjectDrawingLayer>();
        drawing->addLayer(layer);
        drawing->setActiveLayer(layer);
        editor = std::make_shared<VNQLStyleEditorController>();
        editor->view();
        editor->setDrawing(drawing);
    }
    void TearDown() override
    {
        editor.reset();
        settle();
        PWStyleRegistry::setSharedRegistry(m_previousRegistry);
        PWXLibrary::resetRegistryForTesting();
        pf::UserDefaults::standard().removeObjectForKey(kVNQLStyleEditorCollapseState);
        pf::UserDefaults::standard().removeObjectForKey(kVNQLStyleEditorShowsDrawingUnits);
    }

    static void settle()
    {
        for (int i = 0; i < 4; ++i)
            QCoreApplication::processEvents();
    }
    pf::Ref<PWDrawableShape> shape(const pf::Ref<PWStyle>& style)
    {
        auto object = PWDrawableShape::drawableShapeWithRect(QRectF(0, 0, 60, 40), style);
        layer->addObject(object);
        return object;
    }
    void select(const QList<pf::Ref<PWDrawableObject>>& objects)
    {
        layer->exchangeSelectionWithObjectsFromArray(objects);
        settle();
    }
    // A style of the given renderers, bottom first, on a selected shape.
    pf::Ref<PWStyle> showStyle(const QList<pf::Ref<PWRasterizer>>& renderers)
    {
        auto style = std::make_shared<PWStyle>();
        for (const auto& renderer : renderers)
            style->addRenderer(renderer);
        select({shape(style)});
        return style;
    }
    QStringList paneClasses() const
    {
        QStringList names;
        for (VNQLStyleComponentController* pane : editor->subcontrollers())
            names.append(pane->className() + QLatin1Char(':') + pane->representedComponent()->className());
        return names;
    }
    template <class T>
    T* pane(int index) const
    {
        return dynamic_cast<T*>(editor->subcontrollers().value(index));
    }
    // A user library holding `style`, locked against changes when asked.
    pf::Ref<PWXLibrary> libraryHolding(const pf::Ref<PWStyle>& style, bool allowsChanges)
    {
        pf::Ref<PWXLibrary> library =
            PWXLibrary::libraryWithPath(QDir(PWXLibrary::userLibraryFolder()).filePath("Locked Shelf"), true);
        library->addItem(PWXLibraryItem::itemWithLibraryObject(style));
        PWXLibrary::addLibraryToGroup(library, PWXLibraryGroup::kUserGroupName, false);
        library->setAllowsContentChanges(allowsChanges);
        return library;
    }
    RVUndoManager& undo() { return *drawing->undoManager(); }

    pf::Ref<PWDrawing> drawing;
    pf::Ref<PWObjectDrawingLayer> layer;
    pf::Ref<VNQLStyleEditorController> editor;
    pf::Ref<PWStyleRegistry> m_previousRegistry;
};

} // namespace style_test
