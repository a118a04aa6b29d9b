#pragma once

#include "frameworks/penwork/document/PWDrawingDocument.h"
#include "widgets/RVBasicDialogControllerDelegate.h"

#include <QRectF>
#include <QSizeF>
#include <QStringList>
#include <QUrl>
#include <QVariantMap>

#include <mutex>

class PWStyle;
class PWXLibrary;
class PWXMapScale;
class RVProgressViewController;
class RVUnitLength;
class VNQLExportOperation;

namespace pf {
class DocumentController;
struct Notification;
class SavePanel;
}

// The program's document: one drawing with its map scale, print info, unit display option,
// export settings and window state, saved as a package (a folder with the extension "qlry").
// The same reader takes packages of the related map type, flat drawing files, SVG files and
// bitmap images; everything that is not our own package opens untitled, so saving never writes
// a package over the user's picture, map or drawing file.
class RVCartavelDocument : public PWDrawingDocument, public RVBasicDialogControllerDelegate {
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
    // The end of the templates save panel: OK saves the copy under the chosen name.
    void savePanelDidEnd(const pf::SavePanel& panel, int returnCode);
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
    bool layersSidebarVisible() const { return false; }

    pf::Ref<PWXMapScale> mapScale() const { return m_mapScale; }
    // Undoable; posts the will- and did-change notifications.
    void setMapScale(const pf::Ref<PWXMapScale>& scale);
    int unitDisplayOption() const { return m_unitDisplayOption; }
    void setUnitDisplayOption(int option);

    pf::Ref<VNQLExportOperation> exportOperation() const { return m_exportOperation; }
    void setExportOperation(const pf::Ref<VNQLExportOperation>& operation);
    // The document's export settings, made for its drawing on first use.
    pf::Ref<VNQLExportOperation> exportOperationForExport();
    // Exports with the current settings; errors are presented.
    void exportAction(const QVariant& sender);

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
    QList<quint64> m_drawingObservations;

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
};
