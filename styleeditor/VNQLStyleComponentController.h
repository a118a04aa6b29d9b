#pragma once

#include "inspectors/VNQLGenericObjectController.h"

#include "platform/ui/Button.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Control.h"
#include "platform/ui/View.h"
#include "widgets/RVCollapsibleContainerView.h"

#include <QPointer>

class PWRasterizer;
namespace pf {
class Image;
class PopUpButton;
}
class RVCollapsibleContainerView;
class VNQLStyleEditorController;
namespace pf {
class Button;
class Menu;
class MenuItem;
class TextField;
class UserInterfaceItem;
} // namespace pf

// The base of every pane of the style editor's stack: one pane edits one renderer through the
// generic object controller (its content is that renderer alone). It keeps the pane's enable
// checkbox and the container's title checkbox in step with the renderer, follows the lock the
// editor hands it, and offers copy, delete and help for the renderer.
class VNQLStyleComponentController : public VNQLGenericObjectController {
    PF_CLASS(VNQLStyleComponentController)
public:
    explicit VNQLStyleComponentController(const QString& nibName = {});
    ~VNQLStyleComponentController() override;

    const pf::Class& managedObjectClass() const override;
    QStringList keyPathsOfInterest() const override { return {QStringLiteral("enabled")}; }
    virtual QString helpIdentifier() const { return QStringLiteral("style-components"); }

    // The renderer (or, for a sub-pane, the object) edited: the first object of the content.
    pf::Ref<pf::Object> representedComponent() const;
    // Makes `object` the whole content (a sub-pane's object); null empties it.
    void setRepresentedComponent(const pf::Ref<pf::Object>& object);

    // Actions.
    void enabledAction(const QVariant& sender);
    void copyComponentAction(const QVariant& sender);
    void deleteComponentAction(const QVariant& sender);
    void componentHelpAction(const QVariant& sender);

    QWidget* windowForSheet();
    // The renderer's flag (true without a renderer).
    bool enabled() const;
    // The renderer's own lock or the lock the editor last handed in (style or library).
    bool locked() const;
    // Reached by observation of "enabled".
    void setEnabled(const QVariant& value);
    // The combined lock of the renderer, its style and its library, from the editor.
    void setLocked(bool locked);
    virtual void setStatesForLock(bool locked, bool enabled) {}
    virtual void changeUnitsConversionFactorTo(double factor, const QString& units) {}
    virtual void addSubcontroller(VNQLStyleComponentController* pane) {}

    VNQLStyleEditorController* styleEditorController() const { return m_styleEditor; }
    void setStyleEditorController(VNQLStyleEditorController* editor) { m_styleEditor = editor; }
    RVCollapsibleContainerView* hostingView() const;
    void setHostingView(RVCollapsibleContainerView* view);

    // Sets a number field's formatter to show lengths in the given units (3 fraction digits
    // at most whatever is asked) and redraws the control.
    static void updateFormatterForControl(pf::Control* control, double multiplier, int decimalPlaces,
                                          const QString& suffix);
    // Titles each positively tagged item (tenths of a point) in the editor's units, and gives
    // it a line swatch once.
    void initialiseStrokeWidthMenu(pf::Menu* menu);
    // The title a width item gets: "0.5pt", or "1.764mm (5.0pt)" with drawing units.
    static QString strokeWidthTitle(int tag, bool drawingUnits, double unitToPoints, const QString& units);

    // Enables a control through its cell as well (what it draws), or a plain widget.
    static void setControlEnabled(QWidget* control, bool enabled);

    bool validateUserInterfaceItem(pf::UserInterfaceItem& item) override;
    virtual pf::Ref<pf::Menu> componentMenu();

    pf::Button* enabledCheckbox() const { return mEnabledCheckbox; }

    // Reads an image file (turned as it says) into the component's "image"; a file that holds
    // no image changes nothing.
    bool takeImageFromFile(const QString& path);

protected:
    // Lays the common top row (enable checkbox) into a new pane view.
    pf::View* makeComponentView();
    PWRasterizer* renderer() const;
    void setEnabledCheckbox(pf::Button* box) { mEnabledCheckbox = box; }

    // Controls that follow "enabled and not locked", and fields that show lengths.
    void addLockControl(QWidget* control) { m_lockControls.append(control); }
    void addLengthField(pf::Control* field) { m_lengthFields.append(field); }
    void enableLockControls(bool enabled);
    void updateLengthFields(double factor, const QString& units);
    // Selects the item tagged `tag` of a pop-up (none when there is no such item).
    static void selectTag(pf::PopUpButton* popUp, int tag);
    static pf::PopUpButton* taggedPopUp(pf::Reflective* target, const QString& action,
                                        const QList<std::pair<QString, int>>& items);
    // The tag a menu item, pop-up, segmented control or number sender stands for; INT_MIN
    // for none.
    static int selectedTag(const QVariant& sender);
    // The sender control's value (or a plain value) written through the generic controller.
    void write(const QVariant& sender, const QString& keyPath);
    static void setCheckbox(pf::Button* box, const QVariant& value);
    // Asks for one image file in a sheet on the pane's window ("Choose an image") and hands
    // the chosen file's path to `chosen`; nothing when the user cancels.
    void chooseImageFile(std::function<void(const QString& path)> chosen);
    // Asks for an image file, as chooseImageFile does, and takes the chosen one as the image.
    void chooseImageForComponent();
    // An image's pixels at their own resolution (not resampled to its size in points).
    static QImage pixelsOfImage(const pf::Image* image);
    // A row of an image well with its Choose and Paste buttons stacked beside it, spanning the
    // pane's width.
    static void addImageRow(pf::View* view, QWidget* well, pf::Button* choose, pf::Button* paste);
    // The image the general pasteboard holds, or a null image.
    static QImage pasteboardImage();
    // Whether the general pasteboard holds an image.
    static bool canPasteImage();

private:
    QPointer<pf::Button> mEnabledCheckbox;
    VNQLStyleEditorController* m_styleEditor = nullptr;
    QPointer<RVCollapsibleContainerView> mHostingView;
    bool m_lockedByEditor = false;
    pf::Ref<pf::Menu> m_contextMenu;
    QList<QPointer<QWidget>> m_lockControls;
    QList<QPointer<pf::Control>> m_lengthFields;
};
