#include "styleeditor/VNQLStyleEditSub_PWStroke.h"

#include "styleeditor/VNQLStyleEditorController.h"

#include "frameworks/penwork/styles/PWRastGroup.h"
#include "frameworks/penwork/styles/PWRendererSupport.h"
#include "frameworks/penwork/styles/PWStroke.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "inspectors/VNQLPaneControls.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Variant.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Shadow.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPixmap>

#include <climits>
#include <cmath>

PF_DEFINE_CLASS(VNQLStyleEditSub_PWStroke, VNQLStyleComponentController)
{
    using C = VNQLStyleEditSub_PWStroke;
    b.method("strokeWidthAction:", &C::strokeWidthAction);
    b.method("strokeWidthMenuAction:", &C::strokeWidthMenuAction);
    b.method("strokeColourAction:", &C::strokeColourAction);
    b.method("dashMenuAction:", &C::dashMenuAction);
    b.method("lineCapAction:", &C::lineCapAction);
    b.method("lineJoinAction:", &C::lineJoinAction);
    b.method("lateralOffsetAction:", &C::lateralOffsetAction);
    b.method("shadowEnabledAction:", &C::shadowEnabledAction);
    b.method("clipAction:", &C::clipAction);
    b.method("setWidth:", &C::setWidth);
    b.method("setColour:", &C::setColour);
    b.method("setLineCapStyle:", &C::setLineCapStyle);
    b.method("setLineJoinStyle:", &C::setLineJoinStyle);
    b.method("setDash:", std::function<QVariant(C&, const QVariantList&)>([](C& self, const QVariantList& args) {
                 self.setDash(args.value(0));
                 return QVariant();
             }));
    b.method("setLateralOffset:", &C::setLateralOffset);
    b.method("setShadow:", &C::setShadow);
    b.method("setClipping:", &C::setClipping);
}

namespace {
QString tr(const char* text)
{
    return QCoreApplication::translate("VNQLStyleEditSub_PWStroke", text);
}

// Width presets, in tenths of a point.
const QList<int> kWidthPresets = {1, 3, 5, 10, 15, 20, 25, 30, 40, 50, 60, 80, 100, 150, 200};

QIcon templateIcon(const QImage& image)
{
    QIcon icon(QPixmap::fromImage(image));
    icon.setIsMask(true);
    return icon;
}
} // namespace

VNQLStyleEditSub_PWStroke::VNQLStyleEditSub_PWStroke(const QString& nibName)
    : VNQLStyleComponentController(nibName.isEmpty() ? QStringLiteral("VNQLStyleEditSub_PWStroke") : nibName),
      mShadowEditor(std::make_shared<VNQLStyleEditSub_NSShadow>())
{
    pf::NotificationCenter& center = pf::NotificationCenter::defaultCenter();
    center.addObserver(this, [this](const pf::Notification&) { shadowWillChange(); }, VNQLShadowWillChangeNotification,
                       mShadowEditor.get());
    center.addObserver(this, [this](const pf::Notification&) { shadowDidChange(); }, VNQLShadowDidChangeNotification,
                       mShadowEditor.get());
}

VNQLStyleEditSub_PWStroke::~VNQLStyleEditSub_PWStroke()
{
    pf::NotificationCenter::defaultCenter().removeObserver(this);
    if (mDashEditor && mDashEditor->isOpen())
        mDashEditor->cancel({});
}

const pf::Class& VNQLStyleEditSub_PWStroke::managedObjectClass() const
{
    return PWStroke::staticClass();
}

QStringList VNQLStyleEditSub_PWStroke::keyPathsOfInterest() const
{
    return VNQLStyleComponentController::keyPathsOfInterest()
           + QStringList{"width", "colour", "lineCapStyle", "lineJoinStyle", "dash", "lateralOffset", "shadow", "clipping"};
}

PWStroke* VNQLStyleEditSub_PWStroke::stroke() const
{
    return dynamic_cast<PWStroke*>(representedComponent().get());
}

// --- View ---------------------------------------------------------------------------------------

void VNQLStyleEditSub_PWStroke::loadView()
{
    pf::View* view = makeComponentView();
    buildStrokeRows(view);
    VNQLPaneControls::finish(view);
    setView(view);
}

void VNQLStyleEditSub_PWStroke::buildStrokeRows(pf::View* view)
{
    using namespace VNQLPaneControls;
    mStrokeWidthTextField = numberField(this, QStringLiteral("strokeWidthAction:"), decimalFormatter(2));
    mStrokeWidthStepper = stepper(this, QStringLiteral("strokeWidthAction:"), 0.5, 0.0, 1000.0);
    mStrokeWidthPopUpButton = new pf::PopUpButton;
    for (int tag : kWidthPresets)
        mStrokeWidthPopUpButton->addItemWithTitle(QString::number(tag))->setTag(tag);
    mStrokeWidthPopUpButton->menu()->addItem(pf::MenuItem::separator());
    mStrokeWidthPopUpButton->addItemWithTitle(tr("Other"))->setTag(kOtherWidthTag);
    mStrokeWidthPopUpButton->setAutoenablesItems(false);
    mStrokeWidthPopUpButton->setTarget(this);
    mStrokeWidthPopUpButton->setAction(QStringLiteral("strokeWidthMenuAction:"));
    mStrokeWidthPopUpButton->setFixedHeight(22);
    mStrokeWidthPopUpButton->setMinimumWidth(90);
    // The presets go under the field: beside it they pass the sidebar's edge.
    addRow(view, tr("Width:"), {mStrokeWidthTextField, mStrokeWidthStepper});
    addContinuationRow(view, {mStrokeWidthPopUpButton});

    mStrokeColourWell = new pf::ColorWell;
    mStrokeColourWell->setFixedSize(44, 22);
    mStrokeColourWell->setTarget(this);
    mStrokeColourWell->setAction(QStringLiteral("strokeColourAction:"));
    addRow(view, tr("Colour:"), {mStrokeColourWell});

    mDashPopUpButton = new pf::PopUpButton;
    mDashPopUpButton->setFixedHeight(24);
    mDashPopUpButton->setMinimumWidth(110);
    initialiseDashMenu();
    addRow(view, tr("Dash:"), {mDashPopUpButton});

    mLineCapSegmentedButton = new pf::SegmentedControl;
    mLineCapSegmentedButton->setSegmentCount(3);
    const QStringList caps = {tr("Butt"), tr("Round"), tr("Square")};
    for (int i = 0; i < 3; ++i) {
        mLineCapSegmentedButton->setLabel(caps[i], i);
        mLineCapSegmentedButton->setTag(i, i);
    }
    mLineCapSegmentedButton->setTarget(this);
    mLineCapSegmentedButton->setAction(QStringLiteral("lineCapAction:"));
    // Segments as wide as their labels, sharing whatever the row has besides.
    mLineCapSegmentedButton->setFixedHeight(22);
    mLineCapSegmentedButton->sizeToFit();
    mLineCapSegmentedButton->setMinimumWidth(int(std::ceil(mLineCapSegmentedButton->frame().width())));
    addWrappedRow(view, tr("Caps:"), {mLineCapSegmentedButton});
    mLineJoinSegmentedButton = new pf::SegmentedControl;
    mLineJoinSegmentedButton->setSegmentCount(3);
    const QStringList joins = {tr("Mitre"), tr("Round"), tr("Bevel")};
    for (int i = 0; i < 3; ++i) {
        mLineJoinSegmentedButton->setLabel(joins[i], i);
        mLineJoinSegmentedButton->setTag(i, i);
    }
    mLineJoinSegmentedButton->setTarget(this);
    mLineJoinSegmentedButton->setAction(QStringLiteral("lineJoinAction:"));
    // Segments as wide as their labels, sharing whatever the row has besides.
    mLineJoinSegmentedButton->setFixedHeight(22);
    mLineJoinSegmentedButton->sizeToFit();
    mLineJoinSegmentedButton->setMinimumWidth(int(std::ceil(mLineJoinSegmentedButton->frame().width())));
    addWrappedRow(view, tr("Joins:"), {mLineJoinSegmentedButton});

    mLateralOffsetTextField = numberField(this, QStringLiteral("lateralOffsetAction:"), decimalFormatter(2));
    mLateralOffsetStepper = stepper(this, QStringLiteral("lateralOffsetAction:"), 0.5);
    addRow(view, tr("Offset:"), {mLateralOffsetTextField, mLateralOffsetStepper});
    mClippingPopUpButton = taggedPopUp(this, QStringLiteral("clipAction:"),
                                       {{tr("No Clipping"), PWStroke::ClipNone},
                                        {tr("Outside Only"), PWStroke::ClipOutside},
                                        {tr("Inside Only"), PWStroke::ClipInside}});
    // Its longest choice is too wide for the column beside the captions.
    addWrappedRow(view, tr("Clipping:"), {mClippingPopUpButton});

    mShadowEnableCheckbox = checkBox(tr("Shadow"), this, QStringLiteral("shadowEnabledAction:"));
    addRow(view, {}, {mShadowEnableCheckbox});
    mShadowEditor->embedInView(view);
    mShadowEditor->setShadowControlsEnabled(false);

    for (QWidget* control : std::initializer_list<QWidget*>{
             mStrokeWidthStepper, mStrokeWidthTextField, mStrokeWidthPopUpButton, mStrokeColourWell, mLineCapSegmentedButton,
             mLineJoinSegmentedButton, mLateralOffsetStepper, mLateralOffsetTextField, mClippingPopUpButton,
             mDashPopUpButton, mShadowEnableCheckbox})
        addLockControl(control);
    addLengthField(mStrokeWidthTextField);
    addLengthField(mLateralOffsetTextField);
    initialiseStrokeWidthMenu(mStrokeWidthPopUpButton->menu());
}

pf::Ref<pf::Menu> VNQLStyleEditSub_PWStroke::createDashMenu(pf::Reflective* target, const QString& action)
{
    pf::Ref<pf::Menu> menu = pf::Menu::make(tr("Dashes"));
    QImage solid(64, 20, QImage::Format_ARGB32_Premultiplied);
    solid.fill(Qt::transparent);
    {
        QPainter painter(&solid);
        painter.setPen(QPen(Qt::black, 3, Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(QPointF(0, 10), QPointF(64, 10));
    }
    pf::Ref<pf::MenuItem> item = pf::MenuItem::make(tr("Solid Line"), action);
    item->setTag(kSolidLineTag);
    item->setImage(templateIcon(solid));
    item->setTarget(target);
    menu->addItem(item);
    for (const pf::Ref<PWStrokeDash>& dash : PWStrokeDash::registeredDashes()) {
        pf::Ref<pf::MenuItem> dashItem = pf::MenuItem::make(QString(), action);
        dashItem->setTag(kRegisteredDashTag);
        dashItem->setRepresentedObject(pf::toVariant(dash));
        dashItem->setImage(templateIcon(dash->dashSwatchImageWithSize(QSizeF(64, 20), 3)));
        dashItem->setTarget(target);
        menu->addItem(dashItem);
    }
    menu->addItem(pf::MenuItem::separator());
    pf::Ref<pf::MenuItem> custom = pf::MenuItem::make(tr("Custom..."), action);
    custom->setTag(kCustomDashTag);
    custom->setTarget(target);
    menu->addItem(custom);
    return menu;
}

void VNQLStyleEditSub_PWStroke::initialiseDashMenu()
{
    if (mDashPopUpButton)
        mDashPopUpButton->setMenu(createDashMenu(this, QStringLiteral("dashMenuAction:")));
}

// --- Actions ------------------------------------------------------------------------------------

void VNQLStyleEditSub_PWStroke::strokeWidthAction(const QVariant& sender) { write(sender, QStringLiteral("width")); }

void VNQLStyleEditSub_PWStroke::strokeWidthMenuAction(const QVariant& sender)
{
    const int tag = selectedTag(sender);
    if (tag > 0)
        setCommonValue(tag / 10.0, QStringLiteral("width"));
    else if (tag == kOtherWidthTag && mStrokeWidthTextField)
        mStrokeWidthTextField->selectText();
}

void VNQLStyleEditSub_PWStroke::strokeColourAction(const QVariant& sender)
{
    if (auto* well = qobject_cast<pf::ColorWell*>(pf::Control::fromSender(sender)))
        setCommonValue(pw::renderers::colourToVariant(well->color()), QStringLiteral("colour"));
}

pf::Ref<pf::MenuItem> VNQLStyleEditSub_PWStroke::dashMenuItemOfSender(const QVariant& sender)
{
    pf::Ref<pf::MenuItem> item = pf::objectCast<pf::MenuItem>(sender);
    if (!item)
        if (auto* popUp = qobject_cast<pf::PopUpButton*>(pf::Control::fromSender(sender)); popUp && popUp->selectedItem())
            item = std::static_pointer_cast<pf::MenuItem>(popUp->selectedItem()->shared_from_this());
    return item;
}

void VNQLStyleEditSub_PWStroke::dashMenuAction(const QVariant& sender)
{
    pf::Ref<pf::MenuItem> item = dashMenuItemOfSender(sender);
    if (!item)
        return;
    if (item->tag() == kCustomDashTag) {
        openDashEditor();
        return;
    }
    // The stroke gets its own copy: the saved dash stays as it is whatever the stroke does.
    pf::Ref<PWStrokeDash> dash = pf::objectCast<PWStrokeDash>(item->representedObject());
    setCommonValue(dash ? pf::toVariant(dash->copy()) : QVariant(), QStringLiteral("dash"));
}

void VNQLStyleEditSub_PWStroke::lineCapAction(const QVariant& sender)
{
    if (const int index = selectedTag(sender); index >= 0)
        setCommonValue(index, QStringLiteral("lineCapStyle"));
}

void VNQLStyleEditSub_PWStroke::lineJoinAction(const QVariant& sender)
{
    if (const int index = selectedTag(sender); index >= 0)
        setCommonValue(index, QStringLiteral("lineJoinStyle"));
}

void VNQLStyleEditSub_PWStroke::lateralOffsetAction(const QVariant& sender) { write(sender, QStringLiteral("lateralOffset")); }

void VNQLStyleEditSub_PWStroke::shadowEnabledAction(const QVariant& sender)
{
    auto* box = qobject_cast<pf::Button*>(pf::Control::fromSender(sender));
    const bool on = box ? box->state() == pf::ControlState::On : pf::variantToBool(sender);
    setCommonValue(on ? pf::toVariant(PWStyle::defaultShadow()) : QVariant(), QStringLiteral("shadow"));
}

void VNQLStyleEditSub_PWStroke::clipAction(const QVariant& sender)
{
    const int tag = selectedTag(sender);
    if (tag != INT_MIN)
        setCommonValue(tag, QStringLiteral("clipping"));
}

// --- Values in ----------------------------------------------------------------------------------

std::optional<int> VNQLStyleEditSub_PWStroke::strokeWidthTagForWidth(double width)
{
    // A width picked from the menu (tag / 10) must find its item again despite rounding.
    const double tenths = std::floor(width * 10.0 + 1e-9);
    if (!std::isfinite(tenths) || tenths < double(INT_MIN) || tenths > double(INT_MAX))
        return std::nullopt;
    return int(tenths);
}

void VNQLStyleEditSub_PWStroke::setWidth(const QVariant& value)
{
    VNQLPaneControls::showNumber(mStrokeWidthTextField, mStrokeWidthStepper, value);
    if (!mStrokeWidthPopUpButton)
        return;
    const double width = value.toDouble();
    const std::optional<int> tag = strokeWidthTagForWidth(width);
    pf::Menu* menu = mStrokeWidthPopUpButton->menu();
    pf::MenuItem* other = menu->itemWithTag(kOtherWidthTag);
    if (tag && *tag > 0 && menu->itemWithTag(*tag)) {
        mStrokeWidthPopUpButton->selectItemWithTag(*tag);
        if (other)
            other->setTitle(tr("Other"));
    } else if (other) {
        other->setTitle(QString::asprintf("%s (%.1fpt)", qPrintable(tr("Other")), width));
        mStrokeWidthPopUpButton->selectItem(other);
    }
}

void VNQLStyleEditSub_PWStroke::setColour(const QVariant& value)
{
    if (mStrokeColourWell)
        mStrokeColourWell->setColor(pf::isNilOrNull(value) ? pf::Color::clear()
                                                           : pw::renderers::colourFromVariant(value, QStringLiteral("stroke colour")));
}

void VNQLStyleEditSub_PWStroke::setLineCapStyle(const QVariant& value)
{
    if (mLineCapSegmentedButton)
        mLineCapSegmentedButton->selectSegmentWithTag(value.toInt());
}

void VNQLStyleEditSub_PWStroke::setLineJoinStyle(const QVariant& value)
{
    if (mLineJoinSegmentedButton)
        mLineJoinSegmentedButton->selectSegmentWithTag(value.toInt());
}

void VNQLStyleEditSub_PWStroke::showDash(pf::PopUpButton* popUp, const QVariant& value)
{
    if (!popUp)
        return;
    pf::Ref<PWStrokeDash> dash = pf::objectCast<PWStrokeDash>(value);
    if (!dash || !dash->isValid()) {
        popUp->selectItemWithTag(kSolidLineTag);
        return;
    }
    for (pf::MenuItem* item : popUp->itemArray()) {
        pf::Ref<PWStrokeDash> listed = pf::objectCast<PWStrokeDash>(item->representedObject());
        if (listed && listed->isEqualToDash(dash.get())) {
            popUp->selectItem(item);
            return;
        }
    }
    popUp->selectItemWithTag(kCustomDashTag);
}

void VNQLStyleEditSub_PWStroke::setDash(const QVariant& value)
{
    showDash(mDashPopUpButton, value);
}

void VNQLStyleEditSub_PWStroke::setLateralOffset(const QVariant& value)
{
    VNQLPaneControls::showNumber(mLateralOffsetTextField, mLateralOffsetStepper, value);
}

void VNQLStyleEditSub_PWStroke::setShadow(const QVariant& value)
{
    pf::Ref<pf::Shadow> shadow = pf::objectCast<pf::Shadow>(value);
    if (mShadowEditor->representedComponent() != shadow)
        mShadowEditor->setRepresentedComponent(shadow);
    mShadowEditor->setShadowControlsEnabled(shadow && !locked() && enabled());
    if (mShadowEnableCheckbox)
        mShadowEnableCheckbox->setState(shadow ? pf::ControlState::On : pf::ControlState::Off);
}

void VNQLStyleEditSub_PWStroke::setClipping(const QVariant& value)
{
    selectTag(mClippingPopUpButton, value.toInt());
}

bool VNQLStyleEditSub_PWStroke::hasShadow() const
{
    PWStroke* current = stroke();
    return current && current->shadow() != nullptr;
}

void VNQLStyleEditSub_PWStroke::setStatesForLock(bool isLocked, bool isEnabled)
{
    enableLockControls(isEnabled && !isLocked);
    mShadowEditor->setShadowControlsEnabled(!isLocked && hasShadow() && isEnabled);
}

void VNQLStyleEditSub_PWStroke::changeUnitsConversionFactorTo(double factor, const QString& units)
{
    updateLengthFields(factor, units);
    if (mStrokeWidthPopUpButton)
        initialiseStrokeWidthMenu(mStrokeWidthPopUpButton->menu());
}

// --- Dash editor --------------------------------------------------------------------------------

void VNQLStyleEditSub_PWStroke::openDashEditor()
{
    PWStroke* current = stroke();
    if (!current)
        return;
    if (!mDashEditor)
        mDashEditor = std::make_shared<RVDashEditor>();
    if (mDashEditor->isOpen())
        return;
    mDashEditor->setDash(current->dash());
    mDashEditor->openDashEditorInParentWindow(windowForSheet(), this);
    mDashEditor->setLineWidth(current->width());
    mDashEditor->setLineCapStyle(current->lineCapStyle());
    mDashEditor->setLineJoinStyle(current->lineJoinStyle());
    mDashEditor->setLineColour(current->colour());
}

void VNQLStyleEditSub_PWStroke::dashDidChange(RVDashEditor& editor)
{
    PWStroke* current = stroke();
    if (!current)
        return;
    // A new dash object each time: the stroke ignores a dash equal to the one it holds, so
    // handing it the editor's (changing) copy would show only the first change.
    current->setDash(editor.finishedDash());
}

void VNQLStyleEditSub_PWStroke::dashEditorDidRegisterDash(RVDashEditor&, const pf::Ref<PWStrokeDash>& dash)
{
    initialiseDashMenu();
    setDash(pf::toVariant(dash));
}

void VNQLStyleEditSub_PWStroke::drawBackgroundForDashStroke(pf::BezierPath& path)
{
    PWStroke* current = stroke();
    PWRastGroup* container = current ? current->container() : nullptr;
    auto* root = container ? dynamic_cast<PWRastGroup*>(container->root()) : nullptr;
    if (!root)
        return;
    const QList<pf::Ref<PWStroke>> strokes = root->renderersOfClass<PWStroke>();
    qsizetype index = -1;
    for (qsizetype i = 0; i < strokes.size(); ++i)
        if (strokes[i].get() == current)
            index = i;
    if (strokes.size() < 2 || index <= 0)
        return;
    for (qsizetype i = 0; i < index; ++i) {
        path.setLineWidth(strokes[i]->width());
        strokes[i]->renderPath(path);
    }
}

// --- Shadow sub-pane ------------------------------------------------------------------------------

void VNQLStyleEditSub_PWStroke::shadowWillChange()
{
    PWStroke* current = stroke();
    if (!current || m_shadowChangeOpen)
        return;
    m_shadowChangeOpen = current->notifyWillChange(QStringLiteral("shadow"));
}

void VNQLStyleEditSub_PWStroke::shadowDidChange()
{
    PWStroke* current = stroke();
    if (!current || !m_shadowChangeOpen)
        return;
    m_shadowChangeOpen = false;
    current->notifyDidChange(QStringLiteral("shadow"));
}
