// The document's drawing setup and export sheets.

#include "app/CVLDrawingGridController.h"
#include "app/CVLDrawingGridControllerDelegate.h"
#include "app/RVCartavelDocument.h"
#include "app/VNQLExportController.h"
#include "app/VNQLExportOperation.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWGridLayer.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "platform/ui/Alert.h"
#include "platform/ui/PrintInfo.h"

#include <QCoreApplication>

#include <cmath>

namespace {

// Hands the sheet's settings to the document; the document may go while the sheet is up.
class DocumentDrawingSetUpDelegate : public CVLDrawingGridControllerDelegate {
public:
    explicit DocumentDrawingSetUpDelegate(RVCartavelDocument& document)
        : m_document(&document), m_alive(document.livenessToken())
    {
    }

    std::optional<QVariantMap> dictionaryOfDrawingSettings() override
    {
        RVCartavelDocument* document = this->document();
        if (!document || !document->drawing())
            return std::nullopt;
        // The first request of a session starts it: its settings are what undo and cancel
        // go back to.
        if (!m_inSession) {
            m_inSession = true;
            return document->beginDrawingSetUp();
        }
        return document->dictionaryOfDrawingSettings();
    }
    bool performsDrawingSetUp() const override { return document() != nullptr; }
    void performDrawingSetUpWithOptions(const QVariantMap& settings, bool isPreviewOrCancel) override
    {
        if (RVCartavelDocument* document = this->document(); document && !settings.isEmpty())
            document->performDrawingSetUpWithOptions(settings, isPreviewOrCancel);
    }
    pf::Ref<pf::PrintInfo> printInfo() const override
    {
        RVCartavelDocument* document = this->document();
        return document ? document->printInfo() : nullptr;
    }
    void setPrintInfo(const pf::Ref<pf::PrintInfo>& info) override
    {
        if (RVCartavelDocument* document = this->document(); document && info)
            document->setPrintInfo(info);
    }
    void drawingSetUpDidEnd(int returnCode) override
    {
        m_inSession = false;
        if (RVCartavelDocument* document = this->document(); document && returnCode == 0)
            document->cancelDrawingSetUp();
    }

private:
    RVCartavelDocument* document() const { return m_alive.expired() ? nullptr : m_document; }

    RVCartavelDocument* m_document;
    std::weak_ptr<void> m_alive;
    bool m_inSession = false;
};

} // namespace

pf::Ref<CVLDrawingGridController> RVCartavelDocument::drawingGridController()
{
    if (!m_drawingGridController)
        m_drawingGridController = CVLDrawingGridController::drawingGridController();
    if (!m_drawingSetUpDelegate)
        m_drawingSetUpDelegate = std::make_shared<DocumentDrawingSetUpDelegate>(*this);
    return m_drawingGridController;
}

void RVCartavelDocument::openDrawingSizePanel(const QVariant&)
{
    if (!drawing())
        return;
    drawingGridController()->beginDialogWithParentWindow(windowForSheet(), m_drawingSetUpDelegate.get(), 0);
}

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("RVCartavelDocument", text);
}

} // namespace

void RVCartavelDocument::openGridSettingsPanel(const QVariant&)
{
    pf::Ref<PWDrawing> drawing = this->drawing();
    if (!drawing)
        return;
    if (drawing->gridLayer()) {
        drawingGridController()->beginDialogWithParentWindow(windowForSheet(), m_drawingSetUpDelegate.get(), 1);
        return;
    }
    // A drawing without graph paper (an opened picture, an imported file) is offered some
    // rather than a dialog with nothing to set.
    auto alert = std::make_shared<pf::Alert>();
    alert->setMessageText(tr("This drawing has no graph paper."));
    alert->setInformativeText(tr("Add graph paper to the drawing, then set it up?"));
    alert->addButton(tr("Add Graph Paper"));
    alert->addButton(tr("Cancel"));
    std::weak_ptr<void> alive = livenessToken();
    auto answered = [this, alive](int code) {
        if (alive.expired() || code != pf::kAlertFirstButtonReturn || !addGraphPaper())
            return;
        drawingGridController()->beginDialogWithParentWindow(windowForSheet(), m_drawingSetUpDelegate.get(), 1);
    };
    if (QWidget* window = windowForSheet())
        alert->beginSheetModal(window, answered);
    else
        answered(alert->runModal());
}

bool RVCartavelDocument::addGraphPaper()
{
    pf::Ref<PWDrawing> drawing = this->drawing();
    if (!drawing || drawing->gridLayer())
        return false;
    auto grid = std::make_shared<PWGridLayer>();
    grid->setLayerName(tr("Graph Paper"));
    // A span of one drawing unit, or of whole units near a centimetre when the unit is as
    // small as a point (drawings read from SVG files and pictures).
    const double perUnit = drawing->unitToPointsConversionFactor();
    const double centimetre = 72.0 / 2.54;
    const double span = perUnit > 0.0 && perUnit < centimetre / 2.0 ? std::round(centimetre / perUnit) : 1.0;
    grid->setSpan(span, grid->divisions(), grid->majors(), grid->rulerSteps());
    grid->setLocked(true);
    // Under everything, as new documents have it (the last layer is the bottom one); one undo
    // step.
    if (!drawing->insertLayer(grid, drawing->countOfLayers()))
        return false;
    if (RVUndoManager* undo = drawing->undoManager())
        undo->setActionName(tr("Add Graph Paper"));
    return true;
}

void RVCartavelDocument::exportAction(const QVariant&)
{
    showExportDialogWithPreferredSource(-1);
}

void RVCartavelDocument::showExportDialogWithPreferredSource(int sourceType)
{
    if (pf::Ref<VNQLExportController> showing = m_exportController.lock(); showing && showing->isWindowLoaded()
        && showing->window()->isVisible())
        return; // one export sheet at a time
    pf::Ref<VNQLExportOperation> operation = exportOperationForExport();
    if (sourceType != -1)
        operation->setSourceType(sourceType);
    pf::Ref<VNQLExportController> controller = VNQLExportController::exportController();
    controller->setDelegate(this);
    m_exportController = controller;
    controller->beginSheetExportOperation(operation, windowForSheet());
}

bool RVCartavelDocument::exportControllerWillExportWithOperation(VNQLExportController&,
                                                                 const pf::Ref<VNQLExportOperation>& operation)
{
    if (operation)
        setExportOperation(operation);
    return true;
}
