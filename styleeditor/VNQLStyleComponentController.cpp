#include "styleeditor/VNQLStyleComponentController.h"

#include "app/VNQLHelpTrampoline.h"

#include "styleeditor/VNQLStyleEditorController.h"

#include "frameworks/penwork/archiving/PWRasterizerPasteboard.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/styles/PWRasterizer.h"
#include "inspectors/VNQLPaneControls.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Markers.h"
#include "platform/foundation/NumberFormatter.h"
#include "platform/foundation/Variant.h"
#include "platform/ui/Button.h"
#include "platform/ui/Control.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/OpenPanel.h"
#include "platform/ui/Pasteboard.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageRep.h"
#include "platform/ui/PopUpButton.h"
#include "platform/ui/SegmentedControl.h"
#include "platform/ui/UserInterfaceItem.h"
#include "widgets/RVCollapsibleContainerView.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImageReader>
#include <QVBoxLayout>
#include <QImage>
#include <QPainter>
#include <QPixmap>

#include <climits>

PF_DEFINE_CLASS(VNQLStyleComponentController, VNQLGenericObjectController)
{
    using C = VNQLStyleComponentController;
    b.method("enabledAction:", &C::enabledAction);
    b.method("copyComponentAction:", &C::copyComponentAction);
    b.method("deleteComponentAction:", &C::deleteComponentAction);
    b.method("componentHelpAction:", &C::componentHelpAction);
    b.method("setEnabled:", &C::setEnabled);
}

namespace {
QString tr(const char* text)
{
    return QCoreApplication::translate("VNQLStyleComponentController", text);
}
} // namespace

VNQLStyleComponentController::VNQLStyleComponentController(const QString& nibName)
    : VNQLGenericObjectController(nibName)
{
}

VNQLStyleComponentController::~VNQLStyleComponentController() = default;

const pf::Class& VNQLStyleComponentController::managedObjectClass() const
{
    return PWRasterizer::staticClass();
}

pf::Ref<pf::Object> VNQLStyleComponentController::representedComponent() const
{
    // content() would load; a pane only reads what it holds.
    auto* self = const_cast<VNQLStyleComponentController*>(this);
    if (!self->hasContent())
        return nullptr;
    const QList<pf::Ref<pf::Object>> objects = self->content();
    return objects.isEmpty() ? nullptr : objects.first();
}

PWRasterizer* VNQLStyleComponentController::renderer() const
{
    return dynamic_cast<PWRasterizer*>(representedComponent().get());
}

void VNQLStyleComponentController::setRepresentedComponent(const pf::Ref<pf::Object>& object)
{
    unloadContent();
    if (object)
        setContent({object});
    else
        setControlStateForNil();
}

pf::View* VNQLStyleComponentController::makeComponentView()
{
    pf::View* view = VNQLPaneControls::makePaneView();
    mEnabledCheckbox = VNQLPaneControls::checkBox(tr("Enabled"), this, QStringLiteral("enabledAction:"));
    VNQLPaneControls::addRow(view, {}, {mEnabledCheckbox});
    // The pane's own menu: copy, delete and help for its renderer.
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(view, &QWidget::customContextMenuRequested, view, [this, view](const QPoint& point) {
        m_contextMenu = componentMenu();
        m_contextMenu->popUp(view->mapToGlobal(point));
    });
    return view;
}

void VNQLStyleComponentController::enabledAction(const QVariant& sender)
{
    takeCommonValueFrom(pf::Control::fromSender(sender), QStringLiteral("enabled"));
    if (pf::UndoManager* undo = dataSourceUndoManager(); undo && lastWriteRecordedUndo())
        nameUndoActionForLastWrite(pf::variantToBool(commonValueForKeyPath(QStringLiteral("enabled")))
                                       ? tr("Enable Component")
                                       : tr("Disable Component"));
}

void VNQLStyleComponentController::copyComponentAction(const QVariant&)
{
    auto rasterizer = std::dynamic_pointer_cast<PWRasterizer>(representedComponent());
    if (pf::Ref<pf::Pasteboard> board = pf::Pasteboard::general(); rasterizer && board)
        PWRasterizerPasteboard::copyToPasteboard(rasterizer, *board);
}

void VNQLStyleComponentController::deleteComponentAction(const QVariant& sender)
{
    if (RVCollapsibleContainerView* container = hostingView())
        container->closeAction(sender);
}

void VNQLStyleComponentController::componentHelpAction(const QVariant&)
{
    if (pf::Ref<VNQLHelpTrampoline> help = VNQLHelpTrampoline::sharedHelpTrampoline())
        help->showHelpForIdentifier(helpIdentifier());
}

QWidget* VNQLStyleComponentController::windowForSheet()
{
    return isViewLoaded() ? view()->window() : nullptr;
}

bool VNQLStyleComponentController::enabled() const
{
    PWRasterizer* rasterizer = renderer();
    return rasterizer ? rasterizer->enabled() : true;
}

bool VNQLStyleComponentController::locked() const
{
    PWRasterizer* rasterizer = renderer();
    return m_lockedByEditor || (rasterizer && rasterizer->locked());
}

void VNQLStyleComponentController::setEnabled(const QVariant& value)
{
    const bool on = pf::variantToBool(value);
    const pf::ControlState state = on ? pf::ControlState::On : pf::ControlState::Off;
    if (mEnabledCheckbox)
        mEnabledCheckbox->setState(state);
    if (RVCollapsibleContainerView* container = hostingView(); container && container->titleCheckbox())
        container->titleCheckbox()->setState(state);
    setStatesForLock(locked(), on);
}

void VNQLStyleComponentController::setLocked(bool isLocked)
{
    m_lockedByEditor = isLocked;
    const bool lockedNow = locked();
    if (mEnabledCheckbox)
        mEnabledCheckbox->setEnabled(!lockedNow);
    if (RVCollapsibleContainerView* container = hostingView()) {
        if (container->titleCheckbox())
            container->titleCheckbox()->setEnabled(!lockedNow);
        if (container->closingButton())
            container->closingButton()->setEnabled(!lockedNow);
        container->setAllowsReordering(!lockedNow);
    }
    setStatesForLock(lockedNow, enabled());
}

RVCollapsibleContainerView* VNQLStyleComponentController::hostingView() const
{
    return mHostingView.data();
}

void VNQLStyleComponentController::setHostingView(RVCollapsibleContainerView* view)
{
    mHostingView = view;
}

void VNQLStyleComponentController::updateFormatterForControl(pf::Control* control, double multiplier, int,
                                                             const QString& suffix)
{
    if (!control)
        return;
    std::shared_ptr<pf::NumberFormatter> formatter = control->formatter();
    if (!formatter)
        return;
    // The control keeps its own formatter object: a fresh copy makes it show the new setting.
    auto updated = std::make_shared<pf::NumberFormatter>(*formatter);
    updated->setMultiplier(multiplier);
    updated->setPositiveSuffix(suffix);
    updated->setNegativeSuffix(suffix);
    updated->setMaximumFractionDigits(3);
    control->setFormatter(updated);
    control->setNeedsDisplay(true);
}

QString VNQLStyleComponentController::strokeWidthTitle(int tag, bool drawingUnits, double unitToPoints,
                                                       const QString& units)
{
    const double width = tag / 10.0;
    if (drawingUnits && unitToPoints > 0)
        return QString::asprintf("%.3f%s (%.1fpt)", width / unitToPoints, qPrintable(units), width);
    return QString::asprintf("%.1fpt", width);
}

void VNQLStyleComponentController::initialiseStrokeWidthMenu(pf::Menu* menu)
{
    if (!menu)
        return;
    bool drawingUnits = false;
    double unitToPoints = 1.0;
    QString units;
    if (m_styleEditor && m_styleEditor->displaysDrawingUnits() && m_styleEditor->drawing()) {
        drawingUnits = true;
        unitToPoints = m_styleEditor->drawing()->unitToPointsConversionFactor();
        units = m_styleEditor->drawing()->abbreviatedDrawingUnits();
    }
    for (const pf::Ref<pf::MenuItem>& item : menu->items()) {
        if (item->tag() <= 0)
            continue;
        item->setTitle(strokeWidthTitle(item->tag(), drawingUnits, unitToPoints, units));
        if (item->image().isNull()) {
            QPixmap swatch(64, 20);
            swatch.fill(Qt::transparent);
            QPainter painter(&swatch);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(QPen(Qt::black, item->tag() / 10.0, Qt::SolidLine, Qt::FlatCap));
            painter.drawLine(QPointF(0, 10), QPointF(64, 10));
            painter.end();
            QIcon icon(swatch);
            icon.setIsMask(true);
            item->setImage(icon);
        }
    }
}

void VNQLStyleComponentController::setControlEnabled(QWidget* control, bool enabled)
{
    if (auto* pfControl = qobject_cast<pf::Control*>(control))
        pfControl->setEnabled(enabled);
    else if (control)
        control->setEnabled(enabled);
}

bool VNQLStyleComponentController::validateUserInterfaceItem(pf::UserInterfaceItem& item)
{
    const QString action = item.action();
    PWRasterizer* rasterizer = renderer();
    const QString name = rasterizer ? rasterizer->displayName() : QString();
    if (action == QLatin1String("deleteComponentAction:")) {
        item.setTitle(QStringLiteral("%1 %2").arg(tr("Delete"), name));
        return m_styleEditor && !m_styleEditor->styleIsLocked() && !m_styleEditor->styleInLockedLibrary();
    }
    if (action == QLatin1String("copyComponentAction:")) {
        item.setTitle(QStringLiteral("%1 %2").arg(tr("Copy"), name));
        return true;
    }
    if (action == QLatin1String("componentHelpAction:")) {
        item.setTitle(QStringLiteral("%1 %2...").arg(name, tr("Help")));
        return true;
    }
    // Items of the pane's own pop-ups carry no action of their own: the pop-up sends its.
    return action.isEmpty() || respondsTo(action);
}

pf::Ref<pf::Menu> VNQLStyleComponentController::componentMenu()
{
    pf::Ref<pf::Menu> menu = pf::Menu::make();
    for (const char* action : {"copyComponentAction:", "deleteComponentAction:", "componentHelpAction:"}) {
        pf::Ref<pf::MenuItem> item = pf::MenuItem::make(QString(), QString::fromLatin1(action));
        item->setTarget(this);
        menu->addItem(item);
    }
    return menu;
}

// --- Helpers for the panes ------------------------------------------------------------------------

void VNQLStyleComponentController::enableLockControls(bool enabled)
{
    for (const QPointer<QWidget>& control : std::as_const(m_lockControls))
        if (control)
            setControlEnabled(control, enabled);
}

void VNQLStyleComponentController::updateLengthFields(double factor, const QString& units)
{
    for (const QPointer<pf::Control>& field : std::as_const(m_lengthFields))
        updateFormatterForControl(field, factor, 2, units);
}

pf::PopUpButton* VNQLStyleComponentController::taggedPopUp(pf::Reflective* target, const QString& action,
                                                           const QList<std::pair<QString, int>>& items)
{
    auto* popUp = new pf::PopUpButton;
    for (const auto& [title, tag] : items)
        popUp->addItemWithTitle(title)->setTag(tag);
    popUp->setTarget(target);
    popUp->setAction(action);
    popUp->setFixedHeight(22);
    // As wide as its longest item, so that whichever is chosen shows whole.
    popUp->setMinimumWidth(110);
    for (const auto& item : items)
        VNQLPaneControls::fitWidthTo(popUp, item.first);
    // Its items are plain choices: the pop-up sends its action, the lock disables the whole.
    popUp->setAutoenablesItems(false);
    return popUp;
}

int VNQLStyleComponentController::selectedTag(const QVariant& sender)
{
    if (pf::Ref<pf::MenuItem> item = pf::objectCast<pf::MenuItem>(sender))
        return item->tag();
    if (auto* popUp = qobject_cast<pf::PopUpButton*>(pf::Control::fromSender(sender)))
        return popUp->selectedItem() ? popUp->selectedItem()->tag() : INT_MIN;
    if (auto* segments = qobject_cast<pf::SegmentedControl*>(pf::Control::fromSender(sender)))
        return segments->selectedSegment();
    return pf::isNumber(sender) ? sender.toInt() : INT_MIN;
}

void VNQLStyleComponentController::selectTag(pf::PopUpButton* popUp, int tag)
{
    if (popUp)
        popUp->selectItemWithTag(tag);
}

void VNQLStyleComponentController::write(const QVariant& sender, const QString& keyPath)
{
    if (pf::Control* control = pf::Control::fromSender(sender))
        takeCommonValueFrom(control, keyPath);
    else
        takeCommonValueFromValue(sender, keyPath);
}

void VNQLStyleComponentController::setCheckbox(pf::Button* box, const QVariant& value)
{
    if (box)
        box->setState(pf::isNilOrNull(value) || !pf::variantToBool(value) ? pf::ControlState::Off : pf::ControlState::On);
}

void VNQLStyleComponentController::chooseImageFile(std::function<void(const QString& path)> chosen)
{
    auto panel = std::make_shared<pf::OpenPanel>();
    panel->setAllowedFileTypes(pf::Image::imageFileTypes());
    panel->setAllowsMultipleSelection(false);
    panel->setAllowsOtherFileTypes(false);
    panel->setCanCreateDirectories(false);
    panel->setCanChooseDirectories(false);
    panel->setMessage(tr("Choose an image"));
    // The panel lives until its sheet ends.
    panel->beginSheetModal(windowForSheet(), [panel, chosen = std::move(chosen)](int result) {
        if (result == 1 && !panel->URLs().isEmpty())
            chosen(panel->URLs().first().toLocalFile());
    });
}

bool VNQLStyleComponentController::takeImageFromFile(const QString& path)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QImage image = reader.read();
    if (image.isNull())
        return false;
    setCommonValue(image, QStringLiteral("image"));
    return true;
}

void VNQLStyleComponentController::chooseImageForComponent()
{
    pf::Weak<pf::Object> weakSelf = shared_from_this();
    chooseImageFile([weakSelf](const QString& path) {
        if (auto self = std::dynamic_pointer_cast<VNQLStyleComponentController>(weakSelf.lock()))
            self->takeImageFromFile(path);
    });
}

QImage VNQLStyleComponentController::pasteboardImage()
{
    pf::Ref<pf::Pasteboard> board = pf::Pasteboard::general();
    if (!board)
        return {};
    pf::Ref<pf::Image> image = pf::ImageView::imageFromPasteboard(*board);
    return pixelsOfImage(image.get());
}

QImage VNQLStyleComponentController::pixelsOfImage(const pf::Image* image)
{
    if (!image)
        return {};
    for (const auto& rep : image->representations())
        if (rep && rep->pixelsWide() > 0 && rep->pixelsHigh() > 0)
            return image->bitmap(QSize(rep->pixelsWide(), rep->pixelsHigh()));
    return image->bitmap();
}

bool VNQLStyleComponentController::canPasteImage()
{
    return !pasteboardImage().isNull();
}

void VNQLStyleComponentController::addImageRow(pf::View* view, QWidget* well, pf::Button* choose, pf::Button* paste)
{
    if (auto* imageWell = qobject_cast<pf::ImageView*>(well)) {
        imageWell->setImageFrameStyle(pf::ImageFrameStyle::GrayBezel);
        imageWell->setImageScaling(pf::ImageScaling::ProportionallyDown);
    }
    auto* row = new QWidget;
    auto* across = new QHBoxLayout(row);
    across->setContentsMargins(0, 0, 0, 0);
    across->setSpacing(6);
    across->addWidget(well);
    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(4);
    buttons->addWidget(choose);
    buttons->addWidget(paste);
    buttons->addStretch(1);
    across->addLayout(buttons);
    across->addStretch(1);
    row->setFixedHeight(std::max(well->height(), 64) + 4);
    VNQLPaneControls::addRow(view, {}, {row});
}
