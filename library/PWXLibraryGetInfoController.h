#pragma once

#include "platform/foundation/Object.h"

#include <QList>
#include <QPointer>

class PWXLibraryItem;
class QLabel;
class QLineEdit;
class QWidget;

// The information panel of the library manager: the details of the selected items (name,
// description, kind, size, dates, creator, unique key, collection, lock state, categories),
// where the user edits the items' description. It follows changes to the items it shows.
class PWXLibraryGetInfoController : public pf::Object {
    PF_CLASS(PWXLibraryGetInfoController)
public:
    PWXLibraryGetInfoController();
    ~PWXLibraryGetInfoController() override;

    // The panel's view, made with the controller; the caller places it (it has no parent).
    QWidget* view() const;

    QList<pf::Ref<PWXLibraryItem>> content() const { return m_content; }
    // Keeps the items and shows them.
    void setContent(const QList<pf::Ref<PWXLibraryItem>>& items);
    // The description field was edited: every item shown gets its text.
    void descriptionAction(const QVariant& sender = {});

    // The panel for the content: one item, or a cleared panel naming "No Selection" or
    // "<Multiple Selection>".
    void setUIForContent();
    // The panel for one item; null clears it.
    void setUIForLibraryItem(const pf::Ref<PWXLibraryItem>& item);

    // Read by tests and the manager.
    QLineEdit* nameField() const;
    QLineEdit* descriptionField() const;
    QLabel* fieldNamed(const QString& name) const;

private:
    void libItemChanged(const pf::Reflective* object);
    // Whether the description may be edited for every item shown.
    bool descriptionEditable() const;

    QList<pf::Ref<PWXLibraryItem>> m_content;
    QPointer<QWidget> m_view;
    QPointer<QLabel> m_imageView;
    QPointer<QLineEdit> m_nameField;
    QPointer<QLineEdit> m_descriptionField;
    QPointer<QLabel> m_kindField, m_sizeField, m_creationDateField, m_modDateField, m_createdByField, m_uidField,
        m_whereField, m_categoriesListField;
    QPointer<QLabel> m_lockedIcon;
    QList<quint64> m_observations;
};
