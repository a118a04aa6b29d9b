// The Style tab's header and pane stack: building the stack for a style, observing the style,
// units, collapse memory and renaming.
#include "styleeditor/VNQLStyleEditorController.h"

#include "styleeditor/VNQLStyleComponentController.h"
#include "styleeditor/VNQLStyleComponentPlaceholder.h"

#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/support/RVLog.h"
#include "frameworks/penwork/support/RVUndoManager.h"
#include "library/PWXLibrary.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/Markers.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/foundation/Variant.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/PopUpButton.h"
#include "platform/ui/Stepper.h"
#include "platform/ui/TextField.h"
#include "platform/ui/Window.h"
#include "widgets/Color+VNQLApplicationColors.h"
#include "widgets/RVCollapsibleContainerView.h"

#include <QCoreApplication>
#include <QPainter>

#include <cmath>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("VNQLStyleEditorController", text);
}

int g_styleContext = 0;

pf::Ref<pf::Image> groupEffectIcon()
{
    QImage image(14, 14, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(80, 80, 80), 1.0));
    painter.drawRect(QRectF(1.5, 1.5, 8, 8));
    painter.drawRect(QRectF(4.5, 4.5, 8, 8));
    painter.end();
    return pf::Image::fromQImage(image);
}

} // namespace

QStringList VNQLStyleEditorController::styleObservingKeypaths()
{
    return {QStringLiteral("name"), QStringLiteral("opacity"), QStringLiteral("isStyleRegistered"),
            QStringLiteral("locked"), QStringLiteral("styleSharable"), QStringLiteral("renderList")};
}

// --- Building the stack ----------------------------------------------------------------------

void VNQLStyleEditorController::tearDownUIIfNeeded()
{
    for (const pf::Ref<VNQLStyleComponentController>& pane : std::as_const(mSubControllers))
        detachPane(pane.get());
    // The views go with their containers; the panes may still be running a call of theirs.
    const QList<pf::Ref<VNQLStyleComponentController>> old = mSubControllers;
    mSubControllers.clear();
    if (mStyleComponentStackView)
        mStyleComponentStackView->removeAllContentViews();
    pf::RunLoop::main().perform([old] {}, 0);
}

void VNQLStyleEditorController::detachPane(VNQLStyleComponentController* pane)
{
    if (!pane)
        return;
    pane->unloadContent();
    pane->setDataSource(nullptr);
    pane->setStyleEditorController(nullptr);
    pane->setHostingView(nullptr);
}

void VNQLStyleEditorController::buildUIForStyle(const pf::Ref<PWStyle>& style)
{
    PF_ASSERT(style, "unexpected object where style should be");
    ++m_buildCount;
    if (!isViewLoaded())
        view();
    setRenamingMode(false);
    tearDownUIIfNeeded();
    showStyleInPreview(style);

    QString line = tr("Ad-Hoc Style");
    bool libraryEditable = true;
    if (style->isStyleRegistered()) {
        if (pf::Ref<PWXLibrary> library = PWXLibrary::libraryContainingItemWithUniqueID(style->uniqueKey())) {
            line = QStringLiteral("%1 \u201c%2\u201d").arg(tr("In Library"), library->name());
            libraryEditable = library->allowsContentChanges();
        }
    }
    const bool textOnly = style->isPureTextStyle();
    if (textOnly)
        line = QStringLiteral("%1 (%2)").arg(line, tr("Text Only"));
    if (mLockedLibraryIconView)
        mLockedLibraryIconView->setHidden(libraryEditable);
    if (mLibraryInfoTextView)
        mLibraryInfoTextView->setStringValue(line);
    for (QWidget* control : std::initializer_list<QWidget*>{mResetButton, mCloneButton, mActionMenuPopUp})
        if (control)
            VNQLStyleComponentController::setControlEnabled(control, true);
    for (QWidget* control : std::initializer_list<QWidget*>{mComponentMenuPopUp, mSharedCheckbox, mSharedIconView,
                                                           mEditableCheckbox, mEditableIconView})
        if (control)
            VNQLStyleComponentController::setControlEnabled(control, libraryEditable);
    if (mComponentMenuPopUp)
        mComponentMenuPopUp->setHidden(textOnly);

    if (mStyleComponentStackView)
        buildUIForStyleGroup(style.get(), mStyleComponentStackView, nullptr);
    setShowsDrawingUnits(m_displaysDrawingUnits);
    fitStackToContent();
    if (!style->undoManager())
        style->setUndoManager(undoManager());
}

void VNQLStyleEditorController::buildUIForStyleGroup(PWRastGroup* group, RVCollapsibleContainerView* parentContainer,
                                                     VNQLStyleComponentController* parentController)
{
    PF_ASSERT(parentContainer, "no parent view for building group UI for %s", group ? qPrintable(group->description()) : "nil");
    PF_ASSERT(group, "expected valid style group");
    PF_ASSERT(group->isKindOf(PWRastGroup::staticClass()), "expected valid rast group");
    const QList<pf::Ref<PWRasterizer>> renderers = group->renderList();
    for (auto it = renderers.crbegin(); it != renderers.crend(); ++it) {
        PWRasterizer* renderer = it->get();
        auto* container = new RVCollapsibleContainerView(QRectF(0, 0, 100, 20));
        container->setTitle(renderer->displayName());
        container->setAllowsReordering(true);
        container->setCloseButton(RVCollapsibleContainerView::closeButton());
        container->setTitleBarStyle(2);
        parentContainer->addViewToContent(container);
        container->setDelegate(this);

        const QString nibName = subcontrollerNibNameForComponentClass(renderer->className());
        const pf::Class* cls = pf::Class::named(nibName);
        pf::Ref<VNQLStyleComponentController> pane;
        if (cls && cls->isSubclassOf(VNQLStyleComponentController::staticClass()))
            pane = std::dynamic_pointer_cast<VNQLStyleComponentController>(cls->create());
        if (!pane)
            pane = std::make_shared<VNQLStyleComponentPlaceholder>();
        PF_ASSERT(pane->view(), "subcontroller has no assigned view. This is an error.");

        const bool collapsed = pf::variantToBool(mStackCollapseStates.value(pane->nibName()));
        mTempRasterizer = renderer;
        pane->setStyleEditorController(this);
        pane->setHostingView(container);
        container->setCollapsed(collapsed);
        if (pf::Button* check = container->titleCheckbox()) {
            check->setTarget(pane.get());
            check->setAction(QStringLiteral("enabledAction:"));
            check->setToolTip(tr("Enable Component"));
        }
        pane->setDataSource(this);
        pane->content();
        mTempRasterizer = nullptr;

        mSubControllers.append(pane);
        if (parentController)
            parentController->addSubcontroller(pane.get());
        if (auto* paneView = qobject_cast<pf::View*>(pane->view()))
            container->addViewToContent(paneView);
        container->setIgnoredViewCount(1);

        if (auto* subgroup = dynamic_cast<PWRastGroup*>(renderer)) {
            buildUIForStyleGroup(subgroup, container, pane.get());
            container->setAllowsDragsFromOtherViews(true);
            parentContainer->setAllowsDragsFromOtherViews(true);
            container->setTitleBarColour(VNQLWindowBackgroundColour().shadowWithLevel(0.1));
            container->setAuxiliaryIcon(groupEffectIcon());
        }
    }
}

void VNQLStyleEditorController::fitStackToContent()
{
    if (!mStyleComponentStackView)
        return;
    mStyleComponentStackView->arrangeSubviews();
    double bottom = 0;
    for (pf::View* view : mStyleComponentStackView->hostedViews())
        bottom = std::max(bottom, view->frame().bottom());
    mStyleComponentStackView->setMinimumHeight(int(std::ceil(bottom + mStyleComponentStackView->titleBarHeight() + 8)));
}

void VNQLStyleEditorController::rebuildUI()
{
    if (m_pendingRebuild)
        pf::RunLoop::main().cancel(m_pendingRebuild);
    const std::weak_ptr<void> alive = livenessToken();
    const pf::Weak<PWStyle> wanted = style();
    m_pendingRebuild = pf::RunLoop::main().perform(
        [this, alive, wanted] {
            if (alive.expired())
                return;
            m_pendingRebuild = 0;
            // The tab may show another style by now: that one was built when it came.
            pf::Ref<PWStyle> target = wanted.lock();
            if (target && target == style())
                buildUIForStyle(target);
        },
        0);
}

VNQLStyleComponentController* VNQLStyleEditorController::subcontrollerForComponent(const PWRasterizer* renderer) const
{
    for (const auto& pane : mSubControllers)
        if (pane->representedComponent().get() == renderer)
            return pane.get();
    return nullptr;
}

VNQLStyleComponentController* VNQLStyleEditorController::subcontrollerForView(const QWidget* view) const
{
    for (const auto& pane : mSubControllers)
        if (pane->isViewLoaded() && pane->view() == view)
            return pane.get();
    return nullptr;
}

VNQLStyleComponentController* VNQLStyleEditorController::subcontrollerForHostingView(const RVCollapsibleContainerView* view) const
{
    for (const auto& pane : mSubControllers)
        if (pane->hostingView() == view)
            return pane.get();
    return nullptr;
}

void VNQLStyleEditorController::removeComponentController(VNQLStyleComponentController* pane)
{
    if (pane && pane->isViewLoaded() && mStyleComponentStackView)
        if (auto* view = qobject_cast<pf::View*>(pane->view()))
            mStyleComponentStackView->removeViewFromContent(view);
}

QList<pf::Ref<pf::Object>> VNQLStyleEditorController::selectedContentForObjectController(VNQLGenericObjectController*)
{
    if (!mTempRasterizer)
        return {};
    return {std::static_pointer_cast<pf::Object>(mTempRasterizer->shared_from_this())};
}

pf::UndoManager* VNQLStyleEditorController::undoManager() const
{
    PWDrawing* current = drawing();
    return current ? current->undoManager() : nullptr;
}

// --- Observing the style -----------------------------------------------------------------------

void VNQLStyleEditorController::startObserving(const pf::Ref<PWStyle>& style)
{
    if (!style)
        return;
    m_startingObservation = true;
    for (const QString& keyPath : styleObservingKeypaths()) {
        try {
            style->addObserver(this, keyPath, pf::ObservingNew | pf::ObservingInitial, &g_styleContext);
        } catch (const pf::Exception&) {
            RVLog(kReactiveEvent, QStringLiteral("an error ocurred registering for KVO on -[%1 %2] '%3'")
                                      .arg(style->className(), keyPath, style->name()));
        }
    }
    m_startingObservation = false;
}

void VNQLStyleEditorController::stopObserving(const pf::Ref<PWStyle>& style)
{
    if (!style)
        return;
    for (const QString& keyPath : styleObservingKeypaths()) {
        try {
            style->removeObserver(this, keyPath, &g_styleContext);
        } catch (const pf::Exception&) {
            RVLog(kReactiveEvent, QStringLiteral("an error occurred removing observer for '%1'").arg(keyPath));
        }
    }
}

void VNQLStyleEditorController::observeValueForKeyPath(const QString& keyPath, pf::Reflective* object,
                                                       const QVariantMap&, void* context)
{
    if (context == &g_styleContext) {
        bool known = false;
        for (const auto& shown : std::as_const(mStyleList))
            known = known || shown.get() == object;
        if (!known)
            return;
        const QString key = keyPath.section(QLatin1Char('.'), -1);
        const QVariant value = commonValueForKeyPath(key);
        if (pf::isMultipleValuesMarker(value))
            multipleStylesSelected();
        else if (respondsTo(pf::setterSelector(key)))
            setValueForKey(value, key);
        return;
    }
    if (keyPath == QLatin1String("style")) {
        // An object of the selection changed its style: show the selection's styles again.
        setContentFromSelectedStyles();
    }
}

QVariant VNQLStyleEditorController::commonValueForKeyPath(const QString& keyPath) const
{
    PF_ASSERT(styleObservingKeypaths().contains(keyPath), "keyPath '%s' used as getter not present in -styleObservingKeypaths",
              qPrintable(keyPath));
    QVariant common;
    for (const pf::Ref<PWStyle>& style : mStyleList) {
        QVariant value;
        try {
            value = style->valueForKeyPath(keyPath);
        } catch (const pf::Exception&) {
            return pf::notApplicableMarker();
        }
        if (!common.isValid())
            common = value;
        else if (!pf::isEqual(common, value))
            return pf::multipleValuesMarker();
    }
    return common;
}

void VNQLStyleEditorController::setCommonValue(const QVariant& value, const QString& keyPath)
{
    for (const pf::Ref<PWStyle>& style : std::as_const(mStyleList))
        style->setValueForKeyPath(value, keyPath);
}

// --- Header setters ----------------------------------------------------------------------------

void VNQLStyleEditorController::setName(const QVariant& name)
{
    if (mStyleNameTextView)
        mStyleNameTextView->setStringValue(pf::isNilOrNull(name) ? QString() : name.toString());
}

void VNQLStyleEditorController::setOpacity(const QVariant& opacity)
{
    if (mMasterOpacityTextField)
        mMasterOpacityTextField->setDoubleValue(opacity.toDouble());
    if (mMasterOpacityStepper)
        mMasterOpacityStepper->setDoubleValue(opacity.toDouble());
}

void VNQLStyleEditorController::setLocked(const QVariant& value)
{
    const bool locked = pf::variantToBool(value) || styleInLockedLibrary();
    if (mEditableCheckbox)
        mEditableCheckbox->setState(locked ? pf::ControlState::Off : pf::ControlState::On);
    setStateIcon(mEditableIconView, locked ? QStringLiteral("VNST_editable-OFF-Template") : QStringLiteral("VNST_editable"),
                 &m_editableIconName);
    for (QWidget* control : std::initializer_list<QWidget*>{mSharedCheckbox, mMasterOpacityStepper, mMasterOpacityTextField,
                                                           mComponentMenuPopUp})
        if (control)
            VNQLStyleComponentController::setControlEnabled(control, !locked);
    for (const auto& pane : std::as_const(mSubControllers))
        pane->setLocked(locked);
}

void VNQLStyleEditorController::setStyleSharable(const QVariant& value)
{
    const bool on = pf::variantToBool(value);
    if (mSharedCheckbox)
        mSharedCheckbox->setState(on ? pf::ControlState::On : pf::ControlState::Off);
    setStateIcon(mSharedIconView, on ? QStringLiteral("VNST_global-style-ON") : QStringLiteral("VNST_global-style-OFF"),
                 &m_sharedIconName);
}

void VNQLStyleEditorController::setRenderList(const QVariant&)
{
    if (!m_startingObservation)
        rebuildUI();
}

void VNQLStyleEditorController::styleSharingChanged(const pf::Notification&)
{
    const bool enabled = PWStyle::styleSharingEnabled();
    if (mSharedCheckbox)
        mSharedCheckbox->setVisible(enabled);
    if (mSharedIconView)
        mSharedIconView->setVisible(enabled);
    if (enabled && style())
        setStyleSharable(style()->styleSharable());
}

// --- Units ---------------------------------------------------------------------------------------

void VNQLStyleEditorController::setShowsDrawingUnits(bool shows)
{
    m_displaysDrawingUnits = shows;
    double factor = 1.0;
    QString units = QStringLiteral("pt");
    // Before a drawing is set there is no unit to convert to: points until then.
    if (PWDrawing* current = drawing(); shows && current) {
        const double toPoints = current->unitToPointsConversionFactor();
        if (std::isfinite(toPoints) && toPoints > 0) {
            factor = 1.0 / toPoints;
            units = current->abbreviatedDrawingUnits();
        }
    }
    changeUnitsConversionFactorTo(factor, units);
    pf::UserDefaults::standard().setBool(shows, kVNQLStyleEditorShowsDrawingUnits);
}

void VNQLStyleEditorController::changeUnitsConversionFactorTo(double factor, const QString& units)
{
    m_unitsFactor = factor;
    m_units = units;
    for (const auto& pane : std::as_const(mSubControllers))
        pane->changeUnitsConversionFactorTo(factor, units);
}

void VNQLStyleEditorController::drawingUnitsChanged(const pf::Notification&)
{
    setShowsDrawingUnits(m_displaysDrawingUnits);
}

// --- Collapse memory -------------------------------------------------------------------------------

void VNQLStyleEditorController::containerViewDidCollapse(RVCollapsibleContainerView& container)
{
    const QList<pf::View*> hosted = container.hostedViews();
    if (VNQLStyleComponentController* pane = hosted.isEmpty() ? nullptr : subcontrollerForView(hosted.first())) {
        mStackCollapseStates.insert(pane->nibName(), 1);
        pf::UserDefaults::standard().setObject(mStackCollapseStates, kVNQLStyleEditorCollapseState);
    }
    fitStackToContent();
}

void VNQLStyleEditorController::containerViewDidUncollapse(RVCollapsibleContainerView& container)
{
    const QList<pf::View*> hosted = container.hostedViews();
    if (VNQLStyleComponentController* pane = hosted.isEmpty() ? nullptr : subcontrollerForView(hosted.first())) {
        mStackCollapseStates.insert(pane->nibName(), 0);
        pf::UserDefaults::standard().setObject(mStackCollapseStates, kVNQLStyleEditorCollapseState);
    }
    fitStackToContent();
}

// --- Renaming ---------------------------------------------------------------------------------------

void VNQLStyleEditorController::setRenamingMode(bool active)
{
    if (!mStyleNameTextView)
        return;
    if (active && !m_renamingModeActive) {
        mStyleNameTextView->setEditable(true);
        mStyleNameTextView->setSelectable(true);
        mStyleNameTextView->setBezeled(true);
        mStyleNameTextView->selectText();
        m_renamingModeActive = true;
    } else if (!active && m_renamingModeActive) {
        mStyleNameTextView->setEditable(false);
        mStyleNameTextView->setSelectable(false);
        mStyleNameTextView->setBezeled(false);
        m_renamingModeActive = false;
    }
}

void VNQLStyleEditorController::handleNameDoubleClick()
{
    renameAction({});
}
