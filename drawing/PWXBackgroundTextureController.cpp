#include "drawing/PWXBackgroundTextureController.h"

#include "platform/foundation/Exception.h"
#include "platform/ui/Bundle.h"
#include "platform/ui/ColorPanel.h"
#include "platform/ui/ColorWell.h"
#include "platform/ui/Menu.h"
#include "platform/ui/MenuItem.h"

#include <QCoreApplication>
#include <QDir>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>

#include <mutex>

const QString PWXBackgroundTextureController::kTexturesFolder = QStringLiteral("Background_Textures");

PF_DEFINE_CLASS(PWXBackgroundTextureController, pf::Object)
{
    using C = PWXBackgroundTextureController;
    b.method("textureChooseAction:", &C::textureChooseAction);
    b.method("textureColourAction:", &C::textureColourAction);
    b.method("removeBackgroundTextureAction:", &C::removeBackgroundTextureAction);
    b.method("changeColor:", &C::changeColor);
    b.method("sync", &C::sync);
    b.method("finish", &C::finish);
    b.method("validateMenuItem:", std::function<QVariant(C&, const QVariantList&)>([](C& self, const QVariantList& args) {
                 pf::Ref<pf::MenuItem> item = pf::objectCast<pf::MenuItem>(args.value(0));
                 return QVariant(item && self.validateMenuItem(*item));
             }));
}

namespace {

QIcon iconOf(const QImage& image)
{
    return image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image));
}

} // namespace

QList<pf::Ref<PWXBackgroundTexture>> PWXBackgroundTextureController::availableTextures()
{
    static std::mutex lock;
    static QList<pf::Ref<PWXBackgroundTexture>> shared;
    std::lock_guard guard(lock);
    if (shared.isEmpty())
        shared = texturesInFolder(QDir(pf::Bundle::main().resourcePath()).filePath(kTexturesFolder));
    return shared;
}

QList<pf::Ref<PWXBackgroundTexture>> PWXBackgroundTextureController::texturesInFolder(const QString& folder)
{
    QList<pf::Ref<PWXBackgroundTexture>> textures;
    const QDir dir(folder);
    for (const QString& file : dir.entryList(QDir::Files, QDir::Name)) {
        if (pf::Ref<PWXBackgroundTexture> texture = PWXBackgroundTexture::textureWithPath(dir.filePath(file)))
            textures.append(texture);
    }
    return textures;
}

PWXBackgroundTextureController::PWXBackgroundTextureController()
    : PWXBackgroundTextureController(availableTextures())
{
}

PWXBackgroundTextureController::PWXBackgroundTextureController(QList<pf::Ref<PWXBackgroundTexture>> textures)
    : m_textures(std::move(textures)), m_menu(pf::Menu::make())
{
    populateTextureMenu(*m_menu);
}

PWXBackgroundTextureController::~PWXBackgroundTextureController()
{
    if (pf::ColorPanel::sharedExists() && pf::ColorPanel::shared()->target() == this)
        pf::ColorPanel::shared()->setTarget(nullptr);
}

void PWXBackgroundTextureController::setPopUpButton(QPushButton* button)
{
    m_popUp = button;
    populateTextureMenu(*m_menu);
    if (button)
        button->setMenu(m_menu->qMenu());
    // The delegate may still be setting up: the selection follows it once this event is done.
    std::weak_ptr<pf::Object> self = weak();
    QTimer::singleShot(0, [self] {
        if (auto controller = std::static_pointer_cast<PWXBackgroundTextureController>(self.lock()))
            controller->sync();
    });
}

void PWXBackgroundTextureController::selectItem(pf::MenuItem* item)
{
    m_selected = item;
    updateTitle();
}

void PWXBackgroundTextureController::populateTextureMenu(pf::Menu& menu)
{
    if (&menu == m_menu.get())
        m_selected = nullptr;
    menu.removeAllItems();
    for (const pf::Ref<PWXBackgroundTexture>& texture : m_textures) {
        auto item = pf::MenuItem::make(texture->name(), QStringLiteral("textureChooseAction:"));
        item->setTarget(this);
        item->setRepresentedObject(pf::toVariant(texture));
        item->setImage(iconOf(texture->image()));
        item->setState(pf::ControlState::Off);
        menu.addItem(item);
    }
    menu.addItem(pf::MenuItem::separator());
    auto colour = pf::MenuItem::make(QCoreApplication::translate("PWXBackgroundTextureController", "Color..."),
                                     QStringLiteral("textureColourAction:"));
    colour->setTag(kColourItemTag);
    colour->setTarget(this);
    colour->setState(pf::ControlState::Off);
    menu.addItem(colour);
    auto none = pf::MenuItem::make(QCoreApplication::translate("PWXBackgroundTextureController", "None"),
                                   QStringLiteral("removeBackgroundTextureAction:"));
    none->setTag(kNoneItemTag);
    none->setTarget(this);
    none->setState(pf::ControlState::Off);
    menu.addItem(none);
}

void PWXBackgroundTextureController::sync()
{
    const QString name = currentName();
    pf::MenuItem* colour = colourItem();
    if (name == PWXBackgroundTexture::kFixedColourName) {
        pf::Reflective* delegate = this->delegate();
        pf::Ref<pf::Color> current = delegate && delegate->respondsTo(QStringLiteral("currentBackgroundTexture"))
                                         ? pf::objectCast<pf::Color>(delegate->perform(QStringLiteral("currentBackgroundTexture")))
                                         : nullptr;
        if (colour)
            colour->setImage(current ? iconOf(PWXBackgroundTexture::swatchOfColour(*current)) : QIcon());
        selectItem(colour);
        return;
    }
    if (colour)
        colour->setImage(QIcon());
    pf::MenuItem* chosen = nullptr;
    if (!name.isEmpty()) {
        for (const pf::Ref<pf::MenuItem>& item : m_menu->items()) {
            if (!item->isSeparatorItem() && item->tag() != kColourItemTag && item->tag() != kNoneItemTag &&
                item->title() == name) {
                chosen = item.get();
                break;
            }
        }
    }
    selectItem(chosen ? chosen : m_menu->itemWithTag(kNoneItemTag));
}

void PWXBackgroundTextureController::finish()
{
    if (!pf::ColorPanel::sharedExists())
        return;
    pf::ColorPanel* panel = pf::ColorPanel::shared();
    panel->setShowsAlpha(true);
    panel->setTarget(nullptr);
    panel->orderOut({});
}

bool PWXBackgroundTextureController::validateMenuItem(pf::MenuItem& item)
{
    const QString name = currentName();
    if (item.tag() == kNoneItemTag) {
        item.setState(name.isEmpty() ? pf::ControlState::On : pf::ControlState::Off);
        return true;
    }
    if (item.tag() == kColourItemTag) {
        item.setState(name == PWXBackgroundTexture::kFixedColourName ? pf::ControlState::On : pf::ControlState::Off);
        return true;
    }
    if (auto texture = pf::objectCast<PWXBackgroundTexture>(item.representedObject())) {
        item.setState(texture->name() == name ? pf::ControlState::On : pf::ControlState::Off);
        return true;
    }
    return false;
}

void PWXBackgroundTextureController::textureChooseAction(const QVariant& sender)
{
    pf::Ref<pf::MenuItem> item = pf::objectCast<pf::MenuItem>(sender);
    auto texture = item ? pf::objectCast<PWXBackgroundTexture>(item->representedObject()) : nullptr;
    if (!texture)
        return;
    selectItem(item.get());
    apply(pf::toVariant(std::make_shared<pf::Color>(texture->color())), texture->name());
    if (pf::MenuItem* colour = colourItem())
        colour->setImage(QIcon());
}

void PWXBackgroundTextureController::textureColourAction(const QVariant&)
{
    selectItem(colourItem());
    pf::ColorWell::deactivateAll();
    pf::ColorPanel* panel = pf::ColorPanel::shared();
    panel->setShowsAlpha(false);
    panel->setTarget(this);
    panel->setAction(QStringLiteral("changeColor:"));
    panel->orderFront({});
    pf::Reflective* delegate = this->delegate();
    if (delegate && delegate->respondsTo(QStringLiteral("currentBackgroundTexture"))) {
        pf::Ref<pf::Color> current = pf::objectCast<pf::Color>(delegate->perform(QStringLiteral("currentBackgroundTexture")));
        if (current) {
            // A texture has a pattern image; a plain colour raises when asked for one.
            bool pattern = false;
            try {
                pattern = !current->patternImage().isNull();
            } catch (const pf::Exception&) {
                pattern = false;
            }
            panel->setColor(pattern ? pf::Color::white() : *current);
        }
    }
    changeColor(panel->senderValue());
}

void PWXBackgroundTextureController::changeColor(const QVariant&)
{
    const pf::Color colour = pf::ColorPanel::shared()->color();
    apply(pf::toVariant(std::make_shared<pf::Color>(colour)), PWXBackgroundTexture::kFixedColourName);
    if (pf::MenuItem* item = colourItem())
        item->setImage(iconOf(PWXBackgroundTexture::swatchOfColour(colour)));
}

void PWXBackgroundTextureController::removeBackgroundTextureAction(const QVariant&)
{
    selectItem(m_menu->itemWithTag(kNoneItemTag));
    apply(QVariant(), QVariant());
    if (pf::MenuItem* colour = colourItem())
        colour->setImage(QIcon());
}

pf::MenuItem* PWXBackgroundTextureController::colourItem() const
{
    return m_menu->itemWithTag(kColourItemTag);
}

QString PWXBackgroundTextureController::currentName() const
{
    pf::Reflective* delegate = this->delegate();
    if (!delegate || !delegate->respondsTo(QStringLiteral("currentBackgroundTextureName")))
        return {};
    return delegate->perform(QStringLiteral("currentBackgroundTextureName")).toString();
}

void PWXBackgroundTextureController::apply(const QVariant& colour, const QVariant& name)
{
    pf::Reflective* delegate = this->delegate();
    if (!delegate)
        return;
    const QVariant self = pf::toVariant(ref<pf::Object>());
    if (delegate->respondsTo(QStringLiteral("textureController:applyTexture:")))
        delegate->perform(QStringLiteral("textureController:applyTexture:"), {self, colour});
    if (delegate->respondsTo(QStringLiteral("textureController:setBackgroundTextureName:")))
        delegate->perform(QStringLiteral("textureController:setBackgroundTextureName:"), {self, name});
}

void PWXBackgroundTextureController::updateTitle()
{
    if (m_popUp)
        m_popUp->setText(m_selected ? m_selected->title() : QString());
}
