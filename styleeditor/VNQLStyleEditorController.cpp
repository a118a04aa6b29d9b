#include "styleeditor/VNQLStyleEditorController.h"

#include "styleeditor/VNQLStyleComponentController.h"
#include "styleeditor/VNQLStyleComponentPlaceholder.h"

#include "frameworks/penwork/drawables/PWDrawableObject.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWObjectDrawingLayer.h"
#include "frameworks/penwork/registries/PWStyleHistory.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "frameworks/penwork/support/RVLog.h"
#include "inspectors/VNQLPaneControls.h"
#include "library/PWXLibrary.h"
#include "library/PWXLibraryGroup.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/Markers.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/foundation/Variant.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Application.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/PopUpButton.h"
#include "platform/ui/Stepper.h"
#include "platform/ui/TextField.h"
#include "platform/ui/Window.h"
#include "widgets/Color+VNQLApplicationColors.h"
#include "widgets/RVCollapsibleContainerView.h"

#include <QCoreApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

PF_DEFINE_CLASS(VNQLStyleEditorController, VNQLTabContentViewController)
{
    using C = VNQLStyleEditorController;
    b.method("setDrawing:", std::function<QVariant(C&, const QVariantList&)>([](C& self, const QVariantList& args) {
                 self.setDrawing(pf::objectCast<PWDrawing>(args.value(0)));
                 return QVariant();
             }));
    b.method("setName:", &C::setName);
    b.method("setOpacity:", &C::setOpacity);
    b.method("setIsStyleRegistered:", &C::setIsStyleRegistered);
    b.method("setLocked:", &C::setLocked);
    b.method("setStyleSharable:", &C::setStyleSharable);
    b.method("setRenderList:", &C::setRenderList);
    b.method("rebuildUI", &C::rebuildUI);
    b.method("addComponentAction:", &C::addComponentAction);
    b.method("addComponentWithTagOfSenderAction:", &C::addComponentWithTagOfSenderAction);
    b.method("pasteComponentAction:", &C::pasteComponentAction);
    b.method("resetStyleAction:", &C::resetStyleAction);
    b.method("cloneStyleAction:", &C::cloneStyleAction);
    b.method("editableAction:", &C::editableAction);
    b.method("sharedAction:", &C::sharedAction);
    b.method("masterOpacityAction:", &C::masterOpacityAction);
    b.method("renameAction:", &C::renameAction);
    b.method("nameFieldAction:", &C::nameFieldAction);
    b.method("addToLibraryAction:", &C::addToLibraryAction);
    b.method("revealInLibraryAction:", &C::revealInLibraryAction);
    b.method("resetStyleNumberingAction:", &C::resetStyleNumberingAction);
    b.method("defaultLibrarySelectAction:", &C::defaultLibrarySelectAction);
    b.method("collapseAllAction:", &C::collapseAllAction);
    b.method("expandAllAction:", &C::expandAllAction);
    b.method("toggleDrawingUnitsDisplayAction:", &C::toggleDrawingUnitsDisplayAction);
    b.method("styleEditorHelpAction:", &C::styleEditorHelpAction);
    // Read by key by those who hear of a new style (the tools palette and the library picker).
    b.method("style", [](C& self, const QVariantList&) {
        const pf::Ref<PWStyle> style = self.style();
        return style ? pf::toVariant(style) : QVariant();
    });
}

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("VNQLStyleEditorController", text);
}

// The context of the editor's observation of the selection's "style".
int g_selectionContext = 0;

QImage styleTabIcon()
{
    QImage image(20, 20, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(90, 90, 90), 1.4));
    painter.setBrush(QColor(200, 200, 200));
    painter.drawEllipse(QRectF(3.5, 3.5, 13, 13));
    painter.setPen(QPen(QColor(90, 90, 90), 2.5));
    painter.drawArc(QRectF(6, 6, 8, 8), 30 * 16, 120 * 16);
    return image;
}

// The small state icons of the header, drawn here: the names are those the header reports.
pf::Ref<pf::Image> stateIconNamed(const QString& name)
{
    QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool off = name.contains(QLatin1String("OFF"));
    const QColor ink = off ? QColor(150, 150, 150) : QColor(40, 90, 160);
    painter.setPen(QPen(ink, 1.3));
    if (name.startsWith(QLatin1String("VNST_editable"))) {
        painter.drawLine(QPointF(3, 13), QPointF(12, 4));
        painter.drawLine(QPointF(10, 2.5), QPointF(13.5, 6));
        if (off)
            painter.drawLine(QPointF(2, 2), QPointF(14, 14));
    } else if (name.startsWith(QLatin1String("VNST_global"))) {
        painter.drawEllipse(QRectF(2.5, 2.5, 11, 11));
        painter.drawLine(QPointF(2.5, 8), QPointF(13.5, 8));
        painter.drawEllipse(QRectF(5.5, 2.5, 5, 11));
    } else {
        painter.drawRect(QRectF(3.5, 7.5, 9, 6));
        painter.drawArc(QRectF(5, 3, 6, 8), 0, 180 * 16);
    }
    painter.end();
    return pf::Image::fromQImage(image);
}

// Starts renaming on a double click on the name field.
class NameDoubleClickFilter : public QObject {
public:
    NameDoubleClickFilter(VNQLStyleEditorController* editor, QObject* parent) : QObject(parent), m_editor(editor) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonDblClick && m_editor && !m_editor->renamingModeActive()) {
            m_editor->handleNameDoubleClick();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    VNQLStyleEditorController* m_editor;
};

} // namespace

VNQLStyleEditorController::VNQLStyleEditorController(const QString& nibName)
    : VNQLTabContentViewController(nibName.isEmpty() ? kTabIdentifier : nibName)
{
    setTitle(tr("Style"));
    setTabIcon(styleTabIcon());
    setTabTooltip(tr("Style"));
    mStackCollapseStates.insert(QStringLiteral("VNQLStyleEditSub_PWTextAdornment"), 1);
    const QVariant stored = pf::UserDefaults::standard().objectForKey(kVNQLStyleEditorCollapseState);
    if (stored.typeId() == QMetaType::QVariantMap)
        mStackCollapseStates = stored.toMap();
}

VNQLStyleEditorController::~VNQLStyleEditorController()
{
    pf::RunLoop::main().cancelPreviousPerformRequests(this);
    for (quint64 handle : {m_pendingSelection, m_pendingRebuild, m_pendingToolStyle})
        if (handle)
            pf::RunLoop::main().cancel(handle);
    pf::NotificationCenter::defaultCenter().removeObserver(this);
    setSelection({});
    stopObserving(style());
    // The views may outlive the tab (their window owns them): they must not call back.
    for (const auto& pane : std::as_const(mSubControllers))
        if (RVCollapsibleContainerView* container = pane->hostingView())
            container->setDelegate(nullptr);
    if (mStyleComponentStackView)
        mStyleComponentStackView->setDelegate(nullptr);
    tearDownUIIfNeeded();
}

bool VNQLStyleEditorController::styleEditorShowsAdornments()
{
    pf::UserDefaults& defaults = pf::UserDefaults::standard();
    // Adornments are offered unless the user turned them off.
    return defaults.objectForKey(kVNQLStyleEditorShowsAdornments).isValid()
               ? defaults.boolForKey(kVNQLStyleEditorShowsAdornments)
               : true;
}

void VNQLStyleEditorController::setStyleEditorShowsAdornments(bool shows)
{
    pf::UserDefaults::standard().setBool(shows, kVNQLStyleEditorShowsAdornments);
}

QString VNQLStyleEditorController::subcontrollerNibNameForComponentClass(const QString& className)
{
    return kPaneNamePrefix + className;
}

// --- Views ---------------------------------------------------------------------------------------

void VNQLStyleEditorController::loadView()
{
    buildViews();
    pf::NotificationCenter& center = pf::NotificationCenter::defaultCenter();
    auto handler = [this](void (VNQLStyleEditorController::*method)(const pf::Notification&)) {
        return [this, method](const pf::Notification& notification) { (this->*method)(notification); };
    };
    center.addObserver(this, handler(&VNQLStyleEditorController::styleSharingChanged),
                       kPWStyleSharingEnabledChangeNotification, nullptr);
    center.addObserver(this, handler(&VNQLStyleEditorController::libraryContentChanged),
                       kPWXLibraryGroupContentWasChanged, PWXLibraryGroup::userGroup().get());
    center.addObserver(this, handler(&VNQLStyleEditorController::libraryContentChanged), kPWXLibraryDidChangeName, nullptr);
    center.addObserver(this, handler(&VNQLStyleEditorController::toolStyleChanged), kStyleHistoryNewStyleNotification,
                       PWStyleHistory::defaultHistory().get());
    setShowsDrawingUnits(pf::UserDefaults::standard().boolForKey(kVNQLStyleEditorShowsDrawingUnits));
    setStatesForNilContent();
}

void VNQLStyleEditorController::buildViews()
{
    using namespace VNQLPaneControls;
    // A plain widget: its layout alone places the header and the stack.
    auto* root = new QWidget;
    auto* column = new QVBoxLayout(root);
    column->setContentsMargins(6, 6, 6, 6);
    column->setSpacing(4);

    auto* header = new QHBoxLayout;
    mStylePreviewImageWell = new PWXStyleImageView;
    mStylePreviewImageWell->setFixedSize(52, 52);
    header->addWidget(mStylePreviewImageWell);
    auto* titles = new QVBoxLayout;
    mStyleNameTextView = label();
    QFont bold = mStyleNameTextView->font();
    bold.setBold(true);
    mStyleNameTextView->setFont(bold);
    mStyleNameTextView->setTarget(this);
    mStyleNameTextView->setAction(QStringLiteral("nameFieldAction:"));
    mStyleNameTextView->installEventFilter(new NameDoubleClickFilter(this, mStyleNameTextView));
    titles->addWidget(mStyleNameTextView);
    mLibraryInfoTextView = label();
    titles->addWidget(mLibraryInfoTextView);
    auto* icons = new QHBoxLayout;
    for (QPointer<pf::ImageView>* icon : {&mEditableIconView, &mSharedIconView, &mLockedLibraryIconView}) {
        *icon = new pf::ImageView;
        (*icon)->setFixedSize(16, 16);
        icons->addWidget(*icon);
    }
    setStateIcon(mLockedLibraryIconView, QStringLiteral("VNST_locked-library"), nullptr);
    mLockedLibraryIconView->setToolTip(tr("The style's collection cannot be changed"));
    icons->addStretch(1);
    titles->addLayout(icons);
    header->addLayout(titles, 1);
    column->addLayout(header);

    auto* checks = new QHBoxLayout;
    mEditableCheckbox = checkBox(tr("Editable"), this, QStringLiteral("editableAction:"));
    mSharedCheckbox = checkBox(tr("Shared"), this, QStringLiteral("sharedAction:"));
    mEditableCheckbox->setMinimumWidth(96);
    mSharedCheckbox->setMinimumWidth(90);
    checks->addWidget(mEditableCheckbox);
    checks->addWidget(mSharedCheckbox);
    checks->addStretch(1);
    column->addLayout(checks);

    auto* opacityRow = new QHBoxLayout;
    opacityRow->addWidget(label(tr("Opacity:")));
    mMasterOpacityTextField = numberField(this, QStringLiteral("masterOpacityAction:"), decimalFormatter(2));
    mMasterOpacityStepper = stepper(this, QStringLiteral("masterOpacityAction:"), 0.05, 0.0, 1.0);
    opacityRow->addWidget(mMasterOpacityTextField);
    opacityRow->addWidget(mMasterOpacityStepper);
    opacityRow->addStretch(1);
    column->addLayout(opacityRow);

    auto* buttons = new QHBoxLayout;
    mResetButton = pushButton(tr("Reset"), this, QStringLiteral("resetStyleAction:"), tr("Give the selection the default style"));
    mCloneButton = pushButton(tr("Clone"), this, QStringLiteral("cloneStyleAction:"), tr("Give the selection a copy of its style"));
    buttons->addWidget(mResetButton);
    buttons->addWidget(mCloneButton);
    mComponentMenu = makeComponentMenu(true);
    mNoAdornmentsMenu = makeComponentMenu(false);
    mComponentMenuPopUp = new pf::PopUpButton(nullptr, true);
    mComponentMenuPopUp->setMenu(styleEditorShowsAdornments() ? mComponentMenu : mNoAdornmentsMenu);
    // Pull-downs titled by a sign: as wide as that and their arrows, so that the row fits
    // the sidebar's narrowest width beside Reset and Clone.
    fitWidthTo(mComponentMenuPopUp, QStringLiteral("+"));
    mComponentMenuPopUp->setFixedHeight(22);
    mComponentMenuPopUp->setToolTip(tr("Add a component to the style"));
    buttons->addWidget(mComponentMenuPopUp);
    mUserLibrariesListMenu = pf::Menu::make(tr("Default Collection"));
    populateMenuOfUserLibraries(mUserLibrariesListMenu.get());
    mActionMenuPopUp = new pf::PopUpButton(nullptr, true);
    mActionMenuPopUp->setMenu(makeActionMenu());
    mActionMenuPopUp->setMinimumWidth(40);
    mActionMenuPopUp->setFixedHeight(22);
    buttons->addWidget(mActionMenuPopUp);
    buttons->addStretch(1);
    column->addLayout(buttons);

    mStyleComponentStackView = new RVCollapsibleContainerView(QRectF(0, 0, 260, 20));
    mStyleComponentStackView->awakeFromNib();
    mStyleComponentStackView->setDelegate(this);
    mStyleComponentStackView->setBackgroundColour(VNQLWindowBackgroundColour());
    mStyleComponentStackView->setAllowsDragsFromOtherViews(true);
    auto* scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(mStyleComponentStackView);
    column->addWidget(scroll, 1);

    mSharedCheckbox->setVisible(PWStyle::styleSharingEnabled());
    mSharedIconView->setVisible(PWStyle::styleSharingEnabled());
    mLockedLibraryIconView->setHidden(true);
    setView(root);
}

pf::Ref<pf::Menu> VNQLStyleEditorController::makeComponentMenu(bool withAdornments)
{
    pf::Ref<pf::Menu> menu = pf::Menu::make(tr("Add Component"));
    // The pull-down's first item is its title.
    menu->addItem(pf::MenuItem::make(QStringLiteral("+")));
    static const QList<qint64> tags = {0, 1, 16, 9, 22, 12, 6, 7, 11, 13, 18, 17, 8, 3, 5, 14, 15, 19, 2, 10, 4, 20, 21, 26};
    static const QList<qint64> adornments = {3, 5, 8};
    for (qint64 tag : tags) {
        if (!withAdornments && adornments.contains(tag))
            continue;
        const pf::Class* cls = componentClassForStyleComponentTag(tag);
        QString title = cls ? cls->name() : QString::number(tag);
        if (cls) {
            try {
                if (auto renderer = std::dynamic_pointer_cast<PWRasterizer>(cls->create()))
                    title = renderer->displayName();
            } catch (const pf::Exception&) {
            }
        }
        pf::Ref<pf::MenuItem> item = pf::MenuItem::make(title, QStringLiteral("addComponentWithTagOfSenderAction:"));
        item->setTag(int(tag));
        item->setTarget(this);
        menu->addItem(item);
    }
    return menu;
}

pf::Ref<pf::Menu> VNQLStyleEditorController::makeActionMenu()
{
    pf::Ref<pf::Menu> menu = pf::Menu::make(tr("Style"));
    menu->addItem(pf::MenuItem::make(QStringLiteral("\u2699")));
    auto add = [&](const QString& title, const char* action) {
        pf::Ref<pf::MenuItem> item = pf::MenuItem::make(title, QString::fromLatin1(action));
        item->setTarget(this);
        menu->addItem(item);
        return item;
    };
    add(tr("Rename Style"), "renameAction:");
    add(tr("Paste Component"), "pasteComponentAction:");
    menu->addItem(pf::MenuItem::separator());
    add(tr("Reset Style"), "resetStyleAction:");
    add(tr("Clone Style"), "cloneStyleAction:");
    menu->addItem(pf::MenuItem::separator());
    add(tr("Add to Library"), "addToLibraryAction:");
    add(tr("Show in Library"), "revealInLibraryAction:");
    pf::Ref<pf::MenuItem> libraries = pf::MenuItem::make(tr("Default Collection"));
    libraries->setSubmenu(mUserLibrariesListMenu);
    menu->addItem(libraries);
    add(tr("Reset Style Numbering"), "resetStyleNumberingAction:");
    menu->addItem(pf::MenuItem::separator());
    add(tr("Collapse All"), "collapseAllAction:");
    add(tr("Expand All"), "expandAllAction:");
    add(tr("Show Drawing Units"), "toggleDrawingUnitsDisplayAction:");
    menu->addItem(pf::MenuItem::separator());
    add(tr("Style Editor Help"), "styleEditorHelpAction:");
    return menu;
}

void VNQLStyleEditorController::populateMenuOfUserLibraries(pf::Menu* menu)
{
    if (!menu)
        return;
    menu->removeAllItems();
    for (const pf::Ref<PWXLibrary>& library : PWXLibrary::userLibraries()) {
        pf::Ref<pf::MenuItem> item = pf::MenuItem::make(library->name(), QStringLiteral("defaultLibrarySelectAction:"));
        item->setTarget(this);
        item->setRepresentedObject(pf::toVariant(library));
        menu->addItem(item);
    }
}

void VNQLStyleEditorController::libraryContentChanged(const pf::Notification&)
{
    populateMenuOfUserLibraries(mUserLibrariesListMenu.get());
}

void VNQLStyleEditorController::setStateIcon(pf::ImageView* view, const QString& name, QString* keep)
{
    if (keep)
        *keep = name;
    if (view)
        view->setImage(stateIconNamed(name));
}

void VNQLStyleEditorController::showStyleInPreview(const pf::Ref<PWStyle>& style)
{
    if (mStylePreviewImageWell)
        mStylePreviewImageWell->setStyle(style);
}

// --- Drawing and selection ---------------------------------------------------------------------

PWDrawing* VNQLStyleEditorController::drawing() const
{
    return mDrawing.lock().get();
}

void VNQLStyleEditorController::setDrawing(const pf::Ref<PWDrawing>& drawing)
{
    pf::NotificationCenter& center = pf::NotificationCenter::defaultCenter();
    if (PWDrawing* old = this->drawing()) {
        center.removeObserver(this, kPWDrawingActiveLayerDidChange, old);
        center.removeObserver(this, kPWLayerSelectionDidChange);
        center.removeObserver(this, kPWDrawingUnitsDidChangeNotification, old);
    }
    mDrawing = drawing;
    if (drawing)
        observeDrawing(drawing.get());
    if (isViewLoaded())
        setShowsDrawingUnits(m_displaysDrawingUnits);
}

void VNQLStyleEditorController::observeDrawing(PWDrawing* drawing)
{
    pf::NotificationCenter& center = pf::NotificationCenter::defaultCenter();
    center.addObserver(this, [this](const pf::Notification& n) { activeLayerChanged(n); }, kPWDrawingActiveLayerDidChange,
                       drawing);
    center.addObserver(this, [this](const pf::Notification& n) { selectionChanged(n); }, kPWLayerSelectionDidChange, nullptr);
    center.addObserver(this, [this](const pf::Notification& n) { drawingUnitsChanged(n); },
                       kPWDrawingUnitsDidChangeNotification, drawing);
}

void VNQLStyleEditorController::selectionChanged(const pf::Notification& notification)
{
    if (auto* layer = dynamic_cast<PWObjectDrawingLayer*>(notification.object))
        setSelectionFromLayer(layer);
}

void VNQLStyleEditorController::activeLayerChanged(const pf::Notification& notification)
{
    PWDrawing* current = drawing();
    if (!current || notification.object != current)
        return;
    if (auto* layer = dynamic_cast<PWObjectDrawingLayer*>(current->activeLayer().get()))
        setSelectionFromLayer(layer);
}

void VNQLStyleEditorController::setSelectionFromLayer(PWObjectDrawingLayer* layer)
{
    PF_ASSERT(layer, "require layer to be valid");
    if (!drawing() || layer->drawing() != drawing())
        return;
    // A burst of selection changes shows the last one, once, on the next turn.
    if (m_pendingSelection)
        pf::RunLoop::main().cancel(m_pendingSelection);
    QList<pf::Ref<PWDrawableObject>> objects;
    for (const auto& object : layer->selection())
        if (auto drawable = std::dynamic_pointer_cast<PWDrawableObject>(object))
            objects.append(drawable);
    const std::weak_ptr<void> alive = livenessToken();
    m_pendingSelection = pf::RunLoop::main().perform(
        [this, alive, objects] {
            if (alive.expired())
                return;
            m_pendingSelection = 0;
            setSelection(objects);
        },
        0);
}

namespace {
bool sameMembers(const QList<pf::Ref<PWDrawableObject>>& a, const QList<pf::Ref<PWDrawableObject>>& b)
{
    if (a.size() != b.size())
        return false;
    QSet<const PWDrawableObject*> set;
    for (const auto& object : a)
        set.insert(object.get());
    for (const auto& object : b)
        if (!set.contains(object.get()))
            return false;
    return true;
}

void addDistinct(QList<pf::Ref<PWStyle>>& styles, const pf::Ref<PWStyle>& style)
{
    if (style && !styles.contains(style))
        styles.append(style);
}
} // namespace

void VNQLStyleEditorController::setSelection(const QList<pf::Ref<PWDrawableObject>>& objects)
{
    if (m_hasSelectionCache && sameMembers(objects, mSelectionCache))
        return;
    for (const pf::Ref<PWDrawableObject>& object : std::as_const(mSelectionCache)) {
        try {
            object->removeObserver(this, QStringLiteral("style"), &g_selectionContext);
        } catch (const pf::Exception&) {
            RVLog(kReactiveEvent, QStringLiteral("error when stopping observation of style on %1").arg(object->description()));
        }
    }
    mSelectedStyleSet.clear();
    mSelectionCache = objects;
    m_hasSelectionCache = true;
    for (const pf::Ref<PWDrawableObject>& object : objects) {
        addDistinct(mSelectedStyleSet, object->style());
        object->addObserver(this, QStringLiteral("style"), pf::ObservingNew, &g_selectionContext);
    }
    setContent(mSelectedStyleSet);
}

void VNQLStyleEditorController::setContentFromSelectedStyles()
{
    mSelectedStyleSet.clear();
    for (const pf::Ref<PWDrawableObject>& object : std::as_const(mSelectionCache))
        addDistinct(mSelectedStyleSet, object->style());
    setContent(mSelectedStyleSet);
}

void VNQLStyleEditorController::toolStyleChanged(const pf::Notification&)
{
    if (!isInMainWindow())
        return;
    if (m_pendingToolStyle)
        pf::RunLoop::main().cancel(m_pendingToolStyle);
    const std::weak_ptr<void> alive = livenessToken();
    m_pendingToolStyle = pf::RunLoop::main().perform(
        [this, alive] {
            if (alive.expired())
                return;
            m_pendingToolStyle = 0;
            if (pf::Ref<PWStyle> current = PWStyleHistory::currentStyle())
                setContent({current});
        },
        0);
}

bool VNQLStyleEditorController::isInMainWindow() const
{
    if (!isViewLoaded())
        return false;
    auto* self = const_cast<VNQLStyleEditorController*>(this);
    QWidget* window = self->view()->window();
    if (auto* pfWindow = qobject_cast<pf::Window*>(window))
        return pfWindow->isMainWindow();
    return window && window->isActiveWindow();
}

// --- Content ------------------------------------------------------------------------------------

pf::Ref<PWStyle> VNQLStyleEditorController::style() const
{
    return mStyleList.size() == 1 ? mStyleList.last() : nullptr;
}

bool VNQLStyleEditorController::styleIsLocked() const
{
    pf::Ref<PWStyle> shown = style();
    return shown && shown->locked();
}

void VNQLStyleEditorController::setContent(const QList<pf::Ref<PWStyle>>& styles)
{
    if (styles.isEmpty())
        return;
    if (!isViewLoaded())
        view();
    stopObserving(style());
    mStyleList = styles;
    if (styles.size() == 1) {
        buildUIForStyle(styles.first());
        startObserving(styles.first());
    } else {
        tearDownUIIfNeeded();
        setStatesForNilContent();
        multipleStylesSelected();
    }
}

QList<VNQLStyleComponentController*> VNQLStyleEditorController::subcontrollers() const
{
    QList<VNQLStyleComponentController*> list;
    for (const auto& pane : mSubControllers)
        list.append(pane.get());
    return list;
}

void VNQLStyleEditorController::setStatesForNilContent()
{
    showStyleInPreview(nullptr);
    if (mLockedLibraryIconView)
        mLockedLibraryIconView->setHidden(true);
    for (QWidget* control : std::initializer_list<QWidget*>{mEditableCheckbox, mEditableIconView, mSharedCheckbox, mSharedIconView,
                                                           mResetButton, mCloneButton, mMasterOpacityStepper,
                                                           mMasterOpacityTextField, mActionMenuPopUp, mComponentMenuPopUp})
        if (control)
            VNQLStyleComponentController::setControlEnabled(control, false);
    if (mStyleNameTextView)
        mStyleNameTextView->setStringValue(QString());
    if (mLibraryInfoTextView)
        mLibraryInfoTextView->setStringValue(QString());
}

void VNQLStyleEditorController::multipleStylesSelected()
{
    if (mStyleNameTextView)
        mStyleNameTextView->setStringValue(tr("Multiple Styles"));
    if (mLibraryInfoTextView)
        mLibraryInfoTextView->setStringValue(tr("Simplify the selection to edit the style"));
    for (QWidget* control : std::initializer_list<QWidget*>{mSharedCheckbox, mSharedIconView, mEditableCheckbox, mEditableIconView})
        if (control)
            VNQLStyleComponentController::setControlEnabled(control, false);
    if (mResetButton)
        mResetButton->setEnabled(true);
    if (mLockedLibraryIconView)
        mLockedLibraryIconView->setHidden(true);
}

pf::Ref<PWXLibrary> VNQLStyleEditorController::styleLibrary() const
{
    pf::Ref<PWStyle> shown = style();
    if (!shown)
        return nullptr;
    return PWXLibrary::libraryContainingItemWithUniqueID(
        shown->uniqueKey(), {PWXLibraryGroup::kFactoryGroupName, PWXLibraryGroup::kUserGroupName});
}

bool VNQLStyleEditorController::styleInLockedLibrary() const
{
    pf::Ref<PWXLibrary> library = styleLibrary();
    return library && !library->allowsContentChanges();
}
