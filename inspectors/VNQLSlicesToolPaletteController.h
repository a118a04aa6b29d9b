#pragma once

#include "platform/ui/Matrix.h"
#include "platform/ui/WindowController.h"

#include <QPointer>


class VNQLSlicesToolPaletteController;

// The slices layer's small palette: select slices or draw a new one, and export them. While
// it is up it stands in for the main tools palette, at the same place.
class VNQLSlicesToolPaletteController : public pf::WindowController {
    PF_CLASS(VNQLSlicesToolPaletteController)
public:
    static constexpr int kSelectSlicesMode = 0;
    static constexpr int kDrawSliceMode = 1;

    VNQLSlicesToolPaletteController();
    ~VNQLSlicesToolPaletteController() override;

    // The one palette, made on first use; never null.
    static pf::Ref<VNQLSlicesToolPaletteController> sharedSlicesToolPalette();
    static bool sharedSlicesToolPaletteAvailable();
    // Tests: closes and forgets the shared palette.
    static void releaseSharedSlicesToolPalette();
    static bool alignToMainTools() { return true; }

    // Selects the cell of that mode; nothing else.
    void selectToolMode(int mode);
    // The delegate (the slices layer; not kept) gets "slicesToolPaletteController:didSelectMode:"
    // when the user picks a mode, if it answers it.
    void setDelegate(const pf::Ref<pf::Object>& delegate);
    pf::Ref<pf::Object> delegate() const { return mDelegate.lock(); }
    bool mainToolsPreviouslyVisible() const { return mMainToolsPreviouslyVisible; }

    void toolsMatrixAction(const QVariant& sender);
    void exportAction(const QVariant& sender);

    void showWindow(const QVariant& sender = {}) override;
    void close() override;
    void loadWindow() override;
    void windowDidLoad() override;

    pf::Matrix* toolsMatrix() const { return mToolsMatrix; }
    // Follows the main window: shows itself for a document whose active layer is its slices
    // layer, else hides and gives the main palette back.
    void mainWindowDidChange(QWidget* window);

private:
    void placeAtMainTools();

    bool mMainToolsPreviouslyVisible = false;
    std::weak_ptr<pf::Object> mDelegate;
    QPointer<pf::Matrix> mToolsMatrix;
    quint64 mObservation = 0;
};
