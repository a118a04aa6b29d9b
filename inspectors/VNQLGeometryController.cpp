#include "inspectors/VNQLGeometryController.h"

#include "app/VNQLHelpTrampoline.h"

#include "inspectors/VNQLPaneControls.h"
#include "inspectors/VNQL_AlignDistributeController.h"
#include "inspectors/VNQL_BooleanOpsViewController.h"
#include "inspectors/VNQL_PWArcPathController.h"
#include "inspectors/VNQL_PWDrawableObjectController.h"
#include "inspectors/VNQL_PWDrawablePathController.h"
#include "inspectors/VNQL_PWImageShapeController.h"
#include "inspectors/VNQL_PWRegularPolygonPathController.h"
#include "inspectors/VNQL_PWRoundRectShapeController.h"
#include "inspectors/VNQL_PWXSliceController.h"
#include "inspectors/VNQL_ZArrangerViewController.h"

#include "app/RVCartavelDocument.h"
#include "app/RVCommonClassFinder.h"
#include "drawing/PWXSlice.h"
#include "drawing/VNQLSlicesLayer.h"
#include "frameworks/measurement/RVUnitLength.h"
#include "frameworks/penwork/drawables/PWArcPath.h"
#include "frameworks/penwork/drawables/PWDrawablePath.h"
#include "frameworks/penwork/drawables/PWRegularPolygonPath.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/support/RVLog.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/NumberFormatter.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/foundation/Variant.h"
#include "platform/ui/Button.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/PopUpButton.h"
#include "platform/ui/TextField.h"
#include "platform/ui/UserInterfaceItem.h"
#include "platform/ui/Window.h"
#include "widgets/RVCollapsibleContainerView.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

PF_DEFINE_CLASS(VNQLGeometryController, VNQLTabContentViewController)
{
    using C = VNQLGeometryController;
    b.method("setDrawing:", std::function<QVariant(C&, const QVariantList&)>([](C& self, const QVariantList& args) {
                 self.setDrawing(pf::objectCast<PWDrawing>(args.value(0)));
                 return QVariant();
             }));
    b.method("displayUnitsAction:", &C::displayUnitsAction);
    b.method("percentDisplayAction:", &C::percentDisplayAction);
    b.method("renameAction:", &C::renameAction);
    b.method("geometryControllerHelpAction:", &C::geometryControllerHelpAction);
    b.method("nameFieldAction:", &C::nameFieldAction);
}

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("VNQLGeometryController", text);
}

const QString kDrawableKey = QStringLiteral("PWDrawableObject");
const QString kArrangerKey = QStringLiteral("VNQL_Arranger");
const QString kBooleansKey = QStringLiteral("VNQL_Booleans");
const QString kAlignmentKey = QStringLiteral("VNQL_Alignment");

// Starts renaming on a double click on the name line.
class NameDoubleClickFilter : public QObject {
public:
    NameDoubleClickFilter(VNQLGeometryController* controller, QObject* parent) : QObject(parent), m_controller(controller) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonDblClick && m_controller && !m_controller->renamingModeActive()) {
            m_controller->renameAction({});
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    VNQLGeometryController* m_controller;
};

QImage geometryIcon()
{
    constexpr int kSide = 20;
    QImage image(kSide, kSide, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(90, 90, 90), 1.4));
    painter.drawRect(QRectF(2.5, 6.5, 10, 10));
    painter.drawEllipse(QRectF(8.5, 2.5, 9, 9));
    return image;
}

QList<const pf::Reflective*> reflectives(const QList<pf::Ref<pf::Object>>& objects)
{
    QList<const pf::Reflective*> list;
    for (const pf::Ref<pf::Object>& object : objects)
        list.append(object.get());
    return list;
}

template <class T>
QList<pf::Ref<pf::Object>> asObjects(const QList<pf::Ref<T>>& list)
{
    QList<pf::Ref<pf::Object>> objects;
    for (const pf::Ref<T>& item : list)
        objects.append(item);
    return objects;
}

bool sameObjects(const QList<pf::Ref<pf::Object>>& a, const QList<pf::Ref<pf::Object>>& b)
{
    if (a.size() != b.size())
        return false;
    QSet<const pf::Object*> set;
    for (const auto& object : a)
        set.insert(object.get());
    for (const auto& object : b)
        if (!set.contains(object.get()))
            return false;
    return true;
}

} // namespace

VNQLGeometryController::VNQLGeometryController(const QString& nibName)
    : VNQLTabContentViewController(nibName.isEmpty() ? kTabIdentifier : nibName)
{
    setTitle(tr("Geometry"));
    setTabIcon(geometryIcon());
    setTabTooltip(tr("Geometry"));

    auto add = [this](const QString& key, const pf::Ref<pf::ViewController>& controller) {
        mSubcontrollers.insert(key, controller);
        mSubcontrollerOrder.append(key);
    };
    add(kDrawableKey, std::make_shared<VNQL_PWDrawableObjectController>());
    add(QStringLiteral("PWRoundRectShape"), std::make_shared<VNQL_PWRoundRectShapeController>());
    add(QStringLiteral("PWRegularPolygonPath"), std::make_shared<VNQL_PWRegularPolygonPathController>());
    add(QStringLiteral("PWArcPath"), std::make_shared<VNQL_PWArcPathController>());
    add(QStringLiteral("PWImageShape"), std::make_shared<VNQL_PWImageShapeController>());
    add(QStringLiteral("PWDrawablePath"), std::make_shared<VNQL_PWDrawablePathController>());
    add(QStringLiteral("PWXSlice"), std::make_shared<VNQL_PWXSliceController>());
    add(kArrangerKey, std::make_shared<VNQL_ZArrangerViewController>());
    add(kBooleansKey, std::make_shared<VNQL_BooleanOpsViewController>());
    add(kAlignmentKey, std::make_shared<VNQL_AlignDistributeController>());
    // The object panes read their content from this tab; the others ask it as their delegate.
    for (const QString& key : std::as_const(mSubcontrollerOrder)) {
        const pf::Ref<pf::ViewController>& controller = mSubcontrollers.value(key);
        if (auto* pane = dynamic_cast<VNQLGenericObjectController*>(controller.get()))
            pane->setDataSource(this);
        else if (auto* arrange = dynamic_cast<VNQLSelectionPane*>(controller.get()))
            arrange->setDelegate(this);
    }
    m_drawingUnitsMode = int(pf::UserDefaults::standard().integerForKey(kVNQLGeometryControllerUseDrawingUnits));
    if (m_drawingUnitsMode < kPoints || m_drawingUnitsMode > kConvertedUnits)
        m_drawingUnitsMode = kPoints;
    m_drawingUnitsFormatter = makeFormatterForDisplayUnitsOption(m_drawingUnitsMode);
}

VNQLGeometryController::~VNQLGeometryController()
{
    detachPanes();
    pf::NotificationCenter::defaultCenter().removeObserver(this);
    mDrawing.reset();
    setDrawingUnitsFormatter(nullptr);
}

void VNQLGeometryController::detachPanes()
{
    for (const pf::Ref<pf::ViewController>& controller : std::as_const(mSubcontrollers)) {
        if (auto* pane = dynamic_cast<VNQLGenericObjectController*>(controller.get()))
            pane->setDataSource(nullptr);
        if (auto* drawable = dynamic_cast<VNQL_PWDrawableObjectController*>(controller.get()))
            drawable->setGeometryController(nullptr);
        if (auto* arrange = dynamic_cast<VNQLSelectionPane*>(controller.get()))
            arrange->setDelegate(nullptr);
    }
}

// View

void VNQLGeometryController::loadView()
{
    auto* root = new pf::View;
    auto* column = new QVBoxLayout(root);
    column->setContentsMargins(4, 6, 4, 6);
    column->setSpacing(4);

    mTypeNameLabel = VNQLPaneControls::label();
    QFont bold = mTypeNameLabel->font();
    bold.setBold(true);
    mTypeNameLabel->setFont(bold);
    mTypeNameLabel->installEventFilter(new NameDoubleClickFilter(this, mTypeNameLabel));
    column->addWidget(mTypeNameLabel);
    mAuxiliaryInfoLabel = VNQLPaneControls::label();
    column->addWidget(mAuxiliaryInfoLabel);

    auto* unitsRow = new QVBoxLayout;
    mDrawingUnitsPopUp = new pf::PopUpButton;
    const QList<std::pair<QString, int>> items = {
        {tr("Points"), kPoints}, {tr("Drawing Units"), kDrawingUnits}, {tr("Converted Units"), kConvertedUnits}};
    for (const auto& [title, tag] : items)
        mDrawingUnitsPopUp->addItemWithTitle(title)->setTag(tag);
    mDrawingUnitsPopUp->setTarget(this);
    mDrawingUnitsPopUp->setAction(QStringLiteral("displayUnitsAction:"));
    mDrawingUnitsPopUp->selectItemWithTag(m_drawingUnitsMode);
    mDrawingUnitsPopUp->setFixedHeight(22);
    mDrawingUnitsPopUp->setMinimumWidth(150);
    unitsRow->addWidget(mDrawingUnitsPopUp);
    mPercentCheckbox = VNQLPaneControls::checkBox(tr("Percentages"), this, QStringLiteral("percentDisplayAction:"));
    auto* percentRow = new QHBoxLayout;
    percentRow->addWidget(mPercentCheckbox, 1);
    pf::Button* help = VNQLPaneControls::pushButton(QStringLiteral("?"), this, QStringLiteral("geometryControllerHelpAction:"), tr("Help"));
    help->setFixedWidth(28);
    percentRow->addWidget(help);
    unitsRow->addLayout(percentRow);
    column->addLayout(unitsRow);

    mGeometryViewStack = new RVCollapsibleContainerView(QRectF(0, 0, 260, 20));
    mGeometryViewStack->setTitle(tr("Geometry"));
    // The stack fills the scroll area's height, its panes only the height they need: below
    // them it paints the background, or panes taken out when the selection changes (Shift-
    // clicking objects out of it) would stay on the screen under the ones that remain.
    mGeometryViewStack->setAttribute(Qt::WA_NoSystemBackground, false);
    mGeometryViewStack->setAutoFillBackground(true);
    auto* scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(mGeometryViewStack);
    column->addWidget(scroll, 1);
    setView(root);
}

// Drawing and notifications

PWDrawing* VNQLGeometryController::drawing() const
{
    return mDrawing.lock().get();
}

void VNQLGeometryController::setDrawing(const pf::Ref<PWDrawing>& drawing)
{
    pf::NotificationCenter::defaultCenter().removeObserver(this);
    mDrawing = drawing;
    m_selectionCache.clear();
    m_hasSelectionCache = false;
    if (drawing)
        observeDrawing(drawing.get());
    pf::Ref<pf::Object> owner = drawing ? drawing->owner() : nullptr;
    drawingUnitsChanged(pf::Notification{RVCartavelDocument::kDisplayUnitOptionsChangedNotification, owner.get(), {}});
}

void VNQLGeometryController::observeDrawing(PWDrawing* drawing)
{
    pf::NotificationCenter& center = pf::NotificationCenter::defaultCenter();
    auto handler = [this](void (VNQLGeometryController::*method)(const pf::Notification&)) {
        return [this, method](const pf::Notification& notification) { (this->*method)(notification); };
    };
    center.addObserver(this, handler(&VNQLGeometryController::activeLayerChanged), kPWDrawingActiveLayerDidChange, drawing);
    center.addObserver(this, handler(&VNQLGeometryController::selectionChanged), kPWLayerSelectionDidChange, nullptr);
    center.addObserver(this, handler(&VNQLGeometryController::slicesSelectionChanged), kVNQLSlicesLayerDidChangeSelection,
                       nullptr);
    center.addObserver(this, handler(&VNQLGeometryController::drawingUnitsChanged), kPWDrawingUnitsDidChangeNotification,
                       drawing);
    if (pf::Ref<pf::Object> owner = drawing->owner())
        center.addObserver(this, handler(&VNQLGeometryController::drawingUnitsChanged),
                           RVCartavelDocument::kDisplayUnitOptionsChangedNotification, owner.get());
}

void VNQLGeometryController::activeLayerChanged(const pf::Notification&)
{
    PWDrawing* current = drawing();
    pf::Ref<PWLayer> layer = current ? current->activeLayer() : nullptr;
    if (auto objects = std::dynamic_pointer_cast<PWObjectDrawingLayer>(layer))
        setSelectedObjects(asObjects(objects->selection()), objects->countOfObjects());
    else if (auto slices = std::dynamic_pointer_cast<VNQLSlicesLayer>(layer))
        setSelectedObjects(asObjects(slices->selectedSlices()), 0);
    else
        setSelectedObjects({}, 0);
}

void VNQLGeometryController::selectionChanged(const pf::Notification& notification)
{
    auto* layer = dynamic_cast<PWObjectDrawingLayer*>(notification.object);
    if (!layer || !drawing() || layer->drawing() != drawing())
        return;
    setSelectedObjects(asObjects(layer->selection()), layer->countOfObjects());
}

void VNQLGeometryController::slicesSelectionChanged(const pf::Notification& notification)
{
    auto* layer = dynamic_cast<VNQLSlicesLayer*>(notification.object);
    if (!layer || !drawing() || layer->drawing() != drawing())
        return;
    setSelectedObjects(asObjects(layer->selectedSlices()), 0);
}

// Showing a selection

const pf::Class* VNQLGeometryController::highestCommonClass() const
{
    const QList<const pf::Reflective*> list = reflectives(m_selectionCache);
    return RVCommonClassFinder::highestCommonClassInArray(&list);
}

void VNQLGeometryController::setSelectedObjects(const QList<pf::Ref<pf::Object>>& objects, qint64 total)
{
    if (m_hasSelectionCache && sameObjects(objects, m_selectionCache))
        return;
    m_selectionCache = objects;
    m_hasSelectionCache = true;
    setNameString({});
    const pf::Class* cls = highestCommonClass();
    installViewsForHighestCommonClass(cls);
    if (!cls) {
        setNameString({});
        setAuxiliaryInfoString({});
        return;
    }
    if (total != 0)
        installViewsForPseudoClasses(objects, total);
    if (objects.size() < 2) {
        setNeedsInfoUpdate();
    } else {
        QString name = cls->name();
        if (cls->respondsToClassMethod("displayName"))
            name = cls->performClassMethod("displayName").toString();
        setAuxiliaryInfoString(QStringLiteral("%1 %2s").arg(objects.size()).arg(name));
    }
}

void VNQLGeometryController::installViewsForHighestCommonClass(const pf::Class* cls)
{
    RVLog(kInfoEvent, QStringLiteral("geometry controller installing views for %1").arg(cls ? cls->name() : QStringLiteral("(nil)")));
    QList<const pf::Class*> chain = cls ? cls->hierarchy() : QList<const pf::Class*>();
    std::reverse(chain.begin(), chain.end());
    for (const QString& key : std::as_const(mSubcontrollerOrder)) {
        pf::ViewController* controller = mSubcontrollers.value(key).get();
        if (auto* pane = dynamic_cast<VNQLGenericObjectController*>(controller))
            pane->unloadContent();
        else if (auto* other = dynamic_cast<VNQLSelectionPane*>(controller))
            other->unloadContent();
    }
    if (mGeometryViewStack)
        mGeometryViewStack->removeAllContentViews();
    mInstalled.clear();
    fitStackToContent();
    for (const pf::Class* link : chain) {
        if (link->name() == QLatin1String("PWDrawablePath") && !pathIsSimpleStraightLine())
            continue;
        pf::ViewController* controller = mSubcontrollers.value(link->name()).get();
        auto* pane = dynamic_cast<VNQLGenericObjectController*>(controller);
        if (!pane)
            continue;
        installViewForSubcontroller(pane);
        pane->reloadContent();
        if (auto* drawable = dynamic_cast<VNQL_PWDrawableObjectController*>(pane))
            drawable->setGeometryController(this);
    }
}

void VNQLGeometryController::installViewsForPseudoClasses(const QList<pf::Ref<pf::Object>>& objects, qint64 total)
{
    try {
        if (!objects.isEmpty()) {
            auto arranger = std::dynamic_pointer_cast<VNQL_ZArrangerViewController>(mSubcontrollers.value(kArrangerKey));
            arranger->setTotalObjectCount(quint64(total));
            installViewForSubcontroller(arranger.get());
        }
        if (selectionEligibleForBooleanOps(objects))
            installViewForSubcontroller(mSubcontrollers.value(kBooleansKey).get());
        if (objects.size() >= 2)
            installViewForSubcontroller(mSubcontrollers.value(kAlignmentKey).get());
    } catch (const pf::Exception& exception) {
        RVLog(kInfoEvent, QStringLiteral("an exception occurred when installing view controller, ex=%1 ###ignored###")
                              .arg(exception.reason()));
    }
}

void VNQLGeometryController::installViewForSubcontroller(pf::ViewController* controller)
{
    if (!controller)
        return;
    mInstalled.append(controller);
    if (auto* pane = dynamic_cast<VNQLSelectionPane*>(controller))
        pane->viewWillAppear();
    if (!mGeometryViewStack)
        return;
    if (auto* view = qobject_cast<pf::View*>(controller->view())) {
        mGeometryViewStack->addViewToContent(view);
        // A view taken out of the stack earlier comes back hidden.
        view->show();
        fitStackToContent();
    }
}

void VNQLGeometryController::fitStackToContent()
{
    if (!mGeometryViewStack)
        return;
    // The scroll area sizes the stack to its minimum height, so the stack asks for all its
    // panes' room (below its title bar).
    double bottom = 0;
    for (pf::View* view : mGeometryViewStack->hostedViews())
        bottom = std::max(bottom, view->frame().bottom());
    mGeometryViewStack->setMinimumHeight(int(std::ceil(bottom + mGeometryViewStack->titleBarHeight() + 8)));
}

void VNQLGeometryController::removeViewForSubcontroller(pf::ViewController* controller)
{
    if (!controller)
        return;
    mInstalled.removeAll(controller);
    if (mGeometryViewStack && controller->isViewLoaded())
        if (auto* view = qobject_cast<pf::View*>(controller->view()))
            mGeometryViewStack->removeViewFromContent(view);
    fitStackToContent();
}

pf::Ref<pf::ViewController> VNQLGeometryController::subcontrollerForClass(const QString& key) const
{
    return mSubcontrollers.value(key);
}

QList<pf::ViewController*> VNQLGeometryController::installedSubcontrollers() const
{
    return mInstalled;
}

QList<pf::Ref<pf::Object>> VNQLGeometryController::selection()
{
    if (!m_hasSelectionCache) {
        PWDrawing* current = drawing();
        auto layer = current ? std::dynamic_pointer_cast<PWObjectDrawingLayer>(current->activeLayer()) : nullptr;
        if (layer) {
            m_selectionCache = asObjects(layer->selection());
            m_hasSelectionCache = true;
        }
    }
    return m_selectionCache;
}

void VNQLGeometryController::setNeedsInfoUpdate()
{
    const QList<pf::Ref<pf::Object>> objects = selection();
    if (objects.size() != 1)
        return;
    const pf::Ref<pf::Object>& object = objects.first();
    QString info;
    if (object->respondsTo(QStringLiteral("auxiliaryInfoString")))
        info = object->perform(QStringLiteral("auxiliaryInfoString")).toString();
    else if (object->objClass().property(QStringLiteral("auxiliaryInfoString")))
        info = object->valueForKey(QStringLiteral("auxiliaryInfoString")).toString();
    setAuxiliaryInfoString(info);
}

void VNQLGeometryController::setNameString(const QString& name)
{
    if (!isViewLoaded())
        view();
    if (mTypeNameLabel)
        mTypeNameLabel->setStringValue(name);
}

void VNQLGeometryController::setAuxiliaryInfoString(const QString& info)
{
    if (!isViewLoaded())
        view();
    if (mAuxiliaryInfoLabel)
        mAuxiliaryInfoLabel->setStringValue(info);
}

QString VNQLGeometryController::nameString() const
{
    return mTypeNameLabel ? mTypeNameLabel->stringValue() : QString();
}

QString VNQLGeometryController::auxiliaryInfoString() const
{
    return mAuxiliaryInfoLabel ? mAuxiliaryInfoLabel->stringValue() : QString();
}

bool VNQLGeometryController::pathIsSimpleStraightLine()
{
    const QList<pf::Ref<pf::Object>> objects = selection();
    if (objects.isEmpty() || highestCommonClass() != &PWDrawablePath::staticClass())
        return false;
    for (const pf::Ref<pf::Object>& object : objects) {
        auto path = std::dynamic_pointer_cast<PWDrawablePath>(object);
        if (!path || !path->isSimpleStraightLine())
            return false;
    }
    return true;
}

bool VNQLGeometryController::selectionEligibleForBooleanOps(const QList<pf::Ref<pf::Object>>& objects) const
{
    if (objects.size() < 2)
        return false;
    int eligible = 0;
    for (const pf::Ref<pf::Object>& object : objects)
        if (auto drawable = std::dynamic_pointer_cast<PWDrawableObject>(object))
            if (drawable->canPerformBooleanOperation(true))
                ++eligible;
    return eligible > 1;
}

// Units

void VNQLGeometryController::drawingUnitsChanged(const pf::Notification& notification)
{
    if (auto* document = dynamic_cast<RVCartavelDocument*>(notification.object)) {
        switch (document->unitDisplayOption()) {
        case 0: m_drawingUnitsMode = kDrawingUnits; break;
        case 1: m_drawingUnitsMode = kPoints; break;
        case 2: m_drawingUnitsMode = kConvertedUnits; break;
        default: break;
        }
        if (mDrawingUnitsPopUp)
            mDrawingUnitsPopUp->selectItemWithTag(m_drawingUnitsMode);
    }
    setDrawingUnitsFormatter(makeFormatterForDisplayUnitsOption(m_drawingUnitsMode));
}

void VNQLGeometryController::mapUnitsChanged(const pf::Notification&)
{
    if (m_drawingUnitsMode == kConvertedUnits)
        setDrawingUnitsFormatter(makeFormatterForDisplayUnitsOption(m_drawingUnitsMode));
}

void VNQLGeometryController::setDrawingUnitsMode(int mode)
{
    if (mode < kPoints || mode > kConvertedUnits)
        return;
    m_drawingUnitsMode = mode;
    pf::UserDefaults::standard().setInteger(mode, kVNQLGeometryControllerUseDrawingUnits);
    if (mDrawingUnitsPopUp)
        mDrawingUnitsPopUp->selectItemWithTag(mode);
    setDrawingUnitsFormatter(makeFormatterForDisplayUnitsOption(mode));
}

void VNQLGeometryController::displayUnitsAction(const QVariant& sender)
{
    auto* popUp = qobject_cast<pf::PopUpButton*>(pf::Control::fromSender(sender));
    if (popUp && popUp->selectedItem())
        setDrawingUnitsMode(int(popUp->selectedItem()->tag()));
    else if (pf::isNumber(sender))
        setDrawingUnitsMode(sender.toInt());
}

std::shared_ptr<pf::NumberFormatter> VNQLGeometryController::makeFormatterForDisplayUnitsOption(int mode) const
{
    auto formatter = VNQLPaneControls::decimalFormatter(2);
    PWDrawing* current = drawing();
    if (!current)
        mode = kPoints;
    pf::Ref<RVUnitLength> units;
    double pointsPerUnit = 1.0;
    if (mode == kDrawingUnits) {
        units = current->units();
        pointsPerUnit = units ? units->conversionFactorForPoints() : 1.0;
    } else if (mode == kConvertedUnits) {
        units = current->delegateConvertedDisplayUnits();
        pointsPerUnit = current->delegateConvertedDisplayMultiplier();
    }
    if (units) {
        formatter->setPositiveSuffix(units->symbol());
        formatter->setNegativeSuffix(units->symbol());
    }
    // A unit of no size would divide by zero: lengths then show in points.
    if (mode != kPoints && std::isfinite(pointsPerUnit) && pointsPerUnit > 0)
        formatter->setMultiplier(1.0 / pointsPerUnit);
    return formatter;
}

void VNQLGeometryController::setDrawingUnitsFormatter(const std::shared_ptr<pf::NumberFormatter>& formatter)
{
    m_drawingUnitsFormatter = formatter;
    pf::NotificationCenter::defaultCenter().post(kVNQLGeometryControllerFormatterDidChange, this);
}

void VNQLGeometryController::setPercentDisplay(bool percentages)
{
    m_percentDisplay = percentages;
    if (mPercentCheckbox)
        mPercentCheckbox->setState(percentages ? pf::ControlState::On : pf::ControlState::Off);
    for (const pf::Ref<pf::ViewController>& controller : std::as_const(mSubcontrollers))
        if (auto* pane = dynamic_cast<VNQLGenericObjectController*>(controller.get()))
            if (!pane->propertiesExpressibleAsPercentage().isEmpty())
                pane->setPropertiesExpressibleAsPercentage(percentages);
}

void VNQLGeometryController::percentDisplayAction(const QVariant& sender)
{
    auto* box = qobject_cast<pf::Button*>(pf::Control::fromSender(sender));
    setPercentDisplay(box ? box->state() == pf::ControlState::On : pf::variantToBool(sender));
}

// Renaming

bool VNQLGeometryController::canRename()
{
    const QList<pf::Ref<pf::Object>> objects = selection();
    if (objects.size() != 1)
        return false;
    auto drawable = std::dynamic_pointer_cast<PWDrawableObject>(objects.first());
    return drawable && !drawable->locked();
}

void VNQLGeometryController::setRenamingMode(bool active)
{
    if (active && !m_renamingModeActive && canRename()) {
        if (mTypeNameLabel) {
            mTypeNameLabel->setEditable(true);
            mTypeNameLabel->setSelectable(true);
            mTypeNameLabel->setBezeled(true);
            mTypeNameLabel->setTarget(this);
            mTypeNameLabel->setAction(QStringLiteral("nameFieldAction:"));
            mTypeNameLabel->selectText();
        }
        m_renamingModeActive = true;
    } else if (!active && m_renamingModeActive) {
        if (mTypeNameLabel) {
            mTypeNameLabel->setEditable(false);
            mTypeNameLabel->setSelectable(false);
            mTypeNameLabel->setBezeled(false);
            mTypeNameLabel->setAction(QString());
        }
        m_renamingModeActive = false;
    }
}

void VNQLGeometryController::nameFieldAction(const QVariant& sender)
{
    auto* field = qobject_cast<pf::TextField*>(pf::Control::fromSender(sender));
    const QString name = field ? field->stringValue() : sender.toString();
    if (canRename() && !name.trimmed().isEmpty()) {
        auto drawable = std::dynamic_pointer_cast<PWDrawableObject>(selection().first());
        drawable->assignUserName(name, true);
        setNeedsInfoUpdate();
    }
    setRenamingMode(false);
    // Show the name the object now has.
    if (selection().size() == 1)
        if (auto drawable = std::dynamic_pointer_cast<PWDrawableObject>(selection().first()))
            setNameString(drawable->name());
}

void VNQLGeometryController::renameAction(const QVariant&)
{
    setRenamingMode(true);
}

bool VNQLGeometryController::validateUserInterfaceItem(pf::UserInterfaceItem& item)
{
    if (item.action() == QLatin1String("percentDisplayAction:")) {
        item.setState(m_percentDisplay ? pf::ControlState::On : pf::ControlState::Off);
        return true;
    }
    if (item.action() == QLatin1String("renameAction:"))
        return canRename();
    return VNQLTabContentViewController::validateUserInterfaceItem(item);
}

// Data source and pane questions

QList<pf::Ref<pf::Object>> VNQLGeometryController::selectedContentForObjectController(VNQLGenericObjectController*)
{
    return selection();
}

pf::UndoManager* VNQLGeometryController::undoManager() const
{
    PWDrawing* current = drawing();
    return current ? current->undoManager() : nullptr;
}

int VNQLGeometryController::drawableControllerWantsInterfaceOptions(VNQLGenericObjectController*)
{
    using Pane = VNQL_PWDrawableObjectController;
    const pf::Class* cls = highestCommonClass();
    if (cls == &PWRegularPolygonPath::staticClass() || cls == &PWArcPath::staticClass())
        return Pane::kAllControls & ~Pane::kSizeControls;
    if (cls == &PWDrawablePath::staticClass())
        return pathIsSimpleStraightLine() ? (Pane::kAllControls & ~Pane::kSizeControls)
                                          : (Pane::kAllControls & ~Pane::kAngleControls);
    return Pane::kAllControls;
}

pf::Ref<PWObjectDrawingLayer> VNQLGeometryController::wantsCurrentDrawingLayerForController(pf::ViewController*)
{
    PWDrawing* current = drawing();
    return current ? std::dynamic_pointer_cast<PWObjectDrawingLayer>(current->activeLayer()) : nullptr;
}

qint64 VNQLGeometryController::wantsCountOfSelectedObjectsForController(pf::ViewController*)
{
    return selection().size();
}

void VNQLGeometryController::geometryControllerHelpAction(const QVariant&)
{
    VNQLHelpTrampoline::showHelpItemNamedByApplicationDelegate(QStringLiteral("the-geometry-tab"));
}
