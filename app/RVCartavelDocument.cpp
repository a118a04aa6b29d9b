#include "app/RVCartavelDocument.h"

#include "app/CVLDearchivingHelper.h"
#include "app/PWXMapScale.h"
#include "app/PWXMeasurement.h"
#include "app/VNQLDrawingWindowController.h"
#include "app/VNQLExportOperation.h"
#include "app/CVLMouseLocationController.h"
#include "browsers/RVFolderEnumerator.h"
#include "browsers/RVLimitedSavePanel.h"
#include "frameworks/penwork/view/PWDrawingScrollArea.h"
#include "frameworks/penwork/view/PWDrawingView.h"
#include "inspectors/VNQLTabView.h"
#include "platform/ui/PopUpButton.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/SplitView.h"
#include "platform/ui/Toolbar.h"
#include "platform/ui/Window.h"
#include "widgets/RVShadowClipView.h"
#include "widgets/RVSplitViewController.h"
#include "drawing/PWDrawing+SlicesLayer.h"
#include "drawing/PWLayerGroup+Symbols.h"
#include "drawing/PWXSymbol.h"
#include "drawing/PWXSymbolMaster.h"
#include "drawing/VNQLSlicesLayer.h"
#include "frameworks/measurement/RVUnitLength.h"
#include "frameworks/penwork/archiving/PWClassObject.h"
#include "frameworks/penwork/archiving/PWDrawingArchiving.h"
#include "frameworks/penwork/layers/PWGridLayer.h"
#include "frameworks/penwork/layers/PWGuideLayer.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/support/RVLog.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "frameworks/penwork/svg/PWSVGImporter.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/view/PWRulerView.h"
#include "library/PWXLibrary.h"
#include "library/PWXLibraryItem.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/KeyedUnarchiver.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UndoManager.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/foundation/Variant.h"
#include "platform/ui/Alert.h"
#include "platform/ui/Application.h"
#include "platform/ui/Bundle.h"
#include "platform/ui/Button.h"
#include "platform/ui/DocumentController.h"
#include "platform/ui/PrintInfo.h"
#include "platform/ui/SavePanel.h"
#include "platform/ui/Sheet.h"
#include "platform/ui/WindowController.h"
#include "platform/ui/Workspace.h"
#include "widgets/FileManager+FindFolder.h"
#include "widgets/RVBasicDialogController.h"
#include "widgets/RVProgressController.h"
#include "widgets/RVProgressViewController.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QHBoxLayout>

#include <chrono>
#include <cmath>
#include <exception>

PF_DEFINE_CLASS(RVCartavelDocument, PWDrawingDocument)
{
    b.method("saveXMLAction:", &RVCartavelDocument::saveXMLAction);
    b.method("shareDocumentAction:", &RVCartavelDocument::shareDocumentAction);
    b.method("savePreviewAction:", &RVCartavelDocument::savePreviewAction);
    b.method("saveCopyAsTemplateAction:", &RVCartavelDocument::saveCopyAsTemplateAction);
    b.method("saveTemplateAction:", &RVCartavelDocument::saveTemplateAction);
    b.method("vectorizeImageSelection:", &RVCartavelDocument::vectorizeImageSelection);
    b.method("exportAction:", &RVCartavelDocument::exportAction);
    b.method("openDrawingSizePanel:", &RVCartavelDocument::openDrawingSizePanel);
    b.method("openGridSettingsPanel:", &RVCartavelDocument::openGridSettingsPanel);
    b.method("showExportDialogWithPreferredSource:", [](RVCartavelDocument& document, const QVariantList& arguments) {
        document.showExportDialogWithPreferredSource(arguments.value(0, -1).toInt());
        return QVariant();
    });
    b.method("selectTextTabAction:", &RVCartavelDocument::selectTextTabAction);
    b.method("selectLayersTabAction:", &RVCartavelDocument::selectLayersTabAction);
    b.method("selectGeometryTabAction:", &RVCartavelDocument::selectGeometryTabAction);
    b.method("selectStyleTabAction:", &RVCartavelDocument::selectStyleTabAction);
    b.method("selectAttributesTabAction:", &RVCartavelDocument::selectAttributesTabAction);
    b.method("toggleSidebarsAction:", &RVCartavelDocument::toggleSidebarsAction);
    b.method("toggleLeftSidebarAction:", &RVCartavelDocument::toggleLeftSidebarAction);
    b.method("toggleRightSidebarAction:", &RVCartavelDocument::toggleRightSidebarAction);
    b.method("toggleLayersListVisible:", &RVCartavelDocument::toggleLayersListVisible);
    b.method("performZoom:", &RVCartavelDocument::performZoom);
    b.method("zoomIn:", &RVCartavelDocument::zoomIn);
    b.method("zoomOut:", &RVCartavelDocument::zoomOut);
    b.method("zoomToActualSize:", &RVCartavelDocument::zoomToActualSize);
    b.method("zoomFitInWindow:", &RVCartavelDocument::zoomFitInWindow);
    b.method("group:", &RVCartavelDocument::group);
    b.method("ungroup:", &RVCartavelDocument::ungroup);
    b.method("toggleFullScreen:", &RVCartavelDocument::toggleFullScreen);
    b.property("layersSidebarVisible", &RVCartavelDocument::layersSidebarVisible, &RVCartavelDocument::setLayersSidebarVisible);
    b.property("mapScale", &RVCartavelDocument::mapScale, &RVCartavelDocument::setMapScale);
    b.property("unitDisplayOption", &RVCartavelDocument::unitDisplayOption, &RVCartavelDocument::setUnitDisplayOption);
    b.property("prescale", &RVCartavelDocument::prescale, &RVCartavelDocument::setPrescale);
    b.property("savesXML", &RVCartavelDocument::savesXML);
    b.property("savesPreview", &RVCartavelDocument::savesPreview, &RVCartavelDocument::setSavesPreview);
    RVCartavelDocument::registerCommandActions(b);
}

namespace {

// The default page: 64 cm by 48 cm.
const QSizeF kFallbackDrawingSize(1814.1732283464569, 1360.6299212598428);
bool g_defaultQualityModulation = false;

QString tr(const char* text)
{
    return QCoreApplication::translate("RVCartavelDocument", text);
}

double secondsNow()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

pf::Error cartavelError(int code, const QVariantMap& info = {})
{
    return pf::Error(RVCartavelDocument::kErrorDomain, code, info);
}

// Runs `work` on the main thread and waits: the document's model is a main-thread object, so
// a read on a worker thread installs what it decoded there.
void onMainThread(const std::function<void()>& work)
{
    if (pf::RunLoop::isMainThread() || !QCoreApplication::instance()) {
        work();
        return;
    }
    QMetaObject::invokeMethod(QCoreApplication::instance(), work, Qt::BlockingQueuedConnection);
}

QString sizeString(const QSizeF& size)
{
    return QStringLiteral("{%1, %2}").arg(size.width(), 0, 'g', 17).arg(size.height(), 0, 'g', 17);
}

QSizeF sizeFromString(const QString& text)
{
    QString inner = text.trimmed();
    inner.remove(QLatin1Char('{')).remove(QLatin1Char('}'));
    const QStringList parts = inner.split(QLatin1Char(','));
    if (parts.size() != 2)
        return {};
    bool okW = false;
    bool okH = false;
    const double w = parts[0].trimmed().toDouble(&okW);
    const double h = parts[1].trimmed().toDouble(&okH);
    if (!okW || !okH || !std::isfinite(w) || !std::isfinite(h) || w < 0 || h < 0)
        return {};
    return QSizeF(w, h);
}

// A whole path, "~" expanded and cleaned, as a list of components for comparison.
QStringList pathComponents(const QString& path)
{
    QString expanded = path;
    if (expanded == QStringLiteral("~") || expanded.startsWith(QStringLiteral("~/")))
        expanded.replace(0, 1, QDir::homePath());
    return QDir::cleanPath(expanded).split(QLatin1Char('/'), Qt::SkipEmptyParts);
}

// Whether `path` lies inside `folder` (or is it), comparing whole components without regard to
// letter case.
bool pathLiesInside(const QString& path, const QString& folder)
{
    const QStringList inner = pathComponents(path);
    const QStringList outer = pathComponents(folder);
    if (outer.isEmpty() || inner.size() < outer.size())
        return false;
    for (int i = 0; i < outer.size(); ++i)
        if (inner[i].compare(outer[i], Qt::CaseInsensitive) != 0)
            return false;
    return true;
}

// A boolean or number; anything else counts as missing.
std::optional<QVariant> numberValue(const QVariantMap& map, const QString& key)
{
    const QVariant value = map.value(key);
    if (!pf::isNumber(value))
        return std::nullopt;
    return value;
}

QByteArray serialisedPlist(const QVariant& value, pf::Error* error)
{
    return pf::PropertyList::data(value, pf::PropertyListFormat::XML, error);
}

} // namespace

// --- Construction -------------------------------------------------------------------------------

RVCartavelDocument::RVCartavelDocument()
{
    registerRulerUnits();
    observeCommandNotifications();
}

void RVCartavelDocument::registerRulerUnits()
{
    static std::once_flag once;
    std::call_once(once, [] {
        PWRulerView::registerUnit(PWXMeasurement::unitsStringForMeasure(PWXMeasurement::kImperialSystem, 1),
                                  PWXMeasurement::abbreviationForMeasure(PWXMeasurement::kImperialSystem, 1), 72.0,
                                  {2.0}, {0.5});
        PWRulerView::registerUnit(PWXMeasurement::unitsStringForMeasure(PWXMeasurement::kMetricSystem, 10),
                                  PWXMeasurement::abbreviationForMeasure(PWXMeasurement::kMetricSystem, 10),
                                  28.346456692913, {2.0}, {0.5, 0.2});
    });
}

RVCartavelDocument::~RVCartavelDocument()
{
    removeTemporaryDocumentLibrary();
    stopObservingFileOpening();
    auto& center = pf::NotificationCenter::defaultCenter();
    for (quint64 token : m_drawingObservations)
        center.removeObserver(token);
    if (m_fileOpenProgress)
        m_fileOpenProgress->endProgress();
    detachWindow();
}

QStringList RVCartavelDocument::fileTypesForcingUntitledDocument()
{
    return {QStringLiteral("svg"), QStringLiteral("svgb"), QStringLiteral("jpg"), QStringLiteral("jpeg"),
            QStringLiteral("gif"), QStringLiteral("tif"), QStringLiteral("tiff"), QStringLiteral("png")};
}

bool RVCartavelDocument::isPackageType(const QString& type)
{
    return type == kNativeType || type == kMapType || type == nativeFileExtension();
}

void RVCartavelDocument::registerDocumentTypes(pf::DocumentController& controller)
{
    const QString documentClass = staticClass().name();
    controller.registerDocumentType({kNativeType, {nativeFileExtension()}, pf::DocumentTypeRole::Editor, documentClass, true});
    controller.registerDocumentType({kMapType, {kMapExtension}, pf::DocumentTypeRole::Viewer, documentClass, true});
    controller.registerDocumentType({kPWDrawingDocumentType, {QStringLiteral("drawing")}, pf::DocumentTypeRole::Viewer,
                                     documentClass, false});
    controller.registerDocumentType({kSVGType, {QStringLiteral("svg"), QStringLiteral("svgb")}, pf::DocumentTypeRole::Viewer,
                                     documentClass, false});
    controller.registerDocumentType({kImageType,
                                     {QStringLiteral("png"), QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("gif"),
                                      QStringLiteral("tif"), QStringLiteral("tiff"), QStringLiteral("bmp")},
                                     pf::DocumentTypeRole::Viewer, documentClass, false});
    pf::FileManager::registerPackageExtension(nativeFileExtension());
    pf::FileManager::registerPackageExtension(kMapExtension);
}

bool RVCartavelDocument::initWithType(const QString& type, pf::Error* error)
{
    if (type != kNativeType && type != kMapType)
        return pf::fail(error, cartavelError(kErrorException));
    if (!PWDrawingDocument::initWithType(type, error))
        return false;
    prepareUsingDefaultSettings();
    if (pf::Ref<PWDrawing> drawing = this->drawing()) {
        pf::UndoRegistrationDisabled noUndo(undoManagerOrNull());
        drawing->setMargins(0, 0, 0, 0);
    }
    return true;
}

// --- Class-wide settings --------------------------------------------------------------------------

int RVCartavelDocument::defaultUnitDisplayOption()
{
    return int(pf::UserDefaults::standard().integerForKey(kDefaultUnitDisplayOptionDefault));
}

void RVCartavelDocument::setDefaultUnitDisplayOption(int option)
{
    pf::UserDefaults::standard().setInteger(option, kDefaultUnitDisplayOptionDefault);
}

bool RVCartavelDocument::defaultPaperMarginsVisible()
{
    return pf::UserDefaults::standard().boolForKey(kDefaultPaperMarginsVisibleDefault);
}

void RVCartavelDocument::setDefaultPaperMarginsVisible(bool visible)
{
    pf::UserDefaults::standard().setBool(visible, kDefaultPaperMarginsVisibleDefault);
}

QSizeF RVCartavelDocument::defaultDrawingSize()
{
    const QSizeF stored = sizeFromString(pf::UserDefaults::standard().stringForKey(kDefaultSizeDefault));
    return stored.isEmpty() ? kFallbackDrawingSize : stored;
}

void RVCartavelDocument::setDefaultDrawingSize(const QSizeF& size)
{
    pf::UserDefaults::standard().setObject(sizeString(size), kDefaultSizeDefault);
}

void RVCartavelDocument::setDefaultDrawingMargins(const QRectF& margins)
{
    pf::UserDefaults::standard().setObject(QStringLiteral("{{%1, %2}, {%3, %4}}")
                                               .arg(margins.x()).arg(margins.y())
                                               .arg(margins.width()).arg(margins.height()),
                                           kDefaultMarginsDefault);
}

pf::Ref<PWXMapScale> RVCartavelDocument::defaultDrawingScale()
{
    const QVariant stored = pf::UserDefaults::standard().objectForKey(kDefaultDrawingScaleDefault);
    if (stored.typeId() == QMetaType::QByteArray)
        if (auto scale = pf::KeyedUnarchiver::unarchiveObjectOfClass<PWXMapScale>(stored.toByteArray()))
            return scale;
    return PWXMapScale::defaultScale();
}

void RVCartavelDocument::setDefaultDrawingScale(const pf::Ref<PWXMapScale>& scale)
{
    if (!scale)
        return;
    pf::UserDefaults::standard().setObject(pf::KeyedArchiver::archivedData(scale), kDefaultDrawingScaleDefault);
}

pf::Ref<RVUnitLength> RVCartavelDocument::defaultDrawingUnits()
{
    const QVariant stored = pf::UserDefaults::standard().objectForKey(kDefaultDrawingUnitsDefault);
    if (stored.typeId() == QMetaType::QByteArray)
        if (auto units = pf::KeyedUnarchiver::unarchiveObjectOfClass<RVUnitLength>(stored.toByteArray()))
            return units;
    return RVUnitLength::centimeters();
}

void RVCartavelDocument::setDefaultDrawingUnits(const pf::Ref<RVUnitLength>& units)
{
    if (!units)
        return;
    pf::UserDefaults::standard().setObject(pf::KeyedArchiver::archivedData(units), kDefaultDrawingUnitsDefault);
}

double RVCartavelDocument::defaultPrescale()
{
    const double stored = pf::UserDefaults::standard().doubleForKey(kDefaultPrescaleDefault);
    return std::isfinite(stored) && stored > 0.0 ? stored : 1.0;
}

void RVCartavelDocument::setDefaultPrescale(double prescale)
{
    pf::UserDefaults::standard().setDouble(prescale, kDefaultPrescaleDefault);
}

QUrl RVCartavelDocument::defaultDocumentSaveURL()
{
    const QUrl stored = pf::UserDefaults::standard().URLForKey(kDefaultDocumentSavingURLDefault);
    if (stored.isLocalFile() && QFileInfo(stored.toLocalFile()).isDir())
        return stored;
    pf::Error error;
    const QString documents = pf::FileManager::defaultManager().URLForDirectory(
        pf::FileManager::SearchPath::Documents, {}, true, &error);
    if (documents.isEmpty()) {
        RVLog(kFileEvent, QStringLiteral("%1 unable to determine default document location. Error = %2")
                              .arg(QStringLiteral("RVCartavelDocument"), error.description()));
        return {};
    }
    return QUrl::fromLocalFile(documents);
}

void RVCartavelDocument::setDefaultDocumentSaveURL(const QUrl& url)
{
    pf::UserDefaults::standard().setURL(url, kDefaultDocumentSavingURLDefault);
}

bool RVCartavelDocument::defaultQualityModulation()
{
    return g_defaultQualityModulation;
}

void RVCartavelDocument::setDefaultQualityModulation(bool enabled)
{
    g_defaultQualityModulation = enabled;
    if (pf::DocumentController* controller = pf::DocumentController::sharedIfMade())
        for (const auto& document : controller->documents())
            if (auto* drawingDocument = dynamic_cast<PWDrawingDocument*>(document.get()))
                if (pf::Ref<PWDrawing> drawing = drawingDocument->drawing())
                    drawing->setDynamicQualityModulationEnabled(enabled);
}

// --- Defaults, drawing installation --------------------------------------------------------------

void RVCartavelDocument::prepareUsingDefaultSettings()
{
    pf::UndoRegistrationDisabled noUndo(undoManagerOrNull());
    setUnitDisplayOption(defaultUnitDisplayOption());
    pf::Ref<pf::PrintInfo> info;
    const QVariant stored = pf::UserDefaults::standard().objectForKey(kDefaultPrintInfoDefault);
    if (stored.typeId() == QMetaType::QByteArray)
        info = pf::KeyedUnarchiver::unarchiveObjectOfClass<pf::PrintInfo>(stored.toByteArray());
    if (!info)
        info = std::static_pointer_cast<pf::PrintInfo>(pf::PrintInfo::sharedPrintInfo()->copy());
    setPrintInfo(info);
    setMapScale(defaultDrawingScale());
    m_paperMarginsShouldBeShown = defaultPaperMarginsVisible();
    m_prescale = 1.0;
}

pf::Ref<PWDrawing> RVCartavelDocument::makeDefaultDrawing()
{
    pf::Ref<PWDrawing> drawing = PWDrawingDocument::makeDefaultDrawing();
    pf::UndoRegistrationDisabled noUndo(drawing->undoManager());
    drawing->setUnits(defaultDrawingUnits());
    drawing->setDrawingSize(defaultDrawingSize());
    const QRectF margins = defaultDrawingMargins();
    drawing->setMargins(margins.x(), margins.y(), margins.width(), margins.height());
    if (pf::Ref<PWGridLayer> grid = drawing->gridLayer()) {
        grid->setLayerName(tr("Graph Paper"));
        grid->setLocked(true);
    }
    if (pf::Ref<PWGuideLayer> guides = drawing->guideLayer()) {
        guides->setGuideDeletionRect(drawing->interior());
        guides->setSelectionColour(QColor(Qt::cyan));
    }
    drawing->addLayer(std::make_shared<VNQLSlicesLayer>());
    return drawing;
}

void RVCartavelDocument::setDrawing(const pf::Ref<PWDrawing>& drawing)
{
    // Without a drawing there is nothing to install, and the current one stays.
    if (!drawing)
        return;
    pf::UndoRegistrationDisabled noUndo(undoManagerOrNull());
    // Installing the drawing gives it the document's undo manager; its own must outlive the
    // guard that switched it off.
    pf::Ref<pf::Object> drawingUndo;
    if (drawing->undoManager())
        drawingUndo = drawing->undoManager()->ref();
    pf::UndoRegistrationDisabled noDrawingUndo(drawing->undoManager());
    pf::Ref<VNQLSlicesLayer> slices = slicesLayer(*drawing);
    if (!slices) {
        slices = std::make_shared<VNQLSlicesLayer>();
        drawing->addLayer(slices);
    }
    slices->setVisible(false);

    // The window's view is found through the drawing it shows: ask before it is replaced.
    PWDrawingView* view = mainView();
    PWDrawingDocument::setDrawing(drawing);
    drawing->setLayerName(displayName());
    drawing->setDynamicQualityModulationEnabled(defaultQualityModulation());
    drawing->setSelectionColour(QColor());
    // A drawing read again (Revert to Saved) shows in the open window too.
    if (view)
        view->setDrawing(drawing);
    applyDrawingToTabControllers();
}

void RVCartavelDocument::setDisplayName(const QString& name)
{
    PWDrawingDocument::setDisplayName(name);
    if (pf::Ref<PWDrawing> drawing = this->drawing()) {
        pf::UndoRegistrationDisabled noUndo(drawing->undoManager());
        drawing->setLayerName(displayName());
    }
}

QString RVCartavelDocument::documentStyleCategoryName() const
{
    return tr("From Opened Files");
}

const pf::Class& RVCartavelDocument::classOfDefaultDrawingLayer() const
{
    return PWObjectDrawingLayer::staticClass();
}

pf::Ref<RVCartavelDocument> RVCartavelDocument::documentWithDrawing(const pf::Ref<PWDrawing>& drawing, bool display)
{
    return documentWithDrawing(drawing, display, nullptr, QRectF());
}

pf::Ref<RVCartavelDocument> RVCartavelDocument::documentWithDrawing(const pf::Ref<PWDrawing>& drawing, bool display,
                                                                    RVCartavelDocument* originalDocument,
                                                                    const QRectF&)
{
    PF_ASSERT(drawing != nullptr, "invalid drawing, can't be nil");
    pf::DocumentController* controller = pf::DocumentController::shared();
    pf::Error error;
    auto document = std::dynamic_pointer_cast<RVCartavelDocument>(controller->makeUntitledDocumentOfType(kNativeType, &error));
    if (!document) {
        RVLog(kFileEvent, QStringLiteral("the document could not be created. error=%1").arg(error.description()));
        return nullptr;
    }
    document->setDrawing(drawing);
    document->setFileType(nativeFileExtension());
    document->updateChangeCount(pf::DocumentChangeType::Done);
    if (originalDocument && originalDocument->mapScale())
        document->setMapScale(std::static_pointer_cast<PWXMapScale>(originalDocument->mapScale()->copy()));
    controller->addDocument(document);
    if (display) {
        document->makeWindowControllers();
        document->showWindows();
    }
    return document;
}

// --- Map scale and units ---------------------------------------------------------------------------

void RVCartavelDocument::setMapScale(const pf::Ref<PWXMapScale>& scale)
{
    if (scale && m_mapScale && scale->isEqualToMapScale(m_mapScale.get()))
        return;
    pf::UndoManager* manager = undoManagerOrNull();
    if (manager) {
        const pf::Ref<PWXMapScale> previous = m_mapScale;
        manager->registerUndo(this, [this, previous] { setMapScale(previous); });
    }
    auto& center = pf::NotificationCenter::defaultCenter();
    center.post(kMapScaleWillChangeNotification, this);
    m_mapScale = scale;
    center.post(kMapScaleDidChangeNotification, this);
    if (manager && !manager->isUndoing() && !manager->isRedoing() && manager->isUndoRegistrationEnabled())
        manager->setActionName(tr("Change Map Scale"));
    RVLog(kStateEvent, QStringLiteral("set map scale = %1").arg(scale ? scale->description() : QStringLiteral("(nil)")));
}

void RVCartavelDocument::setUnitDisplayOption(int option)
{
    if (option == m_unitDisplayOption)
        return;
    m_unitDisplayOption = option;
    if (pf::Ref<PWDrawing> drawing = this->drawing())
        drawing->setNeedsDisplay(true);
    pf::NotificationCenter::defaultCenter().post(kDisplayUnitOptionsChangedNotification, this);
}

void RVCartavelDocument::setPrescale(double prescale)
{
    m_prescale = std::isfinite(prescale) && prescale > 0.0 ? prescale : 1.0;
}

QVariantMap RVCartavelDocument::documentAuxiliaryInfo() const
{
    QVariantMap info{
        {kPaperMarginsVisibleKey, paperMarginsVisible()},
        {kUnitDisplayOptionKey, m_unitDisplayOption},
        {kLayerSideBarVisibleKey, layersSidebarVisible()},
        {kMainContentIsXMLKey, m_saveXML},
        {kPrescaleKey, double(float(m_prescale))},
    };
    const QString version = pf::Bundle::main().objectForInfoDictionaryKey(QStringLiteral("CFBundleVersion")).toString();
    if (!version.isEmpty())
        info.insert(kVersionKey, version);
    return info;
}

void RVCartavelDocument::setDocumentAuxiliaryInfo(const QVariantMap& info)
{
    m_paperMarginsShouldBeShown = numberValue(info, kPaperMarginsVisibleKey).value_or(false).toBool();
    setUnitDisplayOption(int(numberValue(info, kUnitDisplayOptionKey).value_or(0).toLongLong()));
    m_saveXML = numberValue(info, kMainContentIsXMLKey).value_or(false).toBool();
    const double prescale = double(numberValue(info, kPrescaleKey).value_or(0.0).toFloat());
    m_prescale = std::isfinite(prescale) && prescale > 0.0 ? prescale : 1.0;
}

void RVCartavelDocument::saveXMLAction(const QVariant& sender)
{
    m_saveXML = pf::variantToBool(sender);
}

void RVCartavelDocument::savePreviewAction(const QVariant& sender)
{
    m_savePreview = pf::variantToBool(sender);
}

// --- Window state -----------------------------------------------------------------------------------

bool RVCartavelDocument::isValidWindowState(const QVariant& state)
{
    if (state.typeId() != QMetaType::QVariantMap)
        return false;
    const QVariantMap map = state.toMap();
    if (map.isEmpty())
        return false;
    for (const QString& key : {QStringLiteral("left_sidebar"), QStringLiteral("right_sidebar")}) {
        const QVariant side = map.value(key);
        if (side.typeId() != QMetaType::QVariantMap || side.toMap().isEmpty())
            return false;
    }
    if (map.contains(QStringLiteral("splits")) && map.value(QStringLiteral("splits")).typeId() != QMetaType::QVariantMap)
        return false;
    // A state the package cannot write back (a string with control characters, say, read from
    // a damaged binary entry) would be lost silently at the next save: it counts as damaged.
    return !serialisedPlist(map, nullptr).isEmpty();
}

void RVCartavelDocument::setWindowRestorationState(const QVariantMap& state)
{
    m_windowRestorationState = isValidWindowState(state) ? state : QVariantMap();
}

QVariantMap RVCartavelDocument::restorableStateInfo() const
{
    // Without a window (or before its tabs are made) the state read is carried through.
    if (!m_sidebarTabView || !m_rightHandSidebarTabView || !m_windowRestorationState.isEmpty())
        return m_windowRestorationState;
    QVariantMap state;
    const QVariantMap left = m_sidebarTabView->restorableStateInfo();
    if (!left.isEmpty())
        state.insert(kLeftSidebarIdentifier, left);
    const QVariantMap right = m_rightHandSidebarTabView->restorableStateInfo();
    if (!right.isEmpty())
        state.insert(kRightSidebarIdentifier, right);
    if (m_splitViewController) {
        const QVariantMap splits = m_splitViewController->restorableStateInfo();
        if (!splits.isEmpty())
            state.insert(kSplitsKey, splits);
    }
    return state;
}

void RVCartavelDocument::restoreStateFromPreference()
{
    setWindowRestorationState(pf::UserDefaults::standard().dictionaryForKey(kDefaultRestorableStateDefault));
}

// --- Export -----------------------------------------------------------------------------------------

void RVCartavelDocument::setExportOperation(const pf::Ref<VNQLExportOperation>& operation)
{
    m_exportOperation = operation;
}

pf::Ref<VNQLExportOperation> RVCartavelDocument::exportOperationForExport()
{
    if (!m_exportOperation)
        m_exportOperation = std::make_shared<VNQLExportOperation>();
    m_exportOperation->setDrawing(drawing());
    // A saved document's files are named after it until the user names them otherwise.
    const QString root = m_exportOperation->fileNameRoot();
    if (!fileURL().isEmpty() && (root.isEmpty() || root == VNQLExportOperation::kDefaultFileNameRoot))
        m_exportOperation->setFileNameRoot(VNQLExportOperation::safeFileNameComponent(QFileInfo(fileURL().toLocalFile()).completeBaseName()));
    return m_exportOperation;
}


// --- Reading ----------------------------------------------------------------------------------------

void RVCartavelDocument::setFileURL(const QUrl& url)
{
    if (fileTypesForcingUntitledDocument().contains(QFileInfo(url.path()).suffix().toLower()))
        return;
    PWDrawingDocument::setFileURL(url);
    nameDrawingAfterDocument();
    makeTemporaryDocumentLibrary();
}

void RVCartavelDocument::nameDrawingAfterDocument()
{
    // The drawing's row in the layers panel names the document as its window does: an
    // untitled copy of a template is "Untitled 3" there too, not the template.
    if (pf::Ref<PWDrawing> drawing = this->drawing(); drawing && drawing->layerName() != displayName()) {
        pf::UndoRegistrationDisabled noUndo(drawing->undoManager());
        drawing->setLayerName(displayName());
    }
}

void RVCartavelDocument::setFileType(const QString& type)
{
    // The extension some callers pass is the native type under another name.
    PWDrawingDocument::setFileType(type == nativeFileExtension() ? kNativeType : type);
}

void RVCartavelDocument::becomeUntitledCopy()
{
    PWDrawingDocument::setFileURL(QUrl());
    setFileType(kNativeType);
    nameDrawingAfterDocument();
}

void RVCartavelDocument::setUpFileOpeningProgress(const QByteArray& data, const QString& name)
{
    std::lock_guard lock(m_openingMutex);
    m_progressData = data;
    m_hasProgressData = true;
    m_fileOpenName = name;
    if (m_dearchivingObservation == 0) {
        std::weak_ptr<void> alive = livenessToken();
        m_dearchivingObservation = pf::NotificationCenter::defaultCenter().addObserver(
            kPWDrawingWillBeginDearchiving, PWClassObject::forClass(PWDrawing::staticClass()),
            [this, alive](const pf::Notification& notification) {
                if (!alive.expired())
                    startFileOpenProgress(notification);
            });
    }
}

void RVCartavelDocument::stopObservingFileOpening()
{
    quint64 token = 0;
    {
        std::lock_guard lock(m_openingMutex);
        token = m_dearchivingObservation;
        m_dearchivingObservation = 0;
    }
    if (token)
        pf::NotificationCenter::defaultCenter().removeObserver(token);
}

void RVCartavelDocument::startFileOpenProgress(const pf::Notification& notification)
{
    pf::Ref<CVLDearchivingHelper> helper;
    QString name;
    {
        std::lock_guard lock(m_openingMutex);
        RVLog(kFileEvent, QStringLiteral("will start progress of '%1'").arg(m_fileOpenName));
        const QByteArray data = notification.userInfo.value(QStringLiteral("Data")).toByteArray();
        // Another document's data: not ours to show.
        if (!m_hasProgressData || data.constData() != m_progressData.constData() || data.size() != m_progressData.size())
            return;
        m_timeToOpenFile = secondsNow();
        helper = pf::fromVariant<pf::Ref<CVLDearchivingHelper>>(notification.userInfo.value(QStringLiteral("Helper")));
        if (helper && notification.userInfo.value(QStringLiteral("NumberOfObjects")).toULongLong() == 0)
            helper->setTotalNumberOfObjects(kDefaultExpectedObjects);
        name = m_fileOpenName;
    }
    stopObservingFileOpening();
    if (!helper)
        return;
    // The view is asked for outside the lock: asking may wait for the main thread.
    pf::Ref<RVProgressViewController> view = helper->progress();
    if (!view) {
        view = RVProgressController::sharedProgress()->progressViewForDelegate(helper);
        helper->setProgress(view);
    }
    view->setPromptString(QStringLiteral("%1 \u201c%2\u201d").arg(tr("Opening File"), name));
    view->setTimeRemainingHidden(false);
    view->setIndeterminate(false);
    setFileOpenProgress(view);
}

QString RVCartavelDocument::fileOpenName() const
{
    std::lock_guard lock(m_openingMutex);
    return m_fileOpenName;
}

void RVCartavelDocument::setFileOpenName(const QString& name)
{
    std::lock_guard lock(m_openingMutex);
    m_fileOpenName = name;
}

pf::Ref<RVProgressViewController> RVCartavelDocument::fileOpenProgress() const
{
    std::lock_guard lock(m_openingMutex);
    return m_fileOpenProgress;
}

void RVCartavelDocument::setFileOpenProgress(const pf::Ref<RVProgressViewController>& progress)
{
    std::lock_guard lock(m_openingMutex);
    m_fileOpenProgress = progress;
}

void RVCartavelDocument::endFileOpenProgress()
{
    pf::Ref<RVProgressViewController> progress;
    {
        std::lock_guard lock(m_openingMutex);
        progress = std::move(m_fileOpenProgress);
    }
    if (progress)
        progress->endProgress();
}

double RVCartavelDocument::timeToOpenFile() const
{
    std::lock_guard lock(m_openingMutex);
    return m_timeToOpenFile;
}

// What the calling thread decoded, handed to the main thread to install.
struct RVCartavelDocument::ReadOutcome {
    pf::Ref<PWDrawing> drawing;
    pf::Error error;
    bool decoded = false;
    bool cancelled = false;
};

bool RVCartavelDocument::readFromFileWrapper(const pf::FileWrapper& wrapper, const QString& type, pf::Error* error)
{
    // Only the decoding of a drawing archive runs on the calling thread (it makes new objects
    // nobody else sees); every change of the document happens on the main thread.
    const bool package = isPackageType(type);
    const bool flatDrawing = wrapper.isRegularFile() && (package || type == kPWDrawingDocumentType);
    const pf::FileWrapper* content = nullptr;
    if (package && wrapper.isDirectory()) {
        const pf::FileWrapperRef entry = wrapper.fileWrappers().value(kContentEntry);
        if (entry && entry->isRegularFile())
            content = entry.get();
    }

    ReadOutcome outcome;
    pf::Error failure;
    bool excepted = false;
    std::exception_ptr passOn;
    auto noteException = [&](const pf::Exception& exception) {
        RVLog(kFileEvent, QStringLiteral("exception while reading file: %1").arg(exception.reason()));
        endFileOpenProgress();
        failure = cartavelError(kErrorException, {{kOriginalExceptionKey, QStringLiteral("%1: %2").arg(exception.name(), exception.reason())},
                                                  {pf::NSLocalizedDescriptionKey, exception.reason()}});
        excepted = true;
    };

    if (content || flatDrawing) {
        const QByteArray data = content ? content->regularFileContents() : wrapper.regularFileContents();
        try {
            if (content) {
                RVLog(kFileEvent, QStringLiteral("reading file '%1', viewing mode = %2").arg(wrapper.filename()).arg(0));
                setUpFileOpeningProgress(data, wrapper.filenameWithoutExtension());
            }
            auto helper = PWUnarchivingHelper::makeHelperForRead();
            outcome.drawing = PWDrawingArchiving::drawingWithData(data, helper, &outcome.error);
            outcome.decoded = true;
            outcome.cancelled = helper->isCancelled();
        } catch (const pf::Exception& exception) {
            noteException(exception);
        } catch (...) {
            passOn = std::current_exception();
        }
        if (content) {
            stopObservingFileOpening();
            std::lock_guard lock(m_openingMutex);
            m_timeToOpenFile = m_timeToOpenFile > 0.0 ? secondsNow() - m_timeToOpenFile : 0.0;
            m_progressData.clear();
            m_hasProgressData = false;
        }
        if (passOn)
            std::rethrow_exception(passOn);
        if (excepted)
            return pf::fail(error, failure);
    }

    bool ok = false;
    onMainThread([&] {
        pf::UndoRegistrationDisabled noUndo(undoManagerOrNull());
        try {
            if (package && wrapper.isDirectory()) {
                ok = readPackage(wrapper, type, &failure);
                if (outcome.decoded) {
                    if (outcome.drawing) {
                        setDrawing(outcome.drawing);
                        ok = true;
                        if (const pf::FileWrapperRef aux = wrapper.fileWrappers().value(kAuxiliaryEntry); aux && aux->isRegularFile())
                            readAuxiliaryEntry(*aux);
                        const pf::FileWrapperRef window = wrapper.fileWrappers().value(kWindowEntry);
                        readWindowEntry(window && window->isRegularFile() ? window.get() : nullptr);
                        if (const pf::FileWrapperRef settings = wrapper.fileWrappers().value(kExportSettingsEntry);
                            settings && settings->isRegularFile())
                            readExportSettingsEntry(*settings);
                    } else {
                        ok = false;
                        // A cancel the user asked for is not an error to show.
                        failure = outcome.cancelled ? pf::Error(pf::kPFFoundationErrorDomain, pf::kErrorCancelled, {})
                                                    : outcome.error;
                    }
                    if (!m_mapScale)
                        prepareUsingDefaultSettings();
                    // Only our own packages keep their file; a map package opens as a copy.
                    if (ok && type == kMapType)
                        becomeUntitledCopy();
                }
            } else if (flatDrawing) {
                if (package)
                    RVLog(kFileEvent, QStringLiteral("unexpected flat file (%1) with typeName '%2' - will attempt to read as a .drawing")
                                          .arg(wrapper.filename(), type));
                ok = outcome.drawing != nullptr;
                if (ok) {
                    setDrawing(outcome.drawing);
                    prepareUsingDefaultSettings();
                    becomeUntitledCopy();
                } else {
                    failure = outcome.error;
                }
            } else {
                ok = readForeignFile(wrapper, type, &failure);
            }
        } catch (const pf::Exception& exception) {
            noteException(exception);
            ok = false;
        } catch (...) {
            passOn = std::current_exception();
            ok = false;
        }
    });
    if (passOn)
        std::rethrow_exception(passOn);
    if (!ok && !failure.isNull())
        pf::fail(error, failure);
    return ok;
}

bool RVCartavelDocument::readFromURL(const QUrl& url, const QString& type, pf::Error* error)
{
    m_readingFolder = url.isLocalFile() ? QFileInfo(url.toLocalFile()).absolutePath() : QString();
    const bool ok = PWDrawingDocument::readFromURL(url, type, error);
    m_readingFolder.clear();
    return ok;
}

bool RVCartavelDocument::readPackage(const pf::FileWrapper& wrapper, const QString&, pf::Error*)
{
    // A package without its drawing is no document of ours; nothing to say beyond that.
    const pf::FileWrapperRef entry = wrapper.fileWrappers().value(kContentEntry);
    return entry && entry->isRegularFile();
}

bool RVCartavelDocument::readForeignFile(const pf::FileWrapper& wrapper, const QString& type, pf::Error*)
{
    if (!wrapper.isRegularFile())
        return false;
    const QString name = wrapper.filenameWithoutExtension();
    pf::Ref<PWDrawing> drawing;
    if (type == kSVGType) {
        drawing = PWSVGImporter::drawingWithSVGData(wrapper.regularFileContents(), m_readingFolder);
        if (!drawing)
            return false;
        if (!name.isEmpty())
            if (pf::Ref<PWLayer> layer = drawing->activeLayerOfClass(PWObjectDrawingLayer::staticClass()))
                layer->setLayerName(name);
    } else if (type == kImageType) {
        drawing = PWDrawing::drawingWithImageData(wrapper.regularFileContents(), name);
        if (!drawing)
            return false;
    } else {
        return false;
    }
    setDrawing(drawing);
    prepareUsingDefaultSettings();
    // Whatever its extension, the picture is the user's: the document is a new, untitled one.
    becomeUntitledCopy();
    return true;
}

void RVCartavelDocument::readAuxiliaryEntry(const pf::FileWrapper& entry)
{
    pf::Error error;
    pf::KeyedUnarchiver unarchiver(entry.regularFileContents(), &error);
    if (!unarchiver.isValid()) {
        RVLog(kFileEvent, QStringLiteral("auxiliary info could not be read, error = %1").arg(error.description()));
        return;
    }
    const QVariant rootValue = unarchiver.decodePropertyListValue(pf::KeyedArchiver::kRootKey);
    unarchiver.finishDecoding();
    if (rootValue.typeId() != QMetaType::QVariantMap) {
        RVLog(kFileEvent, "auxiliary info holds no dictionary; using the default settings");
        return;
    }
    const QVariantMap root = rootValue.toMap();
    // A value of the wrong kind counts as missing.
    setMapScale(pf::fromVariant<pf::Ref<PWXMapScale>>(root.value(kMapScaleKey)));
    if (auto info = pf::fromVariant<pf::Ref<pf::PrintInfo>>(root.value(kPrintInfoKey)))
        setPrintInfo(info);
    const QVariant docInfo = root.value(kDocInfoKey);
    setDocumentAuxiliaryInfo(docInfo.typeId() == QMetaType::QVariantMap ? docInfo.toMap() : QVariantMap());
}

void RVCartavelDocument::readWindowEntry(const pf::FileWrapper* entry)
{
    if (!entry) {
        restoreStateFromPreference();
        return;
    }
    pf::Error error;
    const QVariant state = pf::PropertyList::value(entry->regularFileContents(), nullptr, &error);
    setWindowRestorationState(state.toMap());
    // An empty state is what a window without sidebars writes: nothing to restore, no fault.
    const bool empty = state.typeId() == QMetaType::QVariantMap && state.toMap().isEmpty();
    if (m_windowRestorationState.isEmpty() && !empty)
        RVLog(kFileEvent, QStringLiteral("window restoration state could not be read, error = %1").arg(error.description()));
}

void RVCartavelDocument::readExportSettingsEntry(const pf::FileWrapper& entry)
{
    const QVariant state = pf::PropertyList::value(entry.regularFileContents());
    if (state.typeId() != QMetaType::QVariantMap)
        return;
    if (pf::Ref<VNQLExportOperation> operation = VNQLExportOperation::exportOperationWithRestorableStateInfo(state.toMap()))
        setExportOperation(operation);
}

// --- Writing ----------------------------------------------------------------------------------------

bool RVCartavelDocument::canAsynchronouslyWriteToURL(const QUrl& url, const QString& type, pf::SaveOperation operation) const
{
    RVLog(kFileEvent, QStringLiteral("url=%1, type=%2, saveop=%3").arg(url.toString(), type).arg(int(operation)));
    return true;
}

pf::FileWrapperRef RVCartavelDocument::fileWrapperOfType(const QString& type, pf::Error* error)
{
    pf::FileWrapperRef result;
    try {
        result = type == kPWDrawingDocumentType ? PWDrawingDocument::fileWrapperOfType(type, error) : buildPackage(type, error);
    } catch (const pf::Exception& exception) {
        pf::fail(error, cartavelError(kErrorException, {{QStringLiteral("exception"), QStringLiteral("%1: %2").arg(exception.name(), exception.reason())},
                                                        {pf::NSLocalizedDescriptionKey, exception.reason()}}));
        result = nullptr;
    }
    unblockUserInteraction();
    return result;
}

pf::FileWrapperRef RVCartavelDocument::buildPackage(const QString& type, pf::Error* error)
{
    RVLog(kFileEvent, QStringLiteral("preparing file wrapper, type = %1, doc name = %2").arg(type, displayName()));
    // Every entry is made in memory before anything is written: a failure here touches no file.
    const QByteArray content = dataOfType(m_saveXML ? kPWDrawingDocumentXMLType : kPWDrawingDocumentType, nullptr);
    if (content.isEmpty()) {
        pf::fail(error, cartavelError(kErrorNoDrawingData));
        return nullptr;
    }
    pf::FileWrapperRef package = pf::FileWrapper::directory();
    package->addRegularFile(content, kContentEntry);

    pf::Ref<PWDrawing> drawing = this->drawing();
    const QVariantMap drawingInfo = drawing->drawingInfo();
    if (!drawingInfo.isEmpty()) {
        const QByteArray info = serialisedPlist(drawingInfo, nullptr);
        if (!info.isEmpty())
            package->addRegularFile(info, kInfoEntry);
    }

    QVariantMap root;
    if (m_mapScale)
        root.insert(kMapScaleKey, pf::toVariant(m_mapScale));
    if (pf::Ref<pf::PrintInfo> info = printInfo())
        root.insert(kPrintInfoKey, pf::toVariant(info));
    root.insert(kDocInfoKey, documentAuxiliaryInfo());
    pf::KeyedArchiver archiver;
    archiver.encodePropertyListValue(root, pf::KeyedArchiver::kRootKey);
    pf::Error archiveError;
    const QByteArray auxiliary = archiver.encodedData(&archiveError);
    if (auxiliary.isEmpty()) {
        pf::fail(error, cartavelError(kErrorException, {{pf::NSLocalizedDescriptionKey, archiveError.description()}}));
        return nullptr;
    }
    package->addRegularFile(auxiliary, kAuxiliaryEntry);

    pf::FileWrapperRef quickLook = pf::FileWrapper::directory();
    quickLook->setPreferredFilename(kQuickLookEntry);
    package->addFileWrapper(quickLook);
    // An unticked "Save preview" keeps every picture of the drawing out of the package.
    if (m_savePreview) {
        const QByteArray thumbnail = drawing->thumbnailData();
        if (!thumbnail.isEmpty())
            quickLook->addRegularFile(thumbnail, kThumbnailEntry);
        const QByteArray preview = drawing->pdf();
        if (!preview.isEmpty())
            quickLook->addRegularFile(preview, kPreviewEntry);
    }

    pf::Error plistError;
    const QByteArray window = serialisedPlist(restorableStateInfo(), &plistError);
    if (!window.isEmpty())
        package->addRegularFile(window, kWindowEntry);
    else
        RVLog(kFileEvent, QStringLiteral("state info could not be written because error=%1").arg(plistError.description()));
    if (m_exportOperation) {
        const QVariantMap state = m_exportOperation->restorableStateInfo();
        if (!state.isEmpty()) {
            pf::Error exportError;
            const QByteArray settings = serialisedPlist(state, &exportError);
            if (!settings.isEmpty())
                package->addRegularFile(settings, kExportSettingsEntry);
            else
                RVLog(kFileEvent, QStringLiteral("export settings could not be written because error=%1").arg(exportError.description()));
        }
    }
    return package;
}

bool RVCartavelDocument::prepareSavePanel(pf::SavePanel& panel)
{
    // A fresh accessory each time: the panel owns the one it shows.
    auto* accessory = new QWidget;
    auto* row = new QHBoxLayout(accessory);
    auto* preview = new QCheckBox(tr("Save preview"), accessory);
    preview->setObjectName(QStringLiteral("savePreview"));
    preview->setChecked(m_savePreview);
    auto* xml = new QCheckBox(tr("Save as XML"), accessory);
    xml->setObjectName(QStringLiteral("saveXML"));
    xml->setChecked(m_saveXML);
    auto* asTemplate = new QCheckBox(tr("Save as template"), accessory);
    asTemplate->setObjectName(QStringLiteral("saveAsTemplate"));
    row->addWidget(preview);
    row->addWidget(xml);
    row->addWidget(asTemplate);
    // Empty for a panel nobody holds by reference: then the check box has nothing to point.
    m_savePanel = std::static_pointer_cast<pf::SavePanel>(panel.weak_from_this().lock());
    std::weak_ptr<void> alive = livenessToken();
    QObject::connect(asTemplate, &QCheckBox::toggled, accessory, [this, alive](bool on) {
        if (!alive.expired())
            saveTemplateAction(on);
    });
    QObject::connect(preview, &QCheckBox::toggled, accessory, [this, alive](bool on) {
        if (!alive.expired())
            savePreviewAction(on);
    });
    QObject::connect(xml, &QCheckBox::toggled, accessory, [this, alive](bool on) {
        if (!alive.expired())
            saveXMLAction(on);
    });
    panel.setAccessoryView(accessory);
    panel.setAllowedFileTypes({nativeFileExtension()});
    panel.setExtensionHidden(true);
    panel.setAllowsOtherFileTypes(false);
    return true;
}

void RVCartavelDocument::updateChangeCount(pf::DocumentChangeType change)
{
    PWDrawingDocument::updateChangeCount(change);
    pf::UndoManager* manager = undoManagerOrNull();
    if (change == pf::DocumentChangeType::Cleared && manager
        && !pf::UserDefaults::standard().boolForKey(kDontClearUndoOnSaveDefault))
        manager->removeAllActions();
    const QString dump = drawingUndoManager() ? drawingUndoManager()->dumpOfUndoManagerState() : QString();
    const QString audit = QStringLiteral("%1:%2").arg(displayName(), dump);
    pf::UserDefaults::standard().setObject(audit, kUndoAuditDefault);
    RVLog(kStateEvent, QStringLiteral("recorded undo state: %1").arg(audit));
}

// --- Windows ------------------------------------------------------------------------------------------

void RVCartavelDocument::makeWindowControllers()
{
    addWindowController(std::make_shared<VNQLDrawingWindowController>());
}


// --- Templates ----------------------------------------------------------------------------------------

QUrl RVCartavelDocument::documentTemplatesURL()
{
    const QString path = QDir(pf::Bundle::main().resourcePath()).filePath(QStringLiteral("Quillory Templates"));
    return QUrl::fromLocalFile(path);
}

QUrl RVCartavelDocument::userTemplatesURL()
{
    const QUrl support = thisApplicationsSupportFolderURL();
    if (support.isEmpty())
        return {};
    const QUrl folder = QUrl::fromLocalFile(QDir(support.toLocalFile()).filePath(QStringLiteral("My Templates")));
    if (!createDirectoryIfNeeded(folder))
        RVLog(kFileEvent, "could not create user templates folder");
    return folder;
}

QList<QUrl> RVCartavelDocument::availableTemplatesAtURL(const QUrl& folder, bool includingSubfolders)
{
    if (folder.isEmpty() || !createDirectoryIfNeeded(folder))
        return {};
    return RVFolderEnumerator::folderEnumeratorWithPath(folder.toLocalFile(), includingSubfolders, templatesFileTypes())
        ->fileURLs();
}

QList<QUrl> RVCartavelDocument::availableTemplateURLs()
{
    return availableTemplatesAtURL(documentTemplatesURL(), true);
}

bool RVCartavelDocument::hasTemplatesAvailable()
{
    return !availableTemplateURLs().isEmpty() || !availableTemplatesAtURL(userTemplatesURL(), true).isEmpty();
}

bool RVCartavelDocument::isTemplateURL(const QUrl& url)
{
    if (url.isEmpty() || !url.isLocalFile())
        return false;
    for (const QUrl& folder : {documentTemplatesURL(), userTemplatesURL()}) {
        const bool match = !folder.isEmpty() && pathLiesInside(url.toLocalFile(), folder.toLocalFile());
        RVLog(kFileEvent, QStringLiteral("comparing paths %1 and %2, match = %3")
                              .arg(url.toLocalFile(), folder.toLocalFile(), match ? QStringLiteral("YES") : QStringLiteral("NO")));
        if (match)
            return true;
    }
    return false;
}

bool RVCartavelDocument::isUserTemplateURL(const QUrl& url)
{
    if (url.isEmpty() || !url.isLocalFile())
        return false;
    const QUrl folder = userTemplatesURL();
    return !folder.isEmpty() && pathLiesInside(url.toLocalFile(), folder.toLocalFile());
}

bool RVCartavelDocument::isValidTemplateName(const QString& name)
{
    return !name.isEmpty() && name != QStringLiteral(".") && name != QStringLiteral("..")
        && !name.contains(QLatin1Char('/')) && !name.contains(QChar(0));
}

QUrl RVCartavelDocument::userTemplateURLForName(const QString& name)
{
    if (!isValidTemplateName(name))
        return {};
    const QString base = QFileInfo(name).completeBaseName().isEmpty() ? name : QFileInfo(name).completeBaseName();
    const QString fileName = base + QLatin1Char('.') + nativeFileExtension();
    const QUrl folder = userTemplatesURL();
    if (folder.isEmpty() || !isValidTemplateName(base))
        return {};
    return QUrl::fromLocalFile(QDir(folder.toLocalFile()).filePath(fileName));
}

bool RVCartavelDocument::writeTemplateToURL(const QUrl& url, pf::Error* error)
{
    pf::Error failure;
    pf::FileWrapperRef package = fileWrapperOfType(kNativeType, &failure);
    if (!package) {
        RVLog(kFileEvent, QStringLiteral("unable to create document copy for saving as template. Error = %1").arg(failure.description()));
        return pf::fail(error, failure);
    }
    if (!package->writeToPath(url.toLocalFile(), 0, &failure)) {
        RVLog(kFileEvent, QStringLiteral("unable to write template content at %1, error = %2").arg(url.toLocalFile(), failure.description()));
        return pf::fail(error, failure);
    }
    return true;
}

void RVCartavelDocument::saveTemplateNamed(const QString& name)
{
    const QUrl target = userTemplateURLForName(name);
    RVLog(kFileEvent, QStringLiteral("proposed template with name '%1' at path %2").arg(name, target.toLocalFile()));
    if (target.isEmpty()) {
        pf::Application::beep();
        return;
    }
    if (QFileInfo::exists(target.toLocalFile())) {
        pf::Application::beep();
        pf::Alert alert;
        alert.setMessageText(tr("Template Already Exists."));
        alert.addButton(tr("Replace"));
        alert.addButton(tr("Cancel"));
        alert.setInformativeText(tr("The template '%1' already exists. Do you want to replace it with this document?")
                                     .arg(QFileInfo(target.toLocalFile()).completeBaseName()));
        if (alert.runModal() != pf::kAlertFirstButtonReturn) {
            std::weak_ptr<void> alive = livenessToken();
            pf::RunLoop::main().perform([this, alive] {
                if (!alive.expired())
                    saveCopyAsTemplateAction({});
            }, 0.0);
            return;
        }
    }
    pf::Error error;
    if (!writeTemplateToURL(target, &error))
        presentError(error);
}

void RVCartavelDocument::savePanelDidEnd(RVLimitedSavePanel& panel, int returnCode)
{
    if (returnCode != RVLimitedSavePanel::kSave || panel.URL().isEmpty())
        return;
    if (!isUserTemplateURL(panel.URL())) {
        RVLog(kFileEvent, QStringLiteral("unable to write template content at %1, error = %2")
                              .arg(panel.URL().toLocalFile(), QStringLiteral("outside the templates folder")));
        return;
    }
    pf::Error error;
    if (!writeTemplateToURL(panel.URL(), &error))
        presentError(error);
}

void RVCartavelDocument::saveTemplateAction(const QVariant& sender)
{
    const std::shared_ptr<pf::SavePanel> panel = m_savePanel.lock();
    if (!panel)
        return;
    if (sender.toBool()) {
        const QUrl templates = userTemplatesURL();
        if (!templates.isEmpty())
            panel->setDirectoryURL(templates);
        return;
    }
    QUrl folder = defaultDocumentSaveURL();
    if (folder.isEmpty()) {
        pf::Error error;
        const QString documents = pf::FileManager::defaultManager().URLForDirectory(
            pf::FileManager::SearchPath::Documents, fileURL().toLocalFile(), true, &error);
        if (documents.isEmpty()) {
            RVLog(kFileEvent, QStringLiteral("error while trying to set the default documents folder, err: %1").arg(error.description()));
            return;
        }
        folder = QUrl::fromLocalFile(documents);
        setDefaultDocumentSaveURL(folder);
    }
    panel->setDirectoryURL(folder);
}

void RVCartavelDocument::basicDialogDidEndWithReturnCode(RVBasicDialogController& dialog, int returnCode)
{
    if (returnCode != RVBasicDialogController::kReturnOK || !dialog.primaryItem())
        return;
    saveTemplateNamed(dialog.primaryItem()->stringValue());
}

bool RVCartavelDocument::basicDialogValidateDefaultButton(RVBasicDialogController& dialog)
{
    return dialog.primaryItem() && !dialog.primaryItem()->stringValue().isEmpty();
}

void RVCartavelDocument::basicDialogSetObjectValueForPrimaryItem(RVBasicDialogController&, pf::Control& item)
{
    item.setStringValue(displayName());
}

void RVCartavelDocument::saveCopyAsTemplateAction(const QVariant&)
{
    showSaveTemplatesDialog();
}

void RVCartavelDocument::showSaveTemplatesDialog()
{
    const QUrl folder = userTemplatesURL();
    if (folder.isEmpty())
        return;
    pf::Ref<RVLimitedSavePanel> panel = RVLimitedSavePanel::limitedSavePanel();
    panel->setRootFolder(folder);
    panel->setAllowedFileTypes(templatesFileTypes());
    panel->setPromptString(QStringLiteral("%1 \u201c%2\u201d %3").arg(tr("Save Copy of"), displayName(), tr("as a Template")));
    panel->setNameFieldStringValue(displayName());
    panel->runModalForWindow(windowForSheet(), this);
}

// --- Temporary library ----------------------------------------------------------------------------

void RVCartavelDocument::makeTemporaryDocumentLibrary()
{
    if (!pf::RunLoop::isMainThread()) {
        // The libraries belong to the main thread; a document read on a worker joins them there.
        std::weak_ptr<pf::Object> weakSelf = weak_from_this();
        pf::performOnMainThread([weakSelf] {
            if (auto self = std::static_pointer_cast<RVCartavelDocument>(weakSelf.lock()))
                self->makeTemporaryDocumentLibrary();
        }, false);
        return;
    }
    pf::UndoRegistrationDisabled noUndo(undoManagerOrNull());
    const QList<pf::Ref<pf::Object>> objects = allLibraryObjects();
    if (m_library) {
        updateTemporaryDocumentLibraryWithItems(objects);
        // Saved under another name, the document's library follows it.
        if (m_library->name() != displayName() && !displayName().isEmpty())
            m_library->setName(displayName());
    } else {
        // Every open document has its library in "OPEN DOCUMENTS", an empty one too, so the
        // library window lists every document that is open; styles join it as they come.
        m_library = PWXLibrary::documentLibraryWithName(displayName(), objects, false);
        if (m_library)
            RVLog(kStateEvent, QStringLiteral("created document library %1").arg(m_library->name()));
    }
    if (m_substitutionObservation == 0) {
        std::weak_ptr<pf::Object> weakSelf = weak_from_this();
        m_substitutionObservation = pf::NotificationCenter::defaultCenter().addObserver(
            kPWXStyleSubstitutionWasPerformed, nullptr, [weakSelf](const pf::Notification& note) {
                if (auto self = std::static_pointer_cast<RVCartavelDocument>(weakSelf.lock()))
                    self->styleSubstitutionNotification(note);
            });
    }
}

void RVCartavelDocument::updateTemporaryDocumentLibraryWithItems(const QList<pf::Ref<pf::Object>>& objects)
{
    if (m_library && pf::RunLoop::isMainThread())
        m_library->addUnknownItemsFromSet(objects);
}

QList<pf::Ref<PWStyle>> RVCartavelDocument::allStyles() const
{
    pf::Ref<PWDrawing> drawing = this->drawing();
    return drawing ? drawing->allStyles() : QList<pf::Ref<PWStyle>>();
}

QList<pf::Ref<pf::Object>> RVCartavelDocument::allSymbolMasters() const
{
    QList<pf::Ref<pf::Object>> masters;
    pf::Ref<PWDrawing> drawing = this->drawing();
    if (!drawing)
        return masters;
    for (const pf::Ref<PWXSymbol>& symbol : allSymbols(*drawing))
        if (pf::Ref<PWXSymbolMaster> master = symbol->master(); master && !masters.contains(master))
            masters.append(master);
    return masters;
}

QList<pf::Ref<pf::Object>> RVCartavelDocument::allLibraryObjects() const
{
    QList<pf::Ref<pf::Object>> objects;
    for (const pf::Ref<PWStyle>& style : allStyles())
        if (!objects.contains(style))
            objects.append(style);
    for (const pf::Ref<pf::Object>& master : allSymbolMasters())
        if (!objects.contains(master))
            objects.append(master);
    return objects;
}

void RVCartavelDocument::styleSubstitutionNotification(const pf::Notification& notification)
{
    auto oldStyle = pf::objectCast<PWStyle>(notification.userInfo.value(PWXLibrary::kOldStyleUserInfoKey));
    auto newStyle = pf::objectCast<PWStyle>(notification.userInfo.value(PWXLibrary::kNewStyleUserInfoKey));
    pf::Ref<PWDrawing> drawing = this->drawing();
    if (!oldStyle || !newStyle || oldStyle == newStyle || !drawing)
        return;
    drawing->replaceStyles({oldStyle}, {newStyle});
    if (m_library)
        if (pf::Ref<PWXLibraryItem> item = m_library->itemWithUniqueID(oldStyle->uniqueKey()))
            m_library->removeItem(item);
}

void RVCartavelDocument::remergeStyles(const QList<pf::Ref<PWStyle>>& styles, const QUrl&)
{
    QList<pf::Ref<pf::Object>> objects;
    for (const pf::Ref<PWStyle>& style : styles)
        objects.append(style);
    QList<pf::Ref<PWStyle>> matched;
    for (const pf::Ref<pf::Object>& object : PWXLibrary::libraryItemsMatchingItemsInSet(objects))
        if (auto style = std::dynamic_pointer_cast<PWStyle>(object))
            matched.append(style);
    if (!matched.isEmpty())
        replaceDocumentStylesWithMatchingStylesFromSet(matched);
}

void RVCartavelDocument::removeTemporaryDocumentLibrary()
{
    if (m_substitutionObservation != 0) {
        pf::NotificationCenter::defaultCenter().removeObserver(m_substitutionObservation);
        m_substitutionObservation = 0;
    }
    pf::Ref<PWXLibrary> library = std::move(m_library);
    m_library.reset();
    if (library)
        PWXLibrary::removeDocumentLibrary(library);
}

void RVCartavelDocument::close()
{
    removeTemporaryDocumentLibrary();
    // The duplicate sheets go with the window they belong to, not whenever the document does.
    m_linearDuplicateController.reset();
    m_polarDuplicateController.reset();
    m_parallelDuplicateController.reset();
    // A history panel without a document window of its own would outlive the document, empty.
    if (m_undoHistoryWindow)
        m_undoHistoryWindow->close();
    PWDrawingDocument::close();
}
