#pragma once

#include "drawing/PWXBackgroundTexture.h"
#include "platform/foundation/Object.h"
#include "platform/ui/ActionTarget.h"

#include <QList>
#include <QPointer>

class QPushButton;

namespace pf {
class Menu;
class MenuItem;
}

// Runs the pop-up button that offers a drawing's background: one item per texture of the
// program's resources, "Color..." (a plain colour from the colour panel) and "None". The
// user's choice goes to the delegate, which applies it to the drawing. The delegate answers
// any of "textureController:applyTexture:" (the colour, or none), "textureController:
// setBackgroundTextureName:" (a texture name, kFixedColourName or none),
// "currentBackgroundTexture" and "currentBackgroundTextureName"; each is sent only when it
// answers it.
class PWXBackgroundTextureController : public pf::Object {
    PF_CLASS(PWXBackgroundTextureController)
public:
    static constexpr int kColourItemTag = -77;
    static constexpr int kNoneItemTag = -99;
    // The resource folder whose files are the textures.
    static const QString kTexturesFolder;

    // The textures of the main bundle, made once (and again while there are none).
    static QList<pf::Ref<PWXBackgroundTexture>> availableTextures();
    // One texture per image file in `folder`, in name order; other files are left out.
    static QList<pf::Ref<PWXBackgroundTexture>> texturesInFolder(const QString& folder);

    PWXBackgroundTextureController();
    // With the textures to offer (tests, or a dialog with its own set).
    explicit PWXBackgroundTextureController(QList<pf::Ref<PWXBackgroundTexture>> textures);
    ~PWXBackgroundTextureController() override;

    // The pop-up button run by the controller: it gets the menu, and the selection is
    // brought in line with the delegate on the next turn of the event loop.
    QPushButton* popUpButton() const { return m_popUp; }
    void setPopUpButton(QPushButton* button);
    pf::Reflective* delegate() const { return m_delegate.get(); }
    void setDelegate(pf::Reflective* delegate) { m_delegate = pf::ActionTarget(delegate); }

    pf::Menu& menu() const { return *m_menu; }
    pf::MenuItem* selectedItem() const { return m_selected; }
    void selectItem(pf::MenuItem* item);

    void populateTextureMenu(pf::Menu& menu);
    // Selects the item of the delegate's current background.
    void sync();
    // The end of the dialog: the colour panel lets go of the controller.
    void finish();
    // Checks the item of the current background; texture, colour and none items are enabled.
    bool validateMenuItem(pf::MenuItem& item);

    void textureChooseAction(const QVariant& sender);
    void textureColourAction(const QVariant& sender);
    void removeBackgroundTextureAction(const QVariant& sender);
    // From the colour panel: its colour becomes the background.
    void changeColor(const QVariant& sender);

private:
    pf::MenuItem* colourItem() const;
    QString currentName() const;
    void apply(const QVariant& colour, const QVariant& name);
    void updateTitle();

    QList<pf::Ref<PWXBackgroundTexture>> m_textures;
    pf::Ref<pf::Menu> m_menu;
    pf::MenuItem* m_selected = nullptr;
    QPointer<QPushButton> m_popUp;
    pf::ActionTarget m_delegate;
};
