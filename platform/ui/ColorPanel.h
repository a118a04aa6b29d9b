#pragma once

#include "platform/graphics/Color.h"
#include "platform/graphics/ColorList.h"
#include "platform/ui/ActionSender.h"
#include "platform/ui/ActionTarget.h"
#include "platform/ui/Panel.h"

#include <QList>

#include <functional>

class QColorDialog;
class QComboBox;
class QListWidget;
class QStackedWidget;
class QToolBar;

namespace pf {

class ColorPanelModeItem;

// The shared colour panel: a floating panel with a bar of picker modes (Qt's colour dialog as
// the wheel and sliders, and the attached colour lists) and an opacity control when it shows
// alpha. The user's changes set `color` (observable as "color") and reach the active colour
// well when one has taken the panel, and the action ("changeColor:", the panel as sender):
// to the target when one is set, through the responder chain when there is neither target
// nor active well.
//
// Its content view may be borrowed by another window (a popover shows the pickers in place
// of the panel); ordering the panel front takes it back. While the panel is disabled
// (disablePanel), orderFront does nothing, so that a well can take the panel without
// showing it.
class ColorPanel : public Panel, public ActionSender {
    Q_OBJECT
    PF_CLASS(ColorPanel)
public:
    static ColorPanel* shared();
    static bool sharedExists();

    inline static const QString kWheelModeIdentifier = QStringLiteral("NSColorPickerWheel");
    inline static const QString kListModeIdentifier = QStringLiteral("NSColorPickerList");

    Color color() const { return m_color; }
    // Sets the colour the pickers show; sends no action.
    void setColor(const Color& color);

    bool showsAlpha() const { return m_showsAlpha; }
    void setShowsAlpha(bool shows);

    void attachColorList(const Ref<ColorList>& list);
    void detachColorList(const Ref<ColorList>& list);
    QList<Ref<ColorList>> attachedColorLists() const { return m_lists; }

    // The mode bar: its items in order, and the one shown.
    QList<Ref<ColorPanelModeItem>> modeItems() const { return m_modeItems; }
    QString selectedItemIdentifier() const;
    // The item's action: shows that picker.
    void selectMode(const QVariant& item);

    // The widget that holds the pickers; see above for lending it.
    QWidget* pickerView() const { return contentView(); }
    bool isPickerViewLent() const;
    void reclaimPickerView();

    void orderFront(const QVariant& sender = {});
    void makeKeyAndOrderFront(const QVariant& sender = {});
    void setFrameFromContentRect(const QRectF& contentRect);

    static void disablePanel() { s_enabled = false; }
    static void enablePanel() { s_enabled = true; }
    static bool isPanelEnabled() { return s_enabled; }

    // The receiver of the user's colours while a colour well has taken the panel; cleared
    // when `owner` goes. A null owner clears it.
    void setColorReceiver(Reflective* owner, std::function<void(const Color&)> receiver);
    Reflective* colorReceiverOwner() const { return m_receiverOwner.get(); }

    // What the user does in a picker: sets the colour and delivers it as described above.
    void userChoseColor(const Color& color);

    QVariant senderValue() const override;

private:
    ColorPanel();
    void buildPickers();
    void refreshLists();

    Color m_color = Color::white();
    bool m_showsAlpha = false;
    bool m_updatingPickers = false;
    QList<Ref<ColorList>> m_lists;
    QList<Ref<ColorPanelModeItem>> m_modeItems;
    QToolBar* m_modeBar = nullptr;
    QStackedWidget* m_pages = nullptr;
    QColorDialog* m_wheel = nullptr;
    QComboBox* m_listChooser = nullptr;
    QListWidget* m_listColors = nullptr;
    ActionTarget m_receiverOwner;
    std::function<void(const Color&)> m_receiver;
    static inline bool s_enabled = true;
};

} // namespace pf
