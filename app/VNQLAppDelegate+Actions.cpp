#include "app/VNQLAppDelegate.h"

#include "app/PWXAboutBox.h"
#include "app/RVCartavelDocument.h"
#include "app/VNQLHelpTrampoline.h"
#include "app/VNQLTemplateDocumentOpener.h"
#include "frameworks/penwork/drawables/PWImageShape.h"
#include "frameworks/penwork/layers/PWDrawing.h"
#include "frameworks/penwork/layers/PWLayer.h"
#include "frameworks/penwork/layers/PWLayerGroup.h"
#include "frameworks/penwork/layers/PWObjectOwnerLayer.h"
#include "frameworks/penwork/registries/PWStyleRegistry.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "platform/graphics/ColorList.h"
#include "frameworks/penwork/support/RVLog.h"
#include "frameworks/penwork/view/PWDrawingView.h"
#include "browsers/RVMediaBrowserController.h"
#include "inspectors/CVLToolsController.h"
#include "library/PWXLibraryManagerWindowController.h"
#include "library/PWXLibraryPickerPaletteController.h"
#include "platform/foundation/UndoManager.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/foundation/Variant.h"
#include "platform/ui/Alert.h"
#include "platform/ui/Application.h"
#include "platform/ui/Bundle.h"
#include "platform/ui/DocumentController.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"
#include "platform/ui/Workspace.h"

#include <QApplication>
#include <QFontDatabase>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QImageReader>
#include <QBuffer>
#include <QPalette>

namespace {

// The maker's web site; the pages' paths are fixed.
const QString kWebSite = QStringLiteral("https://www.quillory.org");

RVCartavelDocument* currentDocument()
{
    pf::DocumentController* controller = pf::DocumentController::sharedIfMade();
    return controller ? dynamic_cast<RVCartavelDocument*>(controller->currentDocument()) : nullptr;
}

// Turns undo registration off for as long as it lives, on every way out.
class UndoRegistrationPause {
public:
    explicit UndoRegistrationPause(pf::UndoManager* manager)
        : m_manager(manager)
    {
        if (m_manager)
            m_manager->disableUndoRegistration();
    }
    ~UndoRegistrationPause()
    {
        if (m_manager)
            m_manager->enableUndoRegistration();
    }
    UndoRegistrationPause(const UndoRegistrationPause&) = delete;
    UndoRegistrationPause& operator=(const UndoRegistrationPause&) = delete;

private:
    pf::UndoManager* m_manager;
};

const QIcon& padlockImage()
{
    static const QIcon image = [] {
        const QImage made = pf::Bundle::main().imageForResource(QStringLiteral("VN_Layer_Locked-Template"));
        return made.isNull() ? QIcon() : QIcon(QPixmap::fromImage(made));
    }();
    return image;
}

const QIcon& layerGroupImage()
{
    static const QIcon image = [] {
        QImage made = pf::Bundle::main().imageForResource(QStringLiteral("VN_Layer_Group-Template"));
        if (made.isNull())
            return QIcon();
        return QIcon(QPixmap::fromImage(made.scaled(24, 24, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    }();
    return image;
}

pf::MenuItemTitleAttributes layerGroupTitleAttributes()
{
    pf::MenuItemTitleAttributes attributes;
    QFont font = QApplication::font();
    font.setBold(true);
    font.setPointSizeF(14.0);
    attributes.font = font;
    attributes.color = QColor(Qt::lightGray);
    return attributes;
}

} // namespace

// --- Windows and palettes ---------------------------------------------------------------------

void VNQLAppDelegate::showLibraryManager(const QVariant& sender)
{
    PWXLibraryManagerWindowController::sharedLibraryManager()->showWindow(sender);
}

void VNQLAppDelegate::openToolPalette()
{
    pf::Ref<CVLToolsController> palette = CVLToolsController::sharedToolsController();
    palette->setDelegate(this);
    palette->showWindow({});
}

void VNQLAppDelegate::showToolPalette(const QVariant&)
{
    pf::Ref<CVLToolsController> palette = CVLToolsController::sharedToolsController();
    if (QWidget* window = palette->window(); window && window->isVisible())
        window->hide();
    else
        openToolPalette();
}

void VNQLAppDelegate::showToolOptionsPalette(const QVariant& sender)
{
    pf::Ref<PWXLibraryPickerPaletteController> picker = PWXLibraryPickerPaletteController::sharedLibraryPicker();
    if (QWidget* window = picker->window(); window && window->isVisible())
        window->hide();
    else
        picker->showWindow(sender);
}

void VNQLAppDelegate::showMediaBrowser(const QVariant& sender)
{
    pf::Ref<RVMediaBrowserController> browser = RVMediaBrowserController::sharedMediaBrowser();
    if (isUserDebugMode())
        browser->resetToFactoryState(sender);
    browser->showWindow(sender);
}

void VNQLAppDelegate::cartavelAboutBox(const QVariant&)
{
    auto box = std::make_shared<PWXAboutBox>();
    box->runModal();
}

// --- Preferences ------------------------------------------------------------------------------

void VNQLAppDelegate::resetPreferences(const QVariant&)
{
    confirmAndDiscardApplicationPreferences();
}

bool VNQLAppDelegate::confirmAndDiscardApplicationPreferences()
{
    auto alert = std::make_shared<pf::Alert>();
    alert->setMessageText(PF_LOCALIZED("Do you really want to reset all preferences?"));
    alert->addButton(PF_LOCALIZED("Reset Preferences"));
    alert->addButton(PF_LOCALIZED("Cancel"));
    alert->setInformativeText(PF_LOCALIZED(
        "This restores everything to its original state as if the application were a new installation. It cannot be "
        "undone, and should only be done if absolutely necessary."));
    if (alert->runModal() != pf::kAlertFirstButtonReturn)
        return false;
    pf::UserDefaults::standard().removePersistentDomainForName(pf::UserDefaults::standard().domainName());
    pf::UserDefaults::resetStandardUserDefaults();
    registerApplicationDefaults();
    // What the program keeps running from the preferences starts again from the defaults, so
    // that quitting does not write the old values back.
    RVCartavelDocument::setDefaultQualityModulation(pf::UserDefaults::standard().boolForKey(kQualityModulationFlagKey));
    m_preferencesDiscarded = true;
    return true;
}

// --- Quitting ---------------------------------------------------------------------------------

void VNQLAppDelegate::shutdownMessage(const QVariant&)
{
    pf::UserDefaults& defaults = pf::UserDefaults::standard();
    if (defaults.boolForKey(kHideQuitAlertKey))
        return;
    pf::Application::beep();
    auto alert = std::make_shared<pf::Alert>();
    alert->setMessageText(PF_LOCALIZED("Quillory Feedback"));
    alert->addButton(PF_LOCALIZED("Quit"));
    alert->addButton(PF_LOCALIZED("Forum..."));
    alert->addButton(PF_LOCALIZED("App Store..."));
    alert->setInformativeText(PF_LOCALIZED(
        "Thanks for using Quillory. If you liked this app, please help spread the word by rating us on the App "
        "Store.\n\nIf you had problems or your expectations were not met, please let us know on our forum so we can "
        "improve Quillory and help you. Your feedback goes directly to the developer and is extremely valuable to us."));
    alert->setShowsSuppressionButton(true);
    const int answer = alert->runModal();
    defaults.setBool(alert->suppressionButton()->isChecked(), kHideQuitAlertKey);
    if (answer == pf::kAlertSecondButtonReturn)
        openURLItemWithIdentifier(1);
    else if (answer == pf::kAlertThirdButtonReturn)
        openURLItemWithIdentifier(26);
}

// --- Help and web pages -----------------------------------------------------------------------

void VNQLAppDelegate::showHelpItemNamed(const QString& identifier)
{
    VNQLHelpTrampoline::sharedHelpTrampoline()->showHelpForIdentifier(identifier);
}

QUrl VNQLAppDelegate::urlForItemWithIdentifier(int tag)
{
    switch (tag) {
    case 1:
        return QUrl(kWebSite + QStringLiteral("/forums/forum/quillory/"));
    case 21:
        return QUrl(kWebSite + QStringLiteral("/quillory/learn-quillory/"));
    case 22:
        return QUrl(kWebSite + QStringLiteral("/quillory/quillory-gallery/"));
    case 23:
        return QUrl(kWebSite + QStringLiteral("/quillory/qlry-user-guide/"));
    case 26:
        // No application store here: the product's page stands in for it.
        return QUrl(kWebSite + QStringLiteral("/quillory/download/"));
    case 27:
        return QUrl(kWebSite + QStringLiteral("/subscribe-to-newsletter"));
    default:
        return QUrl(kWebSite + QStringLiteral("/quillory"));
    }
}

void VNQLAppDelegate::openURLItemWithIdentifier(int tag)
{
    const QUrl url = urlForItemWithIdentifier(tag);
    if (!VNQLHelpTrampoline::sharedHelpTrampoline()->showHelpForURLString(url.toString()))
        RVLog(kInfoEvent, QStringLiteral("could not open %1").arg(url.toString()));
}

// --- Templates and new documents --------------------------------------------------------------

void VNQLAppDelegate::newDocumentFromTemplate(const QVariant&)
{
    pf::Ref<CVLTemplatePickerController> picker = CVLTemplatePickerController::templatePicker();
    picker->setDelegate(this);
    picker->showWindow({});
}

void VNQLAppDelegate::openSelectedTemplateURL(const QUrl& url)
{
    VNQLTemplateDocumentOpener::openTemplateAsUntitledDocument(url, true);
}

pf::Ref<RVCartavelDocument> VNQLAppDelegate::createDocumentWithImageAtURL(const QUrl& url)
{
    RVLog(kFileEvent, QStringLiteral("opening document from image: %1").arg(url.toString()));
    QFile file(url.toLocalFile());
    if (!file.open(QIODevice::ReadOnly)) {
        RVLog(kFileEvent, QStringLiteral("could not read the image %1: %2").arg(url.toString(), file.errorString()));
        return nullptr;
    }
    const QByteArray data = file.readAll();
    // Only an image that decodes to a real size makes a drawing: a 0 x 0 page has nothing to
    // show and nothing to zoom to.
    QBuffer buffer;
    buffer.setData(data);
    QImageReader reader(&buffer);
    const QSize pixels = reader.size();
    if (data.isEmpty() || !pixels.isValid() || pixels.isEmpty()) {
        RVLog(kFileEvent, QStringLiteral("not an image that can be opened: %1").arg(url.toString()));
        return nullptr;
    }
    pf::Ref<PWImageShape> shape = PWImageShape::imageShapeWithImageData(data);
    const QSizeF size = shape ? shape->size() : QSizeF();
    if (!shape || !(size.width() > 0.0) || !(size.height() > 0.0)) {
        RVLog(kFileEvent, QStringLiteral("not an image that can be opened: %1").arg(url.toString()));
        return nullptr;
    }

    pf::DocumentController* controller = pf::DocumentController::shared();
    pf::Error error;
    auto document = std::dynamic_pointer_cast<RVCartavelDocument>(controller->openUntitledDocumentAndDisplay(true, &error));
    if (!document) {
        RVLog(kFileEvent, QStringLiteral("no document for the image, error = %1").arg(error.description()));
        return nullptr;
    }
    {
        UndoRegistrationPause pause(document->ownUndoManager());
        pf::Ref<PWDrawing> drawing = document->drawing();
        auto layer = std::dynamic_pointer_cast<PWLayer>(document->classOfDefaultDrawingLayer().create());
        auto owner = std::dynamic_pointer_cast<PWObjectOwnerLayer>(layer);
        if (drawing && owner) {
            layer->setLayerName(QFileInfo(url.toLocalFile()).completeBaseName());
            drawing->addLayer(layer);
            drawing->moveLayer(layer, drawing->countOfLayers() - 1);
            drawing->setDrawingSize(size);
            shape->setLocation(QPointF(size.width() / 2.0, size.height() / 2.0));
            owner->addObject(shape);
            layer->setLocked(true);
        }
    }
    if (PWDrawingView* view = document->mainView())
        view->zoomFitInWindow({});
    return document;
}

void VNQLAppDelegate::createDocumentWithSVGAtURL(const QUrl& url)
{
    pf::DocumentController::shared()->openDocumentWithContentsOfURL(
        url, true, [](const pf::Ref<pf::Document>& document, bool, const pf::Error& error) {
            if (!document)
                RVLog(kFileEvent, QStringLiteral("SVG document could not be created, error = %1").arg(error.description()));
        });
}

// --- The layer menus --------------------------------------------------------------------------

QList<pf::Ref<PWLayer>> VNQLAppDelegate::flattenedListOfLayersInCurrentDocument() const
{
    RVCartavelDocument* document = currentDocument();
    return document ? document->flattenedListOfLayersAndGroups() : QList<pf::Ref<PWLayer>>();
}

QList<pf::Ref<PWLayer>> VNQLAppDelegate::flattenedListOfDrawingLayersInCurrentDocument() const
{
    RVCartavelDocument* document = currentDocument();
    return document ? document->flattenedListOfDrawingLayersAndGroups() : QList<pf::Ref<PWLayer>>();
}

QList<pf::Ref<PWLayer>> VNQLAppDelegate::flattenedListOfActivateableLayersInCurrentDocument() const
{
    RVCartavelDocument* document = currentDocument();
    return document ? document->flattenedListOfActivateableLayersAndGroups() : QList<pf::Ref<PWLayer>>();
}

void VNQLAppDelegate::setLayerMenus(const pf::Ref<pf::Menu>& layersList, const pf::Ref<pf::Menu>& moveTo)
{
    m_layersListMenu = layersList;
    m_layersListForMoveToMenu = moveTo;
    if (layersList)
        layersList->setDelegate(this);
    if (moveTo)
        moveTo->setDelegate(this);
}

int VNQLAppDelegate::numberOfItemsInMenu(pf::Menu& menu)
{
    if (&menu == m_layersListMenu.lock().get())
        return int(flattenedListOfActivateableLayersInCurrentDocument().size());
    if (&menu == m_layersListForMoveToMenu.lock().get())
        return int(flattenedListOfDrawingLayersInCurrentDocument().size()) + 2;
    return 0;
}

bool VNQLAppDelegate::updateItem(pf::Menu& menu, pf::MenuItem& item, int index, bool shouldCancel)
{
    pf::Ref<PWLayer> layer;
    QString action;
    if (&menu == m_layersListMenu.lock().get()) {
        const QList<pf::Ref<PWLayer>> layers = flattenedListOfActivateableLayersInCurrentDocument();
        layer = index >= 0 && index < layers.size() ? layers.at(index) : nullptr;
        action = QStringLiteral("activateLayerByName:");
    } else if (&menu == m_layersListForMoveToMenu.lock().get()) {
        if (index < 2)
            return !shouldCancel; // the two fixed items stay as they are
        const QList<pf::Ref<PWLayer>> layers = flattenedListOfDrawingLayersInCurrentDocument();
        layer = index - 2 < layers.size() ? layers.at(index - 2) : nullptr;
        action = QStringLiteral("moveSelectionToLayerByName:");
    }
    if (!layer)
        return !shouldCancel;
    const QString name = layer->layerName();
    item.setAttributedTitle(name, {});
    item.setRepresentedObject(pf::toVariant(layer));
    item.setTarget(nullptr);
    item.setIndentationLevel(layer->level());
    if (std::dynamic_pointer_cast<PWLayerGroup>(layer)) {
        // A group only heads its layers: it cannot be chosen.
        item.setAction(QString());
        item.setEnabled(false);
        item.setImage(layerGroupImage());
        item.setState(pf::ControlState::Off);
        item.setAttributedTitle(name, layerGroupTitleAttributes());
    } else {
        item.setAction(action);
        item.setImage(layer->locked() ? padlockImage() : QIcon());
    }
    return !shouldCancel;
}

void VNQLAppDelegate::currentDocumentWillBeDeallocated()
{
    // The menus must not keep the closed document's layers alive, nor offer them.
    for (const pf::Ref<pf::Menu>& menu : {m_layersListMenu.lock(), m_layersListForMoveToMenu.lock()}) {
        if (!menu)
            continue;
        for (const pf::Ref<pf::MenuItem>& item : menu->items())
            item->setRepresentedObject({});
    }
}

// --- Validation -------------------------------------------------------------------------------

bool VNQLAppDelegate::validateMenuItem(pf::MenuItem& item)
{
    const QString action = item.action();
    if (action == QStringLiteral("newDocumentFromTemplate:"))
        return RVCartavelDocument::hasTemplatesAvailable();
    if (action == QStringLiteral("showToolOptionsPalette:") || action == QStringLiteral("manageSymbolsAction:")
        || action == QStringLiteral("showStyleManagerDialog:"))
        return respondsTo(action);
    if (action == QStringLiteral("showLibraryManager:")) {
        const bool front = PWXLibraryManagerWindowController::sharedLibraryManagerAvailable()
            && PWXLibraryManagerWindowController::sharedLibraryManager()->window() == pf::Application::shared()->mainWindow();
        item.setState(front ? pf::ControlState::On : pf::ControlState::Off);
        return true;
    }
    return respondsTo(action);
}

// --- Style collections ------------------------------------------------------------------------

int VNQLAppDelegate::createDefaultFontStyles()
{
    pf::Ref<PWStyleRegistry> registry = PWStyleRegistry::sharedRegistry();
    const QStringList families = QFontDatabase::families();
    const std::pair<const char*, bool> faces[] = {{"Helvetica", false}, {"Helvetica", true}, {"Gill Sans", false}};
    int registered = 0;
    for (const auto& [family, bold] : faces) {
        if (!families.contains(QString::fromLatin1(family)))
            continue; // a font that cannot be made is left out
        for (const int size : {6, 7, 9, 10, 11, 12, 14, 18, 24, 28, 36}) {
            QFont font(QString::fromLatin1(family));
            font.setBold(bold);
            font.setPointSize(size);
            if (pf::Ref<PWStyle> style = PWStyle::textStyleWithFont(font);
                style && registry->registerStyleInCategory(style, QStringLiteral("Cartavel Text Styles")))
                ++registered;
        }
    }
    return registered;
}

int VNQLAppDelegate::createSpecialStyles()
{
    pf::Ref<pf::ColorList> crayons = pf::ColorList::named(QStringLiteral("Crayons"));
    if (!crayons)
        return 0;
    pf::Ref<PWStyleRegistry> registry = PWStyleRegistry::sharedRegistry();
    int registered = 0;
    for (const QString& key : crayons->allKeys()) {
        const pf::Color colour = crayons->colorWithKey(key);
        pf::Ref<PWStyle> fill = PWStyle::styleWithFillColour(colour, pf::Color());
        fill->setName(key);
        if (registry->registerStyleInCategory(fill, QStringLiteral("Basic Fills")))
            ++registered;
        pf::Ref<PWStyle> stroke = PWStyle::styleWithFillColour(pf::Color(), colour);
        stroke->setName(key);
        if (registry->registerStyleInCategory(stroke, QStringLiteral("Basic Strokes")))
            ++registered;
    }
    return registered;
}

const QHash<QString, QString>& VNQLAppDelegate::cartographyAbbreviations()
{
    static const QHash<QString, QString> abbreviations = {
        {QStringLiteral("street"), QStringLiteral("St.")},    {QStringLiteral("road"), QStringLiteral("Rd.")},
        {QStringLiteral("lane"), QStringLiteral("Ln.")},      {QStringLiteral("saint"), QStringLiteral("St.")},
        {QStringLiteral("avenue"), QStringLiteral("Av.")},    {QStringLiteral("park"), QStringLiteral("Pk.")},
        {QStringLiteral("city"), QStringLiteral("Cty.")},     {QStringLiteral("population"), QStringLiteral("pop.")},
        {QStringLiteral("river"), QStringLiteral("R.")},      {QStringLiteral("island"), QStringLiteral("Is.")},
        {QStringLiteral("highway"), QStringLiteral("Hwy.")},  {QStringLiteral("freeway"), QStringLiteral("Fwy.")},
        {QStringLiteral("motorway"), QStringLiteral("Mwy.")}, {QStringLiteral("junction"), QStringLiteral("Jct.")},
        {QStringLiteral("boulevard"), QStringLiteral("Bvd.")},
    };
    return abbreviations;
}
