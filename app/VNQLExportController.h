#pragma once

#include "inspectors/VNQLObjectControllerDataSource.h"
#include "platform/foundation/Error.h"
#include "platform/ui/WindowController.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QUrl>

#include <optional>

class PWDrawing;
class VNQLExportControllerDelegate;
class VNQLExportOperation;
class VNQLExportOperationController;

// The export sheet on a document window: it edits a copy of the document's export operation
// (source, format, resolution, scale, quality, colour space, names and folder), lists the
// sources in a table whose rows can be switched on or off, and on Export asks its delegate,
// writes the files, reveals them, and reports a failure in an alert.
class VNQLExportController : public pf::WindowController, public VNQLObjectControllerDataSource {
    PF_CLASS(VNQLExportController)
public:
    // Bounds of the values taken from the controls.
    static constexpr double kMinimumDpi = 1.0;
    static constexpr double kMaximumDpi = 2400.0;
    static constexpr double kMinimumScale = 0.01;
    static constexpr double kMaximumScale = 100.0;
    static inline const QString kErrorMessage = QStringLiteral("The Export could not be completed because an error occurred.");

    static pf::Ref<VNQLExportController> exportController();
    static QUrl defaultExportLocation();

    VNQLExportController();
    ~VNQLExportController() override;

    VNQLExportControllerDelegate* delegate() const { return m_delegate; }
    void setDelegate(VNQLExportControllerDelegate* delegate) { m_delegate = delegate; }
    pf::Ref<VNQLExportOperation> exportOperation() const { return m_operation; }
    // Keeps a copy of `operation`.
    void setExportOperation(const pf::Ref<VNQLExportOperation>& operation);
    VNQLExportOperationController* objectController() const { return m_tramp.get(); }

    // Shows the sheet on `parent` (or as a modal window without one); the controller keeps
    // itself alive until the sheet's completion has run.
    void beginSheetExportOperation(const pf::Ref<VNQLExportOperation>& operation, QWidget* parent);
    // The end of the sheet: 1 exports, 0 cancels. Answers whether files were written.
    bool sheetDidEnd(int returnCode);
    // The last export failure shown in the alert.
    pf::Error lastError() const { return m_lastError; }
    // The texts the failure alert shows for `error`.
    static QString informativeTextForError(const pf::Error& error);

    QList<pf::Ref<pf::Object>> selectedContentForObjectController(VNQLGenericObjectController* controller) override;

    // Actions.
    void exportAction(const QVariant& sender = {});
    void cancelAction(const QVariant& sender = {});
    void exportHelpAction(const QVariant& sender = {});
    void exportSourceTypeAction(int tag);
    void namingSchemeAction(int tag);
    void formatAction(const QVariant& sender = {});
    void dpiAction(const QVariant& sender = {});
    void qualityAction(const QVariant& sender = {});
    void scaleAction(const QVariant& sender = {});
    void transparentAction(const QVariant& sender = {});
    void fileNameRootAction(const QVariant& sender = {});
    void showInFinderOptionAction(const QVariant& sender = {});
    void overwriteExistingAction(const QVariant& sender = {});
    void firstIndexAction(const QVariant& sender = {});
    void colorspaceAction(const QVariant& sender = {});
    void pathToFolderAction(const QVariant& sender = {});
    // Sets the folder as the open panel does.
    void chooseFolder(const QUrl& folder);
    void showInFinderAction(const QVariant& sender = {});
    void activateLayerByName(const QVariant& sender = {});
    // 0 switches every source on, any other segment off.
    void allNoneAction(int segment);

    // Setters the object controller calls with the operation's values.
    void setFolderURL(const QVariant& value);
    void setDpi(const QVariant& value);
    void setQuality(const QVariant& value);
    void setScale(const QVariant& value);
    void setTransparent(const QVariant& value);
    void setFileNameRoot(const QVariant& value);
    void setFirstIndex(const QVariant& value);
    void setShowInFinder(const QVariant& value);
    void setOverwriteExisting(const QVariant& value);
    void setColorspace(const QVariant& value);
    void setSources(const QVariant& value);
    void setSourceType(const QVariant& value);
    void setFormat(const QVariant& value);
    void setFileNamingOption(const QVariant& value);

    bool isBitmapFormat() const;
    void prepareSourcesTableForSourceType(int type);
    static QString keyPathForColumnIdentifier(const QString& identifier, int sourceType);
    QString stringWithExportSizeForSourceObject(const pf::Ref<pf::Object>& source) const;
    // The drawing's layers that print, and every object layer whether it prints or not.
    static QList<pf::Ref<pf::Object>> printableLayers(const PWDrawing& drawing);
    void activeLayerChanged();

    // Controls, for tests.
    QButtonGroup* sourceButtons() const { return m_sourceButtons; }
    QButtonGroup* namingButtons() const { return m_namingButtons; }
    QComboBox* formatPopUp() const { return m_format; }
    QComboBox* colorspacePopUp() const { return m_colorspace; }
    QComboBox* layersPopUp() const { return m_layers; }
    QDoubleSpinBox* dpiField() const { return m_dpi; }
    QDoubleSpinBox* qualityField() const { return m_quality; }
    QDoubleSpinBox* scaleField() const { return m_scale; }
    QCheckBox* transparentCheckbox() const { return m_transparent; }
    QLineEdit* fileNameRootField() const { return m_fileNameRoot; }
    QSpinBox* firstIndexField() const { return m_firstIndex; }
    QTableWidget* sourcesTable() const { return m_table; }
    QPushButton* exportButton() const { return m_export; }
    QCheckBox* showInFinderCheckbox() const { return m_showInFinder; }
    QCheckBox* overwriteCheckbox() const { return m_overwrite; }

    void loadWindow() override;
    void windowDidLoad() override;

private:
    void buildWindow();
    void takeValue(const QVariant& value, const QString& keyPath);
    void populateColorspacesMenu();
    void populateLayersActivationMenu();
    void updateActiveLayersControl();
    void reloadTable();
    void updateExportButton();
    void tableCellChanged(int row, int column);
    pf::Ref<PWDrawing> drawing() const;
    void setGridPrinting(bool printing);
    void restoreGridPrinting();
    void observeDrawing(const pf::Ref<PWDrawing>& drawing);

    VNQLExportControllerDelegate* m_delegate = nullptr;
    std::weak_ptr<void> m_delegateToken;
    pf::Ref<VNQLExportOperation> m_operation;
    pf::Ref<VNQLExportOperationController> m_tramp;
    quint64 m_activeLayerObservation = 0;
    std::optional<bool> m_gridPrintedBefore;
    bool m_reloadingTable = false;
    pf::Error m_lastError;
    QPointer<QWidget> m_parentWindow;

    QPointer<QButtonGroup> m_sourceButtons;
    QPointer<QButtonGroup> m_namingButtons;
    QPointer<QLabel> m_folderLabel;
    QPointer<QDoubleSpinBox> m_dpi;
    QPointer<QDoubleSpinBox> m_quality;
    QPointer<QDoubleSpinBox> m_scale;
    QPointer<QLineEdit> m_fileNameRoot;
    QPointer<QSpinBox> m_firstIndex;
    QPointer<QCheckBox> m_transparent;
    QPointer<QComboBox> m_colorspace;
    QPointer<QComboBox> m_format;
    QPointer<QComboBox> m_layers;
    QPointer<QTableWidget> m_table;
    QPointer<QCheckBox> m_showInFinder;
    QPointer<QCheckBox> m_overwrite;
    QPointer<QPushButton> m_export;
};
