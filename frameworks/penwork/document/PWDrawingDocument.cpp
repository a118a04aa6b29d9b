#include "frameworks/penwork/document/PWDrawingDocument.h"
#include "platform/ui/PrintInfo.h"
#include "platform/ui/PrintOperation.h"

#include "frameworks/measurement/RVUnitLength.h"
#include "frameworks/penwork/archiving/PWDrawingArchiving.h"
#include "frameworks/penwork/archiving/PWErrors.h"
#include "frameworks/penwork/layers/PWGridLayer.h"
#include "frameworks/penwork/layers/PWGuideLayer.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "frameworks/penwork/tools/PWDrawingTool.h"
#include "frameworks/penwork/tools/PWToolController.h"
#include "frameworks/penwork/view/PWDrawingView.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/UserDefaults.h"

#include <QCoreApplication>
#include <QHash>

#include <limits>

namespace {

const QString kDefaultLevelsOfUndoDefault = QStringLiteral("kPWDrawingDocumentDefaultLevelsOfUndo");
const QString kDrawingKey = QStringLiteral("drawing");

pf::Error unsupportedType(const QString& type, bool reading)
{
    const QString description = reading
        ? QCoreApplication::translate("PWDrawingDocument", "The drawing could not be read.")
        : QCoreApplication::translate("PWDrawingDocument", "The drawing could not be saved.");
    return pf::Error(kPWErrorDomain, kPWErrorUnsupportedType,
                     {{pf::NSLocalizedDescriptionKey, description},
                      {pf::NSLocalizedFailureReasonErrorKey,
                       QCoreApplication::translate("PWDrawingDocument", "Drawings are not kept as \u201c%1\u201d.")
                           .arg(type)}});
}

bool isDrawingType(const QString& type)
{
    return type == kPWDrawingDocumentType || type == kPWDrawingDocumentXMLType;
}

} // namespace

PF_DEFINE_CLASS(PWDrawingDocument, pf::Document)
{
    b.property("drawing", &PWDrawingDocument::drawing, &PWDrawingDocument::setDrawing);
    b.property("documentStyleCategoryName", &PWDrawingDocument::documentStyleCategoryName);
    b.property("wantsInfoLayer", &PWDrawingDocument::wantsInfoLayer);
}

PWDrawingDocument::PWDrawingDocument() : m_undoManager(std::make_shared<RVUndoManager>())
{
    m_undoManager->setLevelsOfUndo(defaultLevelsOfUndo());
    setUndoManager(m_undoManager);
}

PWDrawingDocument::~PWDrawingDocument()
{
    if (m_drawing && m_drawing->delegate() == this)
        m_drawing->setDelegate(nullptr);
}

int PWDrawingDocument::defaultLevelsOfUndo()
{
    const qint64 levels = pf::UserDefaults::standard().integerForKey(kDefaultLevelsOfUndoDefault);
    return levels > 0 && levels <= std::numeric_limits<int>::max() ? int(levels) : 0;
}

void PWDrawingDocument::setDefaultLevelsOfUndo(int levels)
{
    if (levels < 0)
        return;
    pf::UserDefaults::standard().setInteger(levels, kDefaultLevelsOfUndoDefault);
}

void PWDrawingDocument::setDrawing(const pf::Ref<PWDrawing>& drawing)
{
    if (drawing == m_drawing)
        return;
    pf::UndoRegistrationDisabled noUndo(m_undoManager);
    willChangeValueForKey(kDrawingKey);
    if (m_drawing) {
        if (m_drawing->delegate() == this)
            m_drawing->setDelegate(nullptr);
        m_drawing->setOwner(nullptr);
        m_undoManager->removeAllActions();
    }
    m_drawing = drawing;
    if (m_drawing) {
        RVUndoManager* previous = m_drawing->undoManager();
        m_drawing->setUndoManager(m_undoManager);
        for (const pf::Ref<PWStyle>& style : m_drawing->allStyles()) {
            pf::UndoManager* own = style->undoManager();
            if (!own || own == previous)
                style->setUndoManager(m_undoManager.get());
        }
        m_drawing->setDelegate(this);
        m_drawing->setOwner(weak_from_this().lock());
    }
    didChangeValueForKey(kDrawingKey);
}

bool PWDrawingDocument::initWithType(const QString& type, pf::Error* error)
{
    if (!pf::Document::initWithType(type, error))
        return false;
    if (!m_drawing)
        setDrawing(makeDefaultDrawing());
    return true;
}

bool PWDrawingDocument::readFromData(const QByteArray& data, const QString& type, pf::Error* error)
{
    if (!isDrawingType(type))
        return pf::fail(error, unsupportedType(type, true));
    pf::Ref<PWDrawing> drawing = PWDrawingArchiving::drawingWithData(data, error);
    if (!drawing)
        return false;
    setDrawing(drawing);
    return true;
}

QByteArray PWDrawingDocument::dataOfType(const QString& type, pf::Error* error)
{
    if (!isDrawingType(type)) {
        pf::fail(error, unsupportedType(type, false));
        return {};
    }
    const auto format = type == kPWDrawingDocumentXMLType ? pf::PropertyListFormat::XML : pf::PropertyListFormat::Binary;
    return PWDrawingArchiving::dataWithDrawing(m_drawing, format, error);
}

pf::FileWrapperRef PWDrawingDocument::fileWrapperOfType(const QString& type, pf::Error* error)
{
    QByteArray data = dataOfType(type, error);
    if (data.isEmpty())
        return nullptr;
    return pf::FileWrapper::regularFile(std::move(data));
}

pf::Ref<PWDrawing> PWDrawingDocument::makeDefaultDrawing()
{
    auto drawing = std::make_shared<PWDrawing>();
    pf::UndoRegistrationDisabled noUndo(drawing->undoManager());
    drawing->setUnits(RVUnitLength::centimeters());

    auto grid = std::make_shared<PWGridLayer>();
    grid->setLayerName(QCoreApplication::translate("PWDrawingDocument", "Grid"));
    drawing->addLayer(grid);

    auto layer = std::dynamic_pointer_cast<PWLayer>(classOfDefaultDrawingLayer().create());
    if (!layer || dynamic_cast<PWLayerGroup*>(layer.get()))
        layer = std::make_shared<PWObjectDrawingLayer>();
    layer->setLayerName(QCoreApplication::translate("PWDrawingDocument", "Layer 1"));
    drawing->addLayer(layer);

    auto guides = std::make_shared<PWGuideLayer>();
    guides->setLayerName(QCoreApplication::translate("PWDrawingDocument", "Guides"));
    drawing->addLayer(guides);
    guides->setGuideDeletionRect(drawing->interior());

    drawing->setActiveLayer(layer);
    return drawing;
}

QString PWDrawingDocument::documentStyleCategoryName() const
{
    return QCoreApplication::translate("PWDrawingDocument", "Document Styles");
}

const pf::Class& PWDrawingDocument::classOfDefaultDrawingLayer() const
{
    return PWObjectDrawingLayer::staticClass();
}

QWidget* PWDrawingDocument::makePrintDrawingView()
{
    if (!m_drawing)
        return nullptr;
    // Made without an automatic drawing: the view shows this document's drawing only.
    const bool automatic = PWDrawingView::shouldCreateAutomaticDrawing();
    PWDrawingView::setShouldCreateAutomaticDrawing(false);
    auto* view = new PWDrawingView(QRectF(QPointF(), m_drawing->drawingSize()));
    PWDrawingView::setShouldCreateAutomaticDrawing(automatic);
    view->setDrawing(m_drawing);
    view->setScale(1.0);
    addPrintView(view);
    return view;
}

void PWDrawingDocument::addPrintView(QWidget* view) const
{
    m_printViews.removeAll(nullptr);
    if (view)
        m_printViews.append(view);
}

pf::Ref<pf::PrintOperation> PWDrawingDocument::printOperationWithSettings(const QVariantMap&, pf::Error* error)
{
    QWidget* view = makePrintDrawingView();
    if (!view)
        return pf::Document::printOperationWithSettings({}, error);
    auto info = std::static_pointer_cast<pf::PrintInfo>(printInfo()->copy());
    if (auto* drawingView = qobject_cast<PWDrawingView*>(view))
        drawingView->setPrintInfo(info);
    return pf::PrintOperation::printOperationWithView(view, info);
}

void PWDrawingDocument::runModalPrintOperation(const pf::Ref<pf::PrintOperation>& operation,
                                               std::function<void(bool printed)> done)
{
    if (!operation)
        return;
    QPointer<QWidget> view = operation->view();
    pf::Document::runModalPrintOperation(operation, [view, done](bool printed) {
        // The print view was made for this job alone.
        if (view && !view->parentWidget())
            view->deleteLater();
        if (done)
            done(printed);
    });
}

PWDrawingView* PWDrawingDocument::mainView() const
{
    if (!m_drawing)
        return nullptr;
    for (PWDrawingViewTarget* controller : m_drawing->controllers())
        if (auto view = dynamic_cast<PWDrawingView*>(controller ? controller->view() : nullptr);
            view && !m_printViews.contains(view))
            return view;
    return nullptr;
}

pf::Ref<PWDrawingTool> PWDrawingDocument::drawingTool() const
{
    PWDrawingView* view = mainView();
    if (!view || !view->toolController())
        return nullptr;
    return view->toolController()->currentTool();
}

void PWDrawingDocument::replaceDocumentStylesWithMatchingStylesFromSet(const QList<pf::Ref<PWStyle>>& styles)
{
    if (!m_drawing)
        return;
    QHash<QString, pf::Ref<PWStyle>> byKey;
    for (const auto& style : styles)
        if (style && !style->uniqueKey().isEmpty())
            byKey.insert(style->uniqueKey(), style);
    QList<pf::Ref<PWStyle>> replaced;
    QList<pf::Ref<PWStyle>> replacements;
    for (const auto& used : m_drawing->allStyles()) {
        const pf::Ref<PWStyle> match = byKey.value(used->uniqueKey());
        if (match && match != used) {
            replaced.append(used);
            replacements.append(match);
        }
    }
    if (!replaced.isEmpty())
        m_drawing->replaceStyles(replaced, replacements);
}

pf::Ref<RVUnitLength> PWDrawingDocument::convertedDisplayUnitsForDrawing(const PWDrawing& drawing) const
{
    return drawing.units();
}

double PWDrawingDocument::conversionMultiplierForDisplayUnits() const
{
    return m_drawing ? m_drawing->unitToPointsConversionFactor() : 1.0;
}
