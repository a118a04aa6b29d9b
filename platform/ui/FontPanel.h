#pragma once

#include "platform/graphics/Font.h"
#include "platform/ui/Panel.h"

#include <QPointer>

#include <functional>

class QFontDialog;
class QVBoxLayout;

namespace pf {

// The font panel: Qt's font dialog without buttons in a floating panel, with room for an
// accessory view under it. Each choice the user makes is reported through fontChosen; the
// font manager sends its action from there.
class FontPanel : public Panel {
    Q_OBJECT
    PF_CLASS(FontPanel)
public:
    explicit FontPanel(QWidget* parent = nullptr);

    QFontDialog* fontDialog() const { return m_dialog; }

    // Shows `font` without reporting it as a choice.
    void setPanelFont(const Font& font, bool isMultiple);
    Font panelFont() const;

    // Not owned: the view stays its owner's and is only shown here.
    QWidget* accessoryView() const { return m_accessory; }
    void setAccessoryView(QWidget* view);

    std::function<void(const Font&)> fontChosen;

private:
    QFontDialog* m_dialog = nullptr;
    QVBoxLayout* m_layout = nullptr;
    QPointer<QWidget> m_accessory;
    bool m_settingFont = false;
};

} // namespace pf
