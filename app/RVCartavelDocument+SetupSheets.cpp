// The document's drawing setup and export sheets.

#include "app/CVLDrawingGridController.h"
#include "app/CVLDrawingGridControllerDelegate.h"
#include "app/RVCartavelDocument.h"
#include "app/VNQLExportController.h"
#include "app/VNQLExportOperation.h"
#include "platform/ui/PrintInfo.h"

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

void RVCartavelDocument::openGridSettingsPanel(const QVariant&)
{
    if (!drawing())
        return;
    drawingGridController()->beginDialogWithParentWindow(windowForSheet(), m_drawingSetUpDelegate.get(), 1);
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
