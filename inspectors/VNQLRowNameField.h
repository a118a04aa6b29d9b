#pragma once

#include "platform/ui/TextField.h"

// The name shown in a row of the layers panel. A click on it is a click on the row: it selects
// the row (and so makes a layer active) and never starts renaming. Renaming starts from the
// row's double-click or its "Rename..." menu item; once it has, clicks place the caret.
// Keyboard focus arriving in it does not start renaming.
class VNQLRowNameField : public pf::TextField {
    Q_OBJECT
    PF_CLASS(VNQLRowNameField)
public:
    explicit VNQLRowNameField(QWidget* parent = nullptr);

    // Opens the name for typing, all of it selected: the only way renaming starts.
    void beginRenaming();

    void mouseDown(const pf::Event& event) override;
    // Refused unless renaming was asked for: focus that reaches the name by a click or from
    // a reloaded row must not open it for typing.
    bool becomeFirstResponder() override;

protected:
    // Focus passed on to the name when a reloaded row takes the focused control away arrives
    // as if by Tab; it must not start renaming either.
    void focusInEvent(QFocusEvent* event) override;

private:
    bool m_renaming = false;
};
