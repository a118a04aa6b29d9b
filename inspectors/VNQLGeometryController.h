#pragma once

#include "platform/ui/Button.h"
#include "platform/ui/PopUpButton.h"
#include "platform/ui/TextField.h"
#include "widgets/RVCollapsibleContainerView.h"

#include "inspectors/VNQLArrangePaneDelegate.h"
#include "inspectors/VNQLObjectControllerDataSource.h"
#include "inspectors/VNQLTabContentViewController.h"

#include "platform/foundation/Notification.h"

#include <QHash>
#include <QPointer>
#include <QSet>

#include <memory>

class PWDrawing;
class QScrollArea;
class RVCollapsibleContainerView;
class VNQLGenericObjectController;
namespace pf {
class Button;
class NumberFormatter;
class PopUpButton;
class TextField;
class UserInterfaceItem;
} // namespace pf

// The user default keeping the Geometry tab's display units (0 points, 1 drawing units,
// 2 converted units).
inline const QString kVNQLGeometryControllerUseDrawingUnits = QStringLiteral("kVNQLGeometryControllerUseDrawingUnits");

// The Geometry tab: names and summarises the selection of the drawing's active layer (or the
// selected slices), stacks one pane per class of the selection's highest common class (root
// class first), adds the arrange, boolean and alignment panes the selection allows, and keeps
// the formatter for lengths in the chosen display units.
class VNQLGeometryController : public VNQLTabContentViewController,
                               public VNQLObjectControllerDataSource,
                               public VNQLArrangePaneDelegate {
    PF_CLASS(VNQLGeometryController)
public:
    static inline const QString kTabIdentifier = QStringLiteral("VNQLTabViewGeometry");
    // The modes of the units pop-up (its item tags).
    enum DisplayUnits { kPoints = 0, kDrawingUnits = 1, kConvertedUnits = 2 };

    explicit VNQLGeometryController(const QString& nibName = {});
    ~VNQLGeometryController() override;

    PWDrawing* drawing() const;
    // Moves the observers to `drawing` (not retained) and brings the units up to date.
    void setDrawing(const pf::Ref<PWDrawing>& drawing);

    // Notification handlers.
    void activeLayerChanged(const pf::Notification& notification);
    void selectionChanged(const pf::Notification& notification);
    void slicesSelectionChanged(const pf::Notification& notification);
    void drawingUnitsChanged(const pf::Notification& notification);
    void mapUnitsChanged(const pf::Notification& notification);

    // Shows a selection; `total` is the number of objects of its layer (0 for slices).
    void setSelectedObjects(const QList<pf::Ref<pf::Object>>& objects, qint64 total);
    void installViewsForHighestCommonClass(const pf::Class* cls);
    void installViewsForPseudoClasses(const QList<pf::Ref<pf::Object>>& objects, qint64 total);
    void installViewForSubcontroller(pf::ViewController* controller);
    void removeViewForSubcontroller(pf::ViewController* controller);
    pf::Ref<pf::ViewController> subcontrollerForClass(const QString& key) const;
    // The panes whose views the stack holds now, top first.
    QList<pf::ViewController*> installedSubcontrollers() const;
    QList<pf::Ref<pf::Object>> selection();
    QList<pf::Ref<pf::Object>> selectedItems() const { return m_selectionCache; }
    void setNeedsInfoUpdate();
    void setNameString(const QString& name);
    void setAuxiliaryInfoString(const QString& info);
    QString nameString() const;
    QString auxiliaryInfoString() const;

    // Actions.
    void displayUnitsAction(const QVariant& sender);
    void percentDisplayAction(const QVariant& sender);
    void renameAction(const QVariant& sender);
    // Shows the Geometry tab's help page.
    void geometryControllerHelpAction(const QVariant& sender = {});
    void nameFieldAction(const QVariant& sender);
    bool validateUserInterfaceItem(pf::UserInterfaceItem& item) override;

    // Units.
    int drawingUnitsMode() const { return m_drawingUnitsMode; }
    void setDrawingUnitsMode(int mode);
    std::shared_ptr<pf::NumberFormatter> makeFormatterForDisplayUnitsOption(int mode) const;
    std::shared_ptr<pf::NumberFormatter> drawingUnitsFormatter() const { return m_drawingUnitsFormatter; }
    // Stores the formatter and posts kVNQLGeometryControllerFormatterDidChange.
    void setDrawingUnitsFormatter(const std::shared_ptr<pf::NumberFormatter>& formatter);
    bool percentDisplay() const { return m_percentDisplay; }
    void setPercentDisplay(bool percentages);

    // Renaming.
    bool renamingModeActive() const { return m_renamingModeActive; }
    void setRenamingMode(bool active);
    bool canRename();
    bool pathIsSimpleStraightLine();
    bool selectionEligibleForBooleanOps(const QList<pf::Ref<pf::Object>>& objects) const;

    // Data source.
    QList<pf::Ref<pf::Object>> selectedContentForObjectController(VNQLGenericObjectController* controller) override;
    pf::NumberFormatter* numberFormatterForCurrentDisplayUnits() const override { return m_drawingUnitsFormatter.get(); }
    pf::UndoManager* undoManager() const override;

    // What the panes ask.
    int drawableControllerWantsInterfaceOptions(VNQLGenericObjectController* controller);
    pf::Ref<PWObjectDrawingLayer> wantsCurrentDrawingLayerForController(pf::ViewController* controller) override;
    qint64 wantsCountOfSelectedObjectsForController(pf::ViewController* controller) override;

    RVCollapsibleContainerView* containerView() const { return mGeometryViewStack; }
    pf::PopUpButton* unitsPopUp() const { return mDrawingUnitsPopUp; }

    void loadView() override;

private:
    void observeDrawing(PWDrawing* drawing);
    const pf::Class* highestCommonClass() const;
    void detachPanes();
    void fitStackToContent();

    QPointer<RVCollapsibleContainerView> mGeometryViewStack;
    QPointer<pf::TextField> mTypeNameLabel;
    QPointer<pf::TextField> mAuxiliaryInfoLabel;
    QPointer<pf::PopUpButton> mDrawingUnitsPopUp;
    QPointer<pf::Button> mPercentCheckbox;
    pf::Weak<PWDrawing> mDrawing;
    QHash<QString, pf::Ref<pf::ViewController>> mSubcontrollers;
    QStringList mSubcontrollerOrder;
    QList<pf::ViewController*> mInstalled;
    QList<pf::Ref<pf::Object>> m_selectionCache;
    bool m_hasSelectionCache = false;
    std::shared_ptr<pf::NumberFormatter> m_drawingUnitsFormatter;
    int m_drawingUnitsMode = kPoints;
    bool m_percentDisplay = false;
    bool m_renamingModeActive = false;
};
