#pragma once

#include "inspectors/VNQLObjectControllerDataSource.h"
#include "inspectors/VNQLTabContentViewController.h"

#include "platform/foundation/Notification.h"

class PWDrawing;
class VNQLFontManagerTrampoline;
class VNQL_PWTextShapeController;

// The Text tab: the data source of the text pane. It hands the pane the selected objects of
// the drawing's active layer or, while text is typed in the drawing (font panel mode), the
// font manager trampoline, whose adornment stands for the text being typed.
class VNQLTextController : public VNQLTabContentViewController, public VNQLObjectControllerDataSource {
    PF_CLASS(VNQLTextController)
public:
    static inline const QString kTabIdentifier = QStringLiteral("VNQLTextController");

    explicit VNQLTextController(const QString& nibName = {});
    ~VNQLTextController() override;

    PWDrawing* drawing() const;
    // Moves the observers to `drawing` (not retained).
    void setDrawing(const pf::Ref<PWDrawing>& drawing);
    QList<pf::Ref<pf::Object>> selectedItems() const { return mSelectionCache; }
    // In font panel mode the trampoline alone; else the active layer's selection.
    QList<pf::Ref<pf::Object>> selection();
    pf::Ref<VNQLFontManagerTrampoline> trampoline() const { return m_trampoline; }
    void setTrampoline(const pf::Ref<VNQLFontManagerTrampoline>& trampoline) { m_trampoline = trampoline; }
    VNQL_PWTextShapeController* textShapeController() const { return mTextShapeController.get(); }

    // Notification handlers.
    void textEditingBegan(const pf::Notification& notification);
    void textEditingEnded(const pf::Notification& notification);
    void activeLayerChanged(const pf::Notification& notification);
    void selectionChanged(const pf::Notification& notification);

    void textControllerHelpAction(const QVariant& sender = {});

    QList<pf::Ref<pf::Object>> selectedContentForObjectController(VNQLGenericObjectController* controller) override;
    pf::UndoManager* undoManager() const override;

    void loadView() override;

private:
    void dropSelectionCache();
    void setFontPanelMode(bool on, const pf::Notification& notification);

    pf::Ref<VNQL_PWTextShapeController> mTextShapeController;
    pf::Weak<PWDrawing> mDrawing;
    QList<pf::Ref<pf::Object>> mSelectionCache;
    bool m_hasSelectionCache = false;
    pf::Ref<VNQLFontManagerTrampoline> m_trampoline;
    QList<quint64> m_editingObservations;
    QList<quint64> m_drawingObservations;
};
