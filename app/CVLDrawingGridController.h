#pragma once

#include "platform/graphics/Color.h"
#include "platform/ui/ColorWell.h"
#include "platform/ui/WindowController.h"
#include "widgets/RVDocumentPreviewView.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>

#include <QPointer>
#include <QVariantMap>

#include <optional>

class CVLDrawingGridControllerDelegate;
class PWXBackgroundTextureController;
class RVUnitLength;

// The drawing setup sheet: page size, drawing units, margins, paper colour or texture and the
// graph-paper grid. It never touches the drawing: it takes the drawing's settings from its
// delegate as one dictionary ("kCVL..." keys), edits a working copy, and hands dictionaries back
// to preview, apply, commit or revert. One controller serves a document while it is open.
class CVLDrawingGridController : public pf::WindowController {
    PF_CLASS(CVLDrawingGridController)
public:
    // Settings keys the sheet itself adds to the dictionary.
    static inline const QString kSizeCustomKey = QStringLiteral("kCVLDrawingSizeCustomValue");
    static inline const QString kPrescaleKey = QStringLiteral("kCVLDocumentPrescale");
    static inline const QString kInitialPageIndexKey = QStringLiteral("kCVLInitialPageIndexKey");
    static inline const QString kGraphPaperTabIdentifier = QStringLiteral("graph_paper");
    static inline const QString kIndexGridTabIdentifier = QStringLiteral("ind_grid");
    static inline const QString kUnitsAssertion = QStringLiteral("expected a valid (non nil) RVUnitLength here");

    static pf::Ref<CVLDrawingGridController> drawingGridController();

    CVLDrawingGridController();
    ~CVLDrawingGridController() override;

    void beginDialogWithParentWindow(QWidget* parent, CVLDrawingGridControllerDelegate* delegate, unsigned page = 0);
    QVariantMap originalSettings() const { return m_originalSettings; }
    QVariantMap dictionaryOfCurrentDialogSettings() const { return m_currentSettings; }
    // Loads settings into the working copy and the controls.
    void setSettingsWithDictionary(const QVariantMap& settings);

    void validateCurrentSettings();
    void conditionallyPreview();
    void setNewConversionFactor(double factor);
    void setupUIForUnits(const pf::Ref<RVUnitLength>& unit);
    void selectUnitsMenuItemForUnits(const pf::Ref<RVUnitLength>& unit);
    void selectPage(unsigned page);
    int selectedPage() const;
    bool hasGraphPaperPage() const;
    bool hasDrawingGrid() const { return m_hasDrawingGrid; }
    // The map scale of the working copy; after loading it never holds one.
    QVariant mapScale() const;
    void mapScaleChanged(const QVariant&) { conditionallyPreview(); }

    // Ends the sheet: 1 hands the working copy over as a committed change, 0 reverts to the
    // settings taken at opening, without undo.
    void dialogDidEnd(int returnCode);

    // Actions of the controls. Tests set a control and call its action.
    void okButtonAction(const QVariant& sender = {});
    void drawingSetupHelpAction(const QVariant& sender = {});
    void graphPaperHelpAction(const QVariant& sender = {});
    void cancelButtonAction(const QVariant& sender = {});
    void applyButtonAction(const QVariant& sender = {});
    void previewCheckBoxAction(const QVariant& sender = {});
    void drawingSizeHFieldAction(const QVariant& sender = {});
    void drawingSizeVFieldAction(const QVariant& sender = {});
    void drawingUnitsPopUpAction(const QVariant& sender = {});
    void subtractMarginsAction(const QVariant& sender = {});
    void marginTextFieldAction(const QString& key);
    void adjustMarginCheckboxAction(const QVariant& sender = {});
    void prescaleAction(double value);
    void gridNumberAction(const QString& key, const QVariant& value);
    void themeMatrixAction(int tag);
    void themeColourWellAction(const QVariant& sender = {});
    void spanColourAction(const QVariant& sender = {});
    void divisionsColourAction(const QVariant& sender = {});
    void majorsColourAction(const QVariant& sender = {});
    void printGridCheckBoxAction(const QVariant& sender = {});
    void gridVisibleAction(const QVariant& sender = {});
    void gridTypeAction(const QVariant& sender = {});
    void isoGridVerticalsVisibleAction(const QVariant& sender = {});
    void paperColourAction(const QVariant& sender = {});
    void paperColourPrintableAction(const QVariant& sender = {});
    void paperImageButtonAction(const QVariant& sender = {});
    // The image file at `path` as the paper (a pattern colour); false, with nothing changed,
    // when it is not an image that can be read.
    bool setPaperImageFromFile(const QString& path);
    // The file types the paper image panel offers.
    static QStringList paperImageFileTypes();
    void pageSetupAction(const QVariant& sender = {});
    void setDrawingSizeDefaultsAction(const QVariant& sender = {});

    // The background texture controller's delegate operations.
    void textureControllerApplyTexture(const QVariant& controller, const QVariant& colour);
    void textureControllerSetBackgroundTextureName(const QVariant& controller, const QVariant& name);
    QVariant currentBackgroundTexture() const;
    QString currentBackgroundTextureName() const;

    // Controls, for tests and the program's own checks.
    QDialog* dialog() const { return m_dialog; }
    QTabWidget* tabView() const { return m_tabs; }
    QCheckBox* previewCheckBox() const { return m_preview; }
    QPushButton* applyButton() const { return m_apply; }
    QDoubleSpinBox* widthField() const { return m_width; }
    QDoubleSpinBox* heightField() const { return m_height; }
    QComboBox* unitsPopUp() const { return m_units; }
    QDoubleSpinBox* marginField(const QString& key) const;
    QCheckBox* isoVerticalsCheckBox() const { return m_isoVerticals; }
    QComboBox* gridTypePopUp() const { return m_gridType; }
    QDoubleSpinBox* spanField() const { return m_span; }
    QSpinBox* divisionsField() const { return m_divisions; }
    pf::ColorWell* themeWell() const { return m_themeWell; }
    pf::ColorWell* spanWell() const { return m_spanWell; }
    pf::ColorWell* divisionsWell() const { return m_divisionsWell; }
    pf::ColorWell* majorsWell() const { return m_majorsWell; }
    pf::ColorWell* paperWell() const { return m_paperWell; }
    RVDocumentPreviewView* pagePreview() const { return m_pagePreview; }

    void loadWindow() override;

private:
    void buildWindow();
    void endEditing();
    void sizeFieldChanged(bool horizontal);
    void setColourKey(const QString& key, pf::ColorWell* well);
    void deactivateWells();

    CVLDrawingGridControllerDelegate* m_delegate = nullptr;
    QVariantMap m_originalSettings;
    QVariantMap m_currentSettings;
    bool m_hasCurrentSettings = false;
    bool m_hasDrawingGrid = true;
    bool m_hasIndexGrid = false;
    bool m_isOpen = false;

    QPointer<QDialog> m_dialog;
    QPointer<QTabWidget> m_tabs;
    QPointer<QWidget> m_graphPaperPage;
    QPointer<QWidget> m_indexGridPage;
    QPointer<QCheckBox> m_preview;
    QPointer<QPushButton> m_ok;
    QPointer<QPushButton> m_cancel;
    QPointer<QPushButton> m_apply;
    QPointer<QDoubleSpinBox> m_width;
    QPointer<QDoubleSpinBox> m_height;
    QPointer<QComboBox> m_units;
    QPointer<QCheckBox> m_subtractMargins;
    QPointer<pf::ColorWell> m_paperWell;
    QPointer<QPushButton> m_paperImage;
    QPointer<QPushButton> m_texturePopUp;
    QPointer<QCheckBox> m_paperPrintable;
    QPointer<RVDocumentPreviewView> m_pagePreview;
    QPointer<QDoubleSpinBox> m_marginLeft;
    QPointer<QDoubleSpinBox> m_marginTop;
    QPointer<QDoubleSpinBox> m_marginRight;
    QPointer<QDoubleSpinBox> m_marginBottom;
    QPointer<QCheckBox> m_adjustMargins;
    QPointer<QDoubleSpinBox> m_prescale;
    QPointer<QSlider> m_prescaleSlider;
    QPointer<QDoubleSpinBox> m_span;
    QPointer<QSpinBox> m_divisions;
    QPointer<QSpinBox> m_majors;
    QPointer<QSpinBox> m_rulerInterval;
    QPointer<QLabel> m_spanUnits;
    QPointer<QButtonGroup> m_themeMatrix;
    QPointer<pf::ColorWell> m_themeWell;
    QPointer<pf::ColorWell> m_spanWell;
    QPointer<pf::ColorWell> m_divisionsWell;
    QPointer<pf::ColorWell> m_majorsWell;
    QPointer<QCheckBox> m_gridVisible;
    QPointer<QCheckBox> m_printGrid;
    QPointer<QComboBox> m_gridType;
    QPointer<QCheckBox> m_isoVerticals;
    pf::Ref<PWXBackgroundTextureController> m_textureController;
};
