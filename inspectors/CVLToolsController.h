#pragma once

#include "platform/foundation/Object.h"
#include "platform/ui/Window.h"
#include "platform/ui/Matrix.h"
#include "platform/ui/WindowController.h"
#include "styleeditor/PWXStyleImageView.h"
#include "widgets/RVMultiSectionView.h"
#include "widgets/RVSectionView.h"
#include "widgets/RVStyleButtonCellDelegate.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>

namespace pf {
struct Notification;
} // namespace pf

class CVLToolsController;
class PWDrawingTool;
class PWStyle;
class PWToolController;
class RVStyleButtonCell;

// User defaults of the palette.
inline const QString kQLRYToolsControllerVisible = QStringLiteral("kQLRYToolsControllerVisible");
inline const QString kQLRYToolsControllerFrame = QStringLiteral("kQLRYToolsControllerFrame");
inline const QString kCartavelToolStyleBindingEnabled = QStringLiteral("kCartavelToolStyleBindingEnabled");

// Posted with the palette as object when it makes a tool current; user info "tool_info" holds
// the tool (absent when there is none).
inline const QString kCartavelToolControllerSetTool = QStringLiteral("kCartavelToolControllerSetTool");
// Posted with the object whose creation style changed outside the palette.
inline const QString kCartavelToolControllerStyleChangedExternally =
    QStringLiteral("kCartavelToolControllerStyleChangedExternally");

// Told when the palette follows a tool change; optional.
class CVLToolsControllerDelegate {
public:
    virtual ~CVLToolsControllerDelegate() = default;
    virtual void toolsControllerDidSelectTool(CVLToolsController& controller, PWDrawingTool* tool) {}
};

// The application's floating tools palette: selection, drawing and cartography tool buttons
// in collapsible sections and a well showing the style (or clip-art) new objects get. Button
// tags stand for registered tool names; clicking one makes that tool current, and tool
// changes made elsewhere select the matching button. The palette never takes keyboard focus.
class CVLToolsController : public pf::WindowController, public pf::WindowDelegate, public RVStyleButtonCellDelegate {
    PF_CLASS(CVLToolsController)
public:
    // The Select tool's tag, the answer for a name no tag stands for.
    static constexpr int kSelectToolTag = 6;
    static constexpr int kZoomToolTag = 3;
    static constexpr int kZoomOutToolTag = 4;
    static constexpr int kPanToolTag = 2;
    static constexpr int kClipArtStampToolTag = 43;
    static constexpr int kSmartSelectToolTag = 44;

    CVLToolsController();
    ~CVLToolsController() override;

    // --- Class
    static pf::Ref<CVLToolsController> sharedToolsController();
    static bool sharedToolsControllerAvailable();
    // Tests: closes and forgets the shared palette.
    static void releaseSharedToolsController();
    static bool toolStyleBindingEnabled();
    static void setToolStyleBindingEnabled(bool enabled);
    static void saveToolsControllerState();
    static void restoreToolsControllerState();

    // --- Tags and tools
    // The tool name of a tag, or empty when the tag stands for none.
    static QString toolNameForTag(int tag);
    // The tag of a tool name; Select's (6) for a name no tag stands for.
    static int tagForToolName(const QString& name);
    int tagForCurrentTool() const;
    // Makes the tool of the tag current (the standard selection tool for a tag without one)
    // and answers it.
    pf::Ref<PWDrawingTool> setCurrentToolWithTag(int tag);
    // The current document's drawing tool, or null.
    pf::Ref<PWDrawingTool> currentTool() const;
    // The tool controller of the current document's main view, or null.
    PWToolController* currentToolController() const;

    // --- Creation style
    // The creation object when it is a style, else null.
    pf::Ref<PWStyle> currentStyle() const;
    void setCurrentStyleOrSymbol(const pf::Ref<pf::Object>& object);
    pf::Ref<pf::Object> representedObject() const { return mCurrentStyleOrSymbol; }
    bool stylesAppliedPerTool() const { return toolStyleBindingEnabled(); }

    // --- Interface
    void synchronizeUIWithTool(const pf::Ref<PWDrawingTool>& tool);
    void selectToolButtonWithTag(int tag);
    void updateCellForTag(int tag);
    // Enables or disables the three button groups and the section stack together.
    void setEnabled(bool enabled);
    bool isEnabled() const { return mEnabled; }
    void setDelegate(CVLToolsControllerDelegate* delegate) { mDelegateRef = delegate; }
    CVLToolsControllerDelegate* delegate() const { return mDelegateRef; }

    // --- Actions
    void toolsMatrixAction(const QVariant& sender);
    void toolsDoubleAction(const QVariant& sender);

    void showWindow(const QVariant& sender = {}) override;
    void loadWindow() override;
    void windowDidLoad() override;
    void awakeFromNib() override;

    // Sticky tools draw their latched button in the sticky colour.
    void styleButtonCellWillDrawBackgroundInFrame(RVStyleButtonCell& cell, const QRectF& frame) override;

    // The palette's controls, for the program's wiring and tests.
    pf::Matrix* selectionTools() const { return mSelectionTools; }
    pf::Matrix* drawingTools() const { return mDrawingTools; }
    pf::Matrix* cartographyTools() const { return mCartographyTools; }
    PWXStyleImageView* stylePreview() const { return mStylePreview; }
    RVMultiSectionView* multiView() const { return mMultiView; }
    // The button of a tag in the first matrix that holds it, or null.
    RVStyleButtonCell* cellForTag(int tag) const;
    // The smart-select button's menu: sets what the Smart Select tool takes as alike and
    // makes it current.
    void setSmartSelectMatchMode(int mode);
    pf::Ref<RVStyleButtonCell> smartSelectButton() const { return mSmartSelectButton; }
    // Runs the enabling check now (it runs 0.1 s after main-window changes).
    void updateEnabling();

private:
    void buildWindow();
    void inferTooltipsForMatrix(pf::Matrix* matrix);
    void updateSmartSelectMenu();
    void observeNotifications();
    void toolDidChange(const pf::Notification& note);
    void autoRevertStateDidChange(const pf::Notification& note);
    void createdObjectsStyleDidChange(const pf::Notification& note);
    void pickerSelectionDidChange(const pf::Notification& note);
    void styleInspectorDidCreateStyle(const pf::Notification& note);
    void mainWindowDidChange(bool becameMain);
    QList<pf::Matrix*> matrices() const;

    QPointer<RVMultiSectionView> mMultiView;
    QPointer<RVSectionView> mSelectionSection;
    QPointer<RVSectionView> mGraphicsSection;
    QPointer<RVSectionView> mCartographySection;
    QPointer<RVSectionView> mPreviewSection;
    QPointer<pf::Matrix> mSelectionTools;
    QPointer<pf::Matrix> mDrawingTools;
    QPointer<pf::Matrix> mCartographyTools;
    QPointer<PWXStyleImageView> mStylePreview;
    pf::Ref<RVStyleButtonCell> mSmartSelectButton;
    CVLToolsControllerDelegate* mDelegateRef = nullptr;
    pf::Ref<pf::Object> mCurrentStyleOrSymbol;
    // The tool the palette last showed (compared, never dereferenced).
    const PWDrawingTool* mSynchronisedTool = nullptr;
    bool mDynamicToolIcons = false;
    bool mIsSettingToolStyle = false;
    bool mEnabled = true;
    // Whether the window has a place yet (a restored frame or its first showing).
    bool mPlaced = false;
    QList<quint64> mObservations;
};
