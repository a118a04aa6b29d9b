#pragma once

#include "platform/ui/TextField.h"

#include <QStringList>

namespace pf {

class Menu;

// Tags of the search menu template's items: the recent searches' title, the place the recent
// searches go, the item that clears them, and the item shown when there are none.
inline constexpr int NSSearchFieldRecentsTitleMenuItemTag = 1000;
inline constexpr int NSSearchFieldRecentsMenuItemTag = 1001;
inline constexpr int NSSearchFieldClearRecentsMenuItemTag = 1002;
inline constexpr int NSSearchFieldNoRecentsMenuItemTag = 1003;

// A text field for searching: a magnifier that shows the search menu (built from the
// template, with the recent searches where the template says), a cancel button that clears
// the text, and the action sent as the text changes.
class SearchField : public TextField {
    Q_OBJECT
    PF_CLASS(SearchField)
public:
    explicit SearchField(QWidget* parent = nullptr);

    Ref<Menu> searchMenuTemplate() const { return m_template; }
    void setSearchMenuTemplate(const Ref<Menu>& menu) { m_template = menu; }
    QStringList recentSearches() const { return m_recents; }
    void setRecentSearches(const QStringList& searches);
    int maximumRecents() const { return m_maximumRecents; }
    void setMaximumRecents(int maximum);
    // Each search sent is remembered as a recent one.
    void noteRecentSearch(const QString& search);

    // The menu the magnifier shows: a copy of the template where the recents item stands for
    // the recent searches, the title and clear items show only when there are some and the
    // no-recents item only when there are none. Null without a template.
    Ref<Menu> searchMenu();

    QRectF searchButtonRect() const;
    QRectF cancelButtonRect() const;
    // Clears the text and sends the action.
    void cancel();

    void mouseDown(const Event& event) override;
    void drawRect(const QRectF& dirtyRect) override;
    void textDidEndEditing(FieldEditor& editor, TextMovement movement) override;

protected:
    // The text sits between the two buttons.
    QRectF cellFrame() const override;

private:
    void recentChosen(const QString& search);

    Ref<Menu> m_template;
    QStringList m_recents;
    int m_maximumRecents = 10;
};

} // namespace pf
