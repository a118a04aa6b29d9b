#pragma once

#include "app/CVLVectorizingOptionsController.h"
#include "app/VNQLDocumentWindow.h"
#include "app/VNQLExportControllerDelegate.h"
#include "browsers/RVLimitedSavePanelDelegate.h"
#include "frameworks/penwork/document/PWDrawingDocument.h"
#include "inspectors/VNQLTabViewDelegate.h"
#include "widgets/RVBasicDialogControllerDelegate.h"
#include "widgets/RVSplitViewControllerDelegate.h"

#include <QPointer>
#include <QRectF>
#include <QSizeF>
#include <QStringList>
#include <QUrl>
#include <QVariantMap>

#include <mutex>

class CVLMouseLocationController;
class CVLParallelDuplicateController;
class RVLinearDuplicateController;
class RVPolarDuplicateController;
class PWDrawingScrollArea;
class PWDrawableObject;
class PWImageShape;
class PWLayer;
class PWObjectDrawingLayer;
class PWStyle;
class PWXLibrary;
class PWXMapScale;
class RVMeasurement;
class RVProgressViewController;
class RVShadowClipView;
class RVSplitViewController;
class VNQLTabContentView;
class VNQLTabView;
struct VNQLDocumentWindowOutlets;
class RVUnitLength;
class VNQLExportOperation;
class VNQLExportController;
class CVLDrawingGridController;
class CVLDrawingGridControllerDelegate;
class QWidget;

namespace pf {
class Class;
class DocumentController;
class MenuItem;
class UserInterfaceItem;
template <class T>
class ClassBuilder;
struct Notification;
class PopUpButton;
class PrintInfo;
class PrintOperation;
class SavePanel;
class SegmentedControl;
class SplitView;
class Toolbar;
}

// The program's document: one drawing with its map scale, print info, unit display option,
// export settings and window state, saved as a package (a folder with the extension "qlry").
// The same reader takes packages of the related map type, flat drawing files, SVG files and
// bitmap images; everything that is not our own package opens untitled, so saving never writes
// a package over the user's picture, map or drawing file.
class RVCartavelDocument : public PWDrawingDocument,
                           public RVBasicDialogControllerDelegate,
                           public VNQLTabViewDelegate,
                           public RVSplitViewControllerDelegate,
                           public VNQLDocumentWindowDelegate,
                           public CVLVectorizingDelegate,
                           public VNQLExportControllerDelegate,
                           public RVLimitedSavePanelDelegate {
    PF_CLASS(RVCartavelDocument)
public:
    // Document types as the document controller passes them.
    static inline const QString kNativeType = QStringLiteral("Quil");
    static inline const QString kMapType = QStringLiteral("Map");
    static inline const QString kSVGType = QStringLiteral("Scalable Vector Graphics");
    static inline const QString kImageType = QStringLiteral("Image");

    static inline const QString kErrorDomain = QStringLiteral("Cartavel Error");
    static constexpr int kErrorException = 101;
    static constexpr int kErrorNoDrawingData = 102;
    static inline const QString kOriginalExceptionKey = QStringLiteral("PWOriginalException");

    // Package entries.
    static inline const QString kContentEntry = QStringLiteral("VN_Content.drawing");
    static inline const QString kInfoEntry = QStringLiteral("VN_Info.plist");
    static inline const QString kAuxiliaryEntry = QStringLiteral("VN_Auxiliary_Info.dat");
    static inline const QString kQuickLookEntry = QStringLiteral("QuickLook");
    static inline const QString kThumbnailEntry = QStringLiteral("Thumbnail.jpg");
    static inline const QString kPreviewEntry = QStringLiteral("Preview.pdf");
    static inline const QString kWindowEntry = QStringLiteral("_window.plist");
    static inline const QString kExportSettingsEntry = QStringLiteral("_export_settings.plist");

    // Keys of the auxiliary archive and of its "Doc_info" dictionary.
    static inline const QString kMapScaleKey = QStringLiteral("Map_Scale");
    static inline const QString kPrintInfoKey = QStringLiteral("Print_info");
    static inline const QString kDocInfoKey = QStringLiteral("Doc_info");
    static inline const QString kPaperMarginsVisibleKey = QStringLiteral("kDocumentPaperMarginsVisible");
    static inline const QString kUnitDisplayOptionKey = QStringLiteral("kDocumentUnitDisplayOption");
    static inline const QString kLayerSideBarVisibleKey = QStringLiteral("kDocumentLayerSideBarVisible");
    static inline const QString kMainContentIsXMLKey = QStringLiteral("kMainContentIsXML");
    static inline const QString kPrescaleKey = QStringLiteral("kDocumentPrescale");
    static inline const QString kVersionKey = QStringLiteral("kCartavelVersion");

    // User-defaults keys.
    static inline const QString kDefaultUnitDisplayOptionDefault = QStringLiteral("kPWUnitsDisplayOptions");
    static inline const QString kDefaultPaperMarginsVisibleDefault = QStringLiteral("kPWPaperMarginsVisible");
    static inline const QString kDefaultSizeDefault = QStringLiteral("kPWDocumentDefaultSize");
    static inline const QString kDefaultMarginsDefault = QStringLiteral("kPWDocumentDefaultMargins");
    static inline const QString kDefaultDrawingScaleDefault = QStringLiteral("kPWDocumentDefaultDrawingScale_Cartavel2");
    static inline const QString kDefaultDrawingUnitsDefault = QStringLiteral("kPWDocumentDrawingUnitsDefault");
    static inline const QString kDefaultPrescaleDefault = QStringLiteral("kPWDocumentPrescaleDefault");
    static inline const QString kDefaultDocumentSavingURLDefault = QStringLiteral("kQuilloryDefaultDocumentSavingURL");
    static inline const QString kDefaultPrintInfoDefault = QStringLiteral("kDefaultPrintInfo");
    static inline const QString kDontClearUndoOnSaveDefault = QStringLiteral("kPWDocumentDontClearUndoOnSave");
    static inline const QString kUndoAuditDefault = QStringLiteral("undo_audit");
    static inline const QString kDefaultRestorableStateDefault = QStringLiteral("kVNQLDocument_DefaultRestorableState");

    // Notifications of the map scale and the unit display option.
    static inline const QString kMapScaleWillChangeNotification = QStringLiteral("kCartavelMapScaleWillChangeNotification");
    static inline const QString kMapScaleDidChangeNotification = QStringLiteral("kCartavelMapScaleDidChangeNotification");
    static inline const QString kDisplayUnitOptionsChangedNotification = QStringLiteral("kPWDocumentDisplayUnitOptionsChanged");

    // The count shown against while a drawing archive gives none.
    static constexpr quint64 kDefaultExpectedObjects = 30000;

    RVCartavelDocument();
    ~RVCartavelDocument() override;

    // Types and extensions ------------------------------------------------------------------------
    static QString nativeFileExtension() { return QStringLiteral("qlry"); }
    static QStringList templatesFileTypes() { return {nativeFileExtension()}; }
    static QStringList fileTypesForcingUntitledDocument();
    // "Quil", "Map" and the extension "qlry" that some callers pass as a type: read and written
    // as the package.
    static bool isPackageType(const QString& type);
    // Registers the kinds of file this document opens. Only the native package is written;
    // the others are read into new, untitled documents.
    static void registerDocumentTypes(pf::DocumentController& controller);
    static inline const QString kMapExtension = QStringLiteral("cartavel_map");

    // Class-wide settings (user defaults) --------------------------------------------------------
    static int defaultUnitDisplayOption();
    static void setDefaultUnitDisplayOption(int option);
    static bool defaultPaperMarginsVisible();
    static void setDefaultPaperMarginsVisible(bool visible);
    static QSizeF defaultDrawingSize();
    static void setDefaultDrawingSize(const QSizeF& size);
    // Always zero margins: new drawings get none, whatever is stored.
    static QRectF defaultDrawingMargins() { return {}; }
    static void setDefaultDrawingMargins(const QRectF& margins);
    static pf::Ref<PWXMapScale> defaultDrawingScale();
    static void setDefaultDrawingScale(const pf::Ref<PWXMapScale>& scale);
    static pf::Ref<RVUnitLength> defaultDrawingUnits();
    static void setDefaultDrawingUnits(const pf::Ref<RVUnitLength>& units);
    static double defaultPrescale();
    static void setDefaultPrescale(double prescale);
    static QUrl defaultDocumentSaveURL();
    static void setDefaultDocumentSaveURL(const QUrl& url);
    static bool defaultQualityModulation();
    // Applies at once to the drawing of every open drawing document.
    static void setDefaultQualityModulation(bool enabled);

    // Registers the inch and centimetre ruler units of every drawing view; once per process,
    // before the first document exists.
    static void registerRulerUnits();

    // New documents for drawings made elsewhere -----------------------------------------------------
    static pf::Ref<RVCartavelDocument> documentWithDrawing(const pf::Ref<PWDrawing>& drawing, bool display);
    static pf::Ref<RVCartavelDocument> documentWithDrawing(const pf::Ref<PWDrawing>& drawing, bool display,
                                                           RVCartavelDocument* originalDocument,
                                                           const QRectF& sourceRect);

    // Templates -----------------------------------------------------------------------------------
    static QUrl documentTemplatesURL();
    static QUrl userTemplatesURL();
    static QList<QUrl> availableTemplatesAtURL(const QUrl& folder, bool includingSubfolders);
    static QList<QUrl> availableTemplateURLs();
    static bool hasTemplatesAvailable();
    static bool isTemplateURL(const QUrl& url);
    static bool isUserTemplateURL(const QUrl& url);
    // Whether `name` can name a template: one path component, without "/", ".." or NUL.
    static bool isValidTemplateName(const QString& name);
    // Writes this document's package as a template at `url` (atomically); the document's own
    // file, URL and change count stay as they are.
    bool writeTemplateToURL(const QUrl& url, pf::Error* error = nullptr);
    // The template `name` (its extension replaced by "qlry") in the user templates folder; empty
    // for an invalid name.
    static QUrl userTemplateURLForName(const QString& name);
    // Saves a copy as the user template `name`; asks before replacing one, and, when the user
    // declines, offers the save panel in the templates folder instead.
    void saveTemplateNamed(const QString& name);
    void saveCopyAsTemplateAction(const QVariant& sender);
    void showSaveTemplatesDialog();
    // The end of the templates save panel (held to the user templates folder): OK writes the
    // copy at the chosen place, which the panel has already cleared for replacing.
    void savePanelDidEnd(RVLimitedSavePanel& panel, int returnCode) override;
    // The "save as template" check box of the document's save panel: on points the panel at
    // the user templates folder, off at the default document folder.
    void saveTemplateAction(const QVariant& sender);

    // The template-name dialog: OK needs a name, which starts as the display name; OK saves
    // the copy as that template.
    void basicDialogDidEndWithReturnCode(RVBasicDialogController& dialog, int returnCode) override;
    bool basicDialogValidateDefaultButton(RVBasicDialogController& dialog) override;
    void basicDialogSetObjectValueForPrimaryItem(RVBasicDialogController& dialog, pf::Control& item) override;

    // pf::Document -----------------------------------------------------------------------------
    bool initWithType(const QString& type, pf::Error* error) override;
    bool autosavesInPlace() const override { return true; }
    bool canConcurrentlyReadDocumentsOfType(const QString&) const override { return true; }
    bool canAsynchronouslyWriteToURL(const QUrl& url, const QString& type, pf::SaveOperation operation) const override;
    bool readFromFileWrapper(const pf::FileWrapper& wrapper, const QString& type, pf::Error* error) override;
    // Notes the folder of the file being read, where an SVG file's linked pictures are found.
    bool readFromURL(const QUrl& url, const QString& type, pf::Error* error) override;
    pf::FileWrapperRef fileWrapperOfType(const QString& type, pf::Error* error) override;
    void setFileURL(const QUrl& url) override;
    void setFileType(const QString& type) override;
    void setDisplayName(const QString& name) override;
    bool prepareSavePanel(pf::SavePanel& panel) override;
    void updateChangeCount(pf::DocumentChangeType change) override;
    void makeWindowControllers() override;
    void windowControllerDidLoadNib(pf::WindowController* controller) override;

    // PWDrawingDocument ------------------------------------------------------------------------
    pf::Ref<PWDrawing> makeDefaultDrawing() override;
    // Installs the drawing, which always carries a hidden slices layer; null changes nothing.
    void setDrawing(const pf::Ref<PWDrawing>& drawing) override;
    QString documentStyleCategoryName() const override;
    const pf::Class& classOfDefaultDrawingLayer() const override;
    bool wantsInfoLayer() const override { return false; }

    // Defaults and package settings ----------------------------------------------------------------
    // Fills the document with the class-wide settings (undo registration off meanwhile).
    void prepareUsingDefaultSettings();
    QVariantMap documentAuxiliaryInfo() const;
    void setDocumentAuxiliaryInfo(const QVariantMap& info);
    bool savesXML() const { return m_saveXML; }
    void setSavesXML(bool saves) { m_saveXML = saves; }
    bool savesPreview() const { return m_savePreview; }
    void setSavesPreview(bool saves) { m_savePreview = saves; }
    void saveXMLAction(const QVariant& sender);
    void savePreviewAction(const QVariant& sender);
    double prescale() const { return m_prescale; }
    void setPrescale(double prescale);
    bool paperMarginsShouldBeShown() const { return m_paperMarginsShouldBeShown; }
    // Whether the window shows the paper margins (the stored flag until a window shows them).
    bool paperMarginsVisible() const { return m_paperMarginsShouldBeShown; }

    pf::Ref<PWXMapScale> mapScale() const { return m_mapScale; }
    // Undoable; posts the will- and did-change notifications.
    void setMapScale(const pf::Ref<PWXMapScale>& scale);
    int unitDisplayOption() const { return m_unitDisplayOption; }
    void setUnitDisplayOption(int option);

    pf::Ref<VNQLExportOperation> exportOperation() const { return m_exportOperation; }
    void setExportOperation(const pf::Ref<VNQLExportOperation>& operation);
    // The document's export settings, made for its drawing on first use.
    pf::Ref<VNQLExportOperation> exportOperationForExport();
    // Gives the drawing (the top row of the layers panel) the document's display name.
    void nameDrawingAfterDocument();
    // File > Export...: the export sheet with the document's settings.
    void exportAction(const QVariant& sender);
    // The drawing as PDF data, handed to the desktop's sharing from the toolbar's Share button.
    QByteArray sharableDocumentImage() const;
    void shareDocumentAction(const QVariant& sender);
    // Shows the export sheet on the document window; a source type of -1 keeps the stored one.
    void showExportDialogWithPreferredSource(int sourceType);
    // The export sheet while it is up.
    pf::Ref<VNQLExportController> exportController() const { return m_exportController.lock(); }
    // The sheet's operation becomes the document's export settings.
    bool exportControllerWillExportWithOperation(VNQLExportController& controller,
                                                 const pf::Ref<VNQLExportOperation>& operation) override;

    // Printing (RVCartavelDocument+Printing.cpp) ----------------------------------------------------
    // A CVLPrintingView of the drawing's size for this document.
    QWidget* makePrintDrawingView() override;
    // Puts the shared print options into the job's print panel and hands them the job, which
    // they let go of when it ends.
    void runModalPrintOperation(const pf::Ref<pf::PrintOperation>& operation,
                                std::function<void(bool printed)> done) override;
    // The page layout: one undo step "Page Setup"; its margins become the printer's own paper
    // margins, the paper-margin display follows, and it becomes the default of new documents.
    void setPrintInfo(const pf::Ref<pf::PrintInfo>& info);
    // Page Setup: a confirmed page layout goes through setPrintInfo.
    void runPageLayout(const QVariant& sender) override;

    // Window state --------------------------------------------------------------------------------
    QVariantMap windowRestorationState() const { return m_windowRestorationState; }
    // A state that is not a valid window state (see isValidWindowState) is dropped.
    void setWindowRestorationState(const QVariantMap& state);
    // The state a saved package carries: the window's own when there is one, else the one read.
    QVariantMap restorableStateInfo() const;
    void restoreStateFromPreference();
    // A non-empty dictionary whose "left_sidebar" and "right_sidebar" are non-empty
    // dictionaries and whose "splits", when present, is a dictionary.
    static bool isValidWindowState(const QVariant& state);

    // Editing commands (RVCartavelDocument+Commands.cpp) -------------------------------------------
    // "Active object layer" is the drawing's active PWObjectDrawingLayer; "selection" its
    // selected available (visible, unlocked) objects.

    // Copy counts the duplication operations take: fewer than 1 is refused, more is capped.
    static constexpr int kMaxDuplicateCopies = 10000;

    // activeLayer() and hasValidSelection(): with the document window's operations.
    pf::Ref<PWObjectDrawingLayer> activeObjectLayer() const;
    qint64 countOfItemsInSelection() const;
    QList<pf::Ref<PWLayer>> flattenedListOfLayers() const;
    QList<pf::Ref<PWLayer>> flattenedListOfLayersAndGroups() const;
    QList<pf::Ref<PWLayer>> flattenedListOfDrawingLayers() const;
    QList<pf::Ref<PWLayer>> flattenedListOfDrawingLayersAndGroups() const;
    // Groups, and the layers that may become active, in order.
    QList<pf::Ref<PWLayer>> flattenedListOfActivateableLayersAndGroups() const;
    // The selected objects that can become clip art; empty without an active object layer.
    QList<pf::Ref<pf::Object>> availableDonorObjectsForCreatingSymbols() const;
    qint64 numberOfSymbolsInSelection() const;
    pf::Ref<pf::Object> symbolAtIndex(qint64 index) const;
    // Adds the selection's objects to the user's library as clip art (asks first for 6 or more).
    void createSymbol(const QVariant& sender);

    // The layers panel the layer commands go to (the controller of the "VNQLTabViewLayers"
    // tab, kept weakly). It answers "canAddLayerOrGroup", "canDuplicateLayerOrGroup",
    // "canDeleteLayerOrGroup" and the actions "addLayerAction:", "addlayerGroupAction:",
    // "deleteLayerAction:", "duplicateLayerAction:". Without one the commands are disabled.
    pf::Ref<pf::Object> layersController() const { return m_layersController.lock(); }
    void setLayersController(const pf::Ref<pf::Object>& controller) { m_layersController = controller; }
    bool couldAddNewLayerOrLayerGroup(const QVariant& sender) const;
    bool couldDuplicateLayer(const QVariant& sender) const;
    bool couldDeleteLayer(const QVariant& sender) const;
    void newDrawingLayer(const QVariant& sender);
    void addLayerGroupAction(const QVariant& sender);
    void deleteLayerAction(const QVariant& sender);
    void duplicateLayer(const QVariant& sender);
    // As the layers panel's delegate: the classes of new layers (by class name) and the panels
    // its rows open.
    QString layersControllerNeedsClassForDrawingLayers(const QVariant& controller) const;
    QString layersControllerNeedsClassForLayerGroup(const QVariant& controller) const;
    void layersControllerShowGridOptionsForLayer(const QVariant& controller, const QVariant& layer);
    void layersControllerShowDrawingOptionsForDrawing(const QVariant& controller, const QVariant& drawing);
    void layersControllerShowExportOptionsForLayer(const QVariant& controller, const QVariant& layer);

    // Where a point picked on the screen (global Qt coordinates) or in a window (its Qt
    // coordinates) lies on the grid (grid units from the grid's origin), snapped when asked;
    // the zero point outside the drawing's interior or without a drawing window.
    QPointF gridPointForGlobalPoint(const QPointF& global, bool snapToGrid) const;
    QPointF gridPointForPoint(const QPointF& point, QWidget* window, bool snapToGrid) const;

    // The duplication the duplicate sheets ask for. Offsets and centres are in grid units
    // (drawing units from the grid's origin); the parallel offset is in points. Each copies
    // the selection as one undo step and answers whether it made copies.
    bool doLinearDuplicateCopies(int copies, const QSizeF& offset);
    bool doPolarDuplicateCopies(int copies, const QPointF& centre, double incrementDegrees, bool rotateCopies);
    bool doAutoPolarDuplicateWithCentre(const QPointF& centre);
    bool parallelCopyWithOffset(double offset, int copies, bool smooth);
    // The duplicate sheets (one of each per document, made on first use): the sheet asks for
    // the numbers and calls the operations above.
    void linearDuplicate(const QVariant& sender);
    void polarDuplicate(const QVariant& sender);
    void parallelDuplicate(const QVariant& sender);
    pf::Ref<RVLinearDuplicateController> linearDuplicateController() const { return m_linearDuplicateController; }
    pf::Ref<RVPolarDuplicateController> polarDuplicateController() const { return m_polarDuplicateController; }
    pf::Ref<CVLParallelDuplicateController> parallelDuplicateController() const { return m_parallelDuplicateController; }

    // The sender's represented layer becomes the active layer, when it may.
    void activateLayerByName(const QVariant& sender);
    // Moves the selection to the sender's represented layer (one undo step "Move To <name>"),
    // which becomes the active layer; beeps when it cannot.
    void moveSelectionToLayerByName(const QVariant& sender);
    bool moveSelectionToLayer(const pf::Ref<PWLayer>& target);

    void toggleDisplayAntiAliasing(const QVariant& sender);
    void toggleDisplayShadows(const QVariant& sender);
    void toggleDisplayStyleSubstitution(const QVariant& sender);
    void togglePaperMarginsVisible(const QVariant& sender);
    // The sender's tag (0 drawing units, 1 points, 2 map units) becomes the unit display option
    // and the class default.
    void setUnitsOptionsWithTagOfSender(const QVariant& sender);
    // Segment (or the menu item's tag) 0: snap to grid, 1: snap to guides, 2: the active object
    // layer's snapping to objects.
    void snappingOptionsAction(const QVariant& sender);
    void gridOrGuidesSnappingChanged(const pf::Notification& notification);
    // Segment 0 undoes, segment 1 redoes.
    void undoRedoCombinedAction(const QVariant& sender);
    void textBeganEditing(const pf::Notification& notification);
    // The objects the geometry inspector edits (observable as "geometrySelection"): the
    // selection of the active layer, following every selection change of the drawing's layers.
    QList<pf::Ref<PWDrawableObject>> geometrySelection() const { return m_geometrySelection; }
    void selectionChanged(const pf::Notification& notification);
    void debugExplodeUndoAction(const QVariant& sender);
    void test(const QVariant& sender);
    // Shows the undo history of the document (a panel of the document window).
    void showUndoHistoryAction(const QVariant& sender);

    // Adds the commands above to the class tables.
    static void registerCommandActions(pf::ClassBuilder<RVCartavelDocument>& b);

    // Menu validation of the commands above; other items as the base class validates them.
    bool validateMenuItem(pf::MenuItem& item) override;
    bool validateUserInterfaceItem(pf::UserInterfaceItem& item) override;

    // Map scale, units and drawing set-up (RVCartavelDocument+DrawingSetup.cpp) --------------------

    // PWDrawingDelegate: lengths in the unit the unit display option chooses. Ground units
    // need a map scale: without one, lengths show in the drawing's units.
    pf::Ref<RVUnitLength> convertedDisplayUnitsForDrawing(const PWDrawing& drawing) const override;
    double conversionMultiplierForDisplayUnits() const override;
    pf::Ref<RVMeasurement> convertedMeasurement(const pf::Ref<RVMeasurement>& measurement,
                                                const PWDrawing& drawing) const;
    void setPaperMarginsVisible(bool visible);

    // The settings the drawing set-up sheet edits, taken from the drawing ("kCVL..." keys). The
    // grid layer is unlocked (without undo) first, as the sheet edits it.
    QVariantMap dictionaryOfDrawingSettings();
    // Starts a set-up: the settings as above, remembered as the original settings (what undo
    // and cancel go back to), with the grid layer's lock state.
    QVariantMap beginDrawingSetUp();
    QVariantMap drawingSetUpOriginalSettings() const { return m_drawingSetUpOriginal; }
    // Applies the sheet's settings while the user edits them (no undo).
    void performDrawingPreviewWithOptions(const QVariantMap& settings);
    // A real set-up (preview false) is one undo step "Drawing Setup" whose undo applies the
    // original settings; with preview true, the settings are applied without undo. Settings
    // whose unit factor, size or interior is not positive are refused (false, nothing changed).
    bool performDrawingSetUpWithOptions(const QVariantMap& settings, bool isPreviewOrCancel);
    // The sheet was cancelled: the original settings come back without undo, with the grid
    // layer's lock state as it was.
    void cancelDrawingSetUp();
    // The drawing setup sheet at its first page, or at the graph-paper page.
    void openDrawingSizePanel(const QVariant& sender);
    void openGridSettingsPanel(const QVariant& sender);
    // The document's drawing setup sheet, made on first use.
    pf::Ref<CVLDrawingGridController> drawingGridController();

    // Document window (RVCartavelDocument+Window.cpp) ----------------------------------------------
    static inline const QString kCentreDocumentViewDefaultState = QStringLiteral("kCentreDocumentViewDefaultState");
    static inline const QString kLeftSidebarIdentifier = QStringLiteral("left_sidebar");
    static inline const QString kRightSidebarIdentifier = QStringLiteral("right_sidebar");
    static inline const QString kSplitsKey = QStringLiteral("splits");
    static inline const QString kStyleTabIdentifier = QStringLiteral("VNQLTabViewStyle");
    static inline const QString kLayersTabIdentifier = QStringLiteral("VNQLTabViewLayers");
    static inline const QString kGeometryTabIdentifier = QStringLiteral("VNQLTabViewGeometry");
    static inline const QString kTextTabIdentifier = QStringLiteral("VNQLTextController");
    static inline const QString kUndoHistoryTabIdentifier = QStringLiteral("VNQLUndoHistoryController");
    static inline const QString kAttributesTabIdentifier = QStringLiteral("VNCVAttributesController");
    static constexpr int kLeftSidebarIndex = 0;
    static constexpr int kRightSidebarIndex = 2;
    static constexpr double kSidebarMinimumSize = 250;
    static constexpr double kSidebarMaximumSize = 350;
    // A burst of tab changes writes the preference once, this long after the last.
    static constexpr int kPreferenceSaveDelayMs = 2000;

    QString windowNibName() const override { return QStringLiteral("MainDocument"); }
    // The window's views and controls, handed over by the window controller as it builds them.
    void connectWindowOutlets(const VNQLDocumentWindowOutlets& outlets);
    void awakeFromNib();
    // Fills the sidebars from the window restoration state, else the preference, else the
    // default tabs.
    void makeTabViewControllers();
    // The class of the controller a tab with that identifier holds; null for none (such a tab
    // is removed). The undo-history tab has a class but never stays.
    static const pf::Class* classForTabControllerWithIdentifier(const QString& identifier);
    void installShadowClipview();
    // The window frame (Qt geometry) that shows the whole drawing with the open sidebars, the
    // rulers and the toolbar, kept on the window's screen.
    QRectF bestFrameForWindow(QWidget* window) const;
    void bringWindowToFront();
    // Lets go of everything the window used; harmless when called again.
    void cleanUpIfNeeded();

    // Applies a window state (raises when it is empty); a damaged split state is skipped.
    void restoreWithStateInfo(const QVariantMap& state);
    void saveRestorableStateAsPreference();
    bool isPreferenceSavePending() const;

    // Tabs: the left sidebar is looked in first, then the right.
    VNQLTabContentView* tabWithIdentifier(const QString& identifier) const;
    // Selects the tab and opens its sidebar; nothing when neither sidebar has it.
    void selectTabWithIdentifier(const QString& identifier);
    QVariant tabIconWithIdentifier(const QString& identifier) const;
    // The tab is the selected one of its sidebar and that sidebar is open.
    bool tabWithIdentifierIsSelected(const QString& identifier) const;
    void selectTextTabAction(const QVariant& sender);
    void selectLayersTabAction(const QVariant& sender);
    void selectGeometryTabAction(const QVariant& sender);
    void selectStyleTabAction(const QVariant& sender);
    void selectAttributesTabAction(const QVariant& sender);

    // Sidebars: segment 0 of the sender is the left one, 1 the right one.
    void toggleSidebarsAction(const QVariant& sender);
    void toggleLeftSidebarAction(const QVariant& sender);
    void toggleRightSidebarAction(const QVariant& sender);
    bool layersSidebarVisible() const;
    void setLayersSidebarVisible(bool visible);
    void toggleLayersListVisible(const QVariant& sender);
    bool isSidebarCollapsed(int index) const;
    // Window commands the document window answers itself: zooming asks bestFrameForWindow.
    void performZoom(const QVariant& sender);
    // View > Zoom In, Zoom Out, Actual Size and Zoom to Fit: they act on the window's drawing
    // view wherever the keyboard focus is.
    void zoomIn(const QVariant& sender);
    void zoomOut(const QVariant& sender);
    void zoomToActualSize(const QVariant& sender);
    void zoomFitInWindow(const QVariant& sender);
    // Adds locked graph paper under every layer of a drawing that has none (one undo step);
    // answers whether it did. File > Graph Paper... offers it.
    bool addGraphPaper();
    // Object > Group and Ungroup, sent on to the drawing view when it lacks the focus.
    void group(const QVariant& sender);
    void ungroup(const QVariant& sender);
    void toggleFullScreen(const QVariant& sender);

    VNQLTabView* sidebarTabView() const;
    VNQLTabView* rightHandSidebarTabView() const;
    pf::Ref<RVSplitViewController> splitViewController() const { return m_splitViewController; }
    pf::Ref<CVLMouseLocationController> mouseLocationController() const { return m_mouser; }
    pf::SegmentedControl* sidebarToolbarSegmentedControl() const;
    pf::SegmentedControl* snappingToolbarSegmentedControl() const;
    pf::PopUpButton* zoomScaleInfo() const;
    VNQLDocumentWindow* documentWindow() const { return m_window; }
    RVShadowClipView* shadowClipView() const;
    bool isInFullScreen() const { return m_inFullScreen; }
    QRectF nonFullscreenFrame() const { return m_nonFullscreenFrame; }

    // The drawing's active layer, or null.
    pf::Ref<PWLayer> activeLayer() const;
    // The active layer holds selected objects that can be edited.
    bool hasValidSelection() const;

    // Notification handlers.
    void viewScaleDidChange(const pf::Notification& notification);
    void toolbarWillAddItem(const pf::Notification& notification);
    void toolbarDidRemoveItem(const pf::Notification& notification);

    // VNQLTabViewDelegate
    void tabViewDidAddTab(VNQLTabView* tabView, VNQLTabContentView* tab, int index) override;
    void tabViewDidMoveTab(VNQLTabView* tabView, VNQLTabContentView* tab, int toIndex) override;
    void tabViewDidBecomeEmpty(VNQLTabView* tabView) override;
    void tabViewDidChangeInterfaceState(VNQLTabView* tabView) override;
    // RVSplitViewControllerDelegate
    void splitViewControllerDidCollapseItem(RVSplitViewController& controller, RVSplitViewItem& item) override;
    void splitViewControllerDidUncollapseItem(RVSplitViewController& controller, RVSplitViewItem& item) override;
    void splitViewControllerDidChangeItem(RVSplitViewController& controller, RVSplitViewItem& item) override;
    // VNQLDocumentWindowDelegate
    void windowDidBecomeMain(VNQLDocumentWindow& window) override;
    void windowWillClose(VNQLDocumentWindow& window) override;
    void windowWillEnterFullScreen(VNQLDocumentWindow& window) override;
    void windowWillExitFullScreen(VNQLDocumentWindow& window) override;
    QRectF windowWillUseStandardFrame(VNQLDocumentWindow& window, const QRectF& defaultFrame) override;
    bool windowShouldZoom(VNQLDocumentWindow& window, const QRectF& frame) override;
    // Temporary library --------------------------------------------------------------------------
    // The document's styles and symbol masters shown read-only in the library's "OPEN
    // DOCUMENTS" group. Made when the document gets a file or a window (once: later calls add
    // what the library lacks), removed when the document closes. Main thread only: a call from
    // elsewhere is carried out on the main thread.
    void makeTemporaryDocumentLibrary();
    pf::Ref<PWXLibrary> library() const { return m_library; }
    void setLibrary(const pf::Ref<PWXLibrary>& library) { m_library = library; }
    void updateTemporaryDocumentLibraryWithItems(const QList<pf::Ref<pf::Object>>& objects);
    QList<pf::Ref<PWStyle>> allStyles() const;
    QList<pf::Ref<pf::Object>> allSymbolMasters() const;
    QList<pf::Ref<pf::Object>> allLibraryObjects() const;
    // A library style replaced another: the drawing uses the new one, and the temporary
    // library forgets the old one.
    void styleSubstitutionNotification(const pf::Notification& notification);
    // Replaces the document's styles by the library's styles of the same unique keys.
    void remergeStyles(const QList<pf::Ref<PWStyle>>& styles, const QUrl& url);
    // Takes the temporary library out of the libraries; harmless when called again.
    void removeTemporaryDocumentLibrary();
    void close() override;

    // Tracing the selected image (RVCartavelDocument+Vectorizing.cpp) ---------------------------------
    // Shows the tracing options sheet (made once per document) on the document's window.
    void vectorizeImageSelection(const QVariant& sender);
    // The single selected object of the active object layer, when it is an image shape.
    pf::Ref<PWImageShape> vectorizingImageShape() const;
    QImage vectorizingSourceImage() override;
    QVariantMap vectorizingOptions() override;
    // Makes the parameters the class-wide ones and replaces the image by its tracing (undoable
    // "Vectorize"); nothing without a single selected image shape.
    void vectorizeWithOptions(const QVariantMap& options) override;
    pf::Ref<CVLVectorizingOptionsController> vectorizingController() const { return m_vectorizingController; }

    // File-opening progress --------------------------------------------------------------------------
    void setUpFileOpeningProgress(const QByteArray& data, const QString& name);
    void startFileOpenProgress(const pf::Notification& notification);
    QString fileOpenName() const;
    void setFileOpenName(const QString& name);
    pf::Ref<RVProgressViewController> fileOpenProgress() const;
    void setFileOpenProgress(const pf::Ref<RVProgressViewController>& progress);
    // Ends the file-opening progress view, if any; harmless when called again.
    void endFileOpenProgress();
    // Seconds the last opening took to decode.
    double timeToOpenFile() const;

private:
    struct ReadOutcome;
    bool readPackage(const pf::FileWrapper& wrapper, const QString& type, pf::Error* error);
    // The folder of the file readFromURL is reading, empty otherwise.
    QString m_readingFolder;
    bool readForeignFile(const pf::FileWrapper& wrapper, const QString& type, pf::Error* error);
    void readAuxiliaryEntry(const pf::FileWrapper& entry);
    void readWindowEntry(const pf::FileWrapper* entry);
    void readExportSettingsEntry(const pf::FileWrapper& entry);
    // Drops the file URL the controller gave before reading: the source is not our package.
    void becomeUntitledCopy();
    void stopObservingFileOpening();
    pf::FileWrapperRef buildPackage(const QString& type, pf::Error* error);
    pf::UndoManager* undoManagerOrNull() const { return ownUndoManager(); }

    // The save panel the document's accessory view belongs to.
    std::weak_ptr<pf::SavePanel> m_savePanel;
    bool m_saveXML = false;
    bool m_savePreview = false;
    double m_prescale = 1.0;
    bool m_paperMarginsShouldBeShown = false;
    int m_unitDisplayOption = 0;
    pf::Ref<PWXMapScale> m_mapScale;
    pf::Ref<VNQLExportOperation> m_exportOperation;
    QVariantMap m_windowRestorationState;

    // The document window (RVCartavelDocument+Window.cpp).
    // A sidebar state keeping only the tabs a sidebar can hold, with the selection, options and
    // alignment made usable; empty when no tab is left.
    static QVariantMap sanitisedSidebarState(const QVariant& state);
    void addDefaultTabs();
    void applyDrawingToTabControllers();
    void setSidebarCollapsed(int index, bool collapsed);
    void observeWindowNotifications();
    void stopObservingWindowNotifications();
    void detachWindow();
    QPointer<VNQLDocumentWindow> m_window;
    QPointer<pf::SplitView> m_splitView;
    QPointer<VNQLTabView> m_sidebarTabView;
    QPointer<VNQLTabView> m_rightHandSidebarTabView;
    QPointer<PWDrawingScrollArea> m_scrollView;
    QPointer<RVShadowClipView> m_shadowClipView;
    QPointer<pf::SegmentedControl> m_sidebarToolbarSegmentedControl;
    QPointer<pf::SegmentedControl> m_snappingToolbarSegmentedControl;
    QPointer<pf::PopUpButton> m_zoomScaleInfo;
    pf::Ref<pf::Toolbar> m_toolbar;
    pf::Ref<RVSplitViewController> m_splitViewController;
    pf::Ref<CVLMouseLocationController> m_mouser;
    quint64 m_preferenceSaveRequest = 0;
    QList<quint64> m_windowObservations;
    bool m_isInitiallyPlacingWindow = false;
    bool m_inFullScreen = false;
    bool m_cleanedUp = false;
    QRectF m_nonFullscreenFrame;
    QList<quint64> m_drawingObservations;

    // Editing commands and drawing set-up.
    void observeCommandNotifications();
    QVariantMap drawingSettings(bool withImage);
    void validateCommand(pf::UserInterfaceItem& item, bool isMenuItem, bool* handled, bool* enabled);
    QPointer<QWidget> m_undoHistoryWindow;
    pf::Ref<RVLinearDuplicateController> m_linearDuplicateController;
    pf::Ref<RVPolarDuplicateController> m_polarDuplicateController;
    pf::Ref<CVLParallelDuplicateController> m_parallelDuplicateController;
    QList<pf::Ref<PWDrawableObject>> m_geometrySelection;
    pf::Weak<pf::Object> m_layersController;
    // Sends a layer command to the layers panel when it takes it, showing the panel first.
    void forwardToLayersController(const QString& query, const QString& action, const QVariant& sender);
    void performIfAnswered(const QString& selector, const QVariantList& arguments);
    QVariantMap m_drawingSetUpOriginal;
    bool m_gridLockedBeforeSetUp = true;
    pf::Ref<CVLDrawingGridController> m_drawingGridController;
    std::shared_ptr<CVLDrawingGridControllerDelegate> m_drawingSetUpDelegate;
    pf::Weak<VNQLExportController> m_exportController;

    // File opening, guarded by m_openingMutex (reading may run on a worker thread).
    mutable std::mutex m_openingMutex;
    QString m_fileOpenName;
    QByteArray m_progressData;
    bool m_hasProgressData = false;
    double m_timeToOpenFile = 0.0;
    pf::Ref<RVProgressViewController> m_fileOpenProgress;
    quint64 m_dearchivingObservation = 0;

    pf::Ref<PWXLibrary> m_library;
    quint64 m_substitutionObservation = 0;

    pf::Ref<CVLVectorizingOptionsController> m_vectorizingController;
};
