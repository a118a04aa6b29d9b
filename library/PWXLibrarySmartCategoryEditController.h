#pragma once

#include "platform/ui/WindowController.h"

#include <QPointer>

#include <functional>

class PWXLibraryPredicateEditor;
class PWXLibrarySmartCategory;
class PWXLibrarySmartCategoryEditDelegate;
class QCheckBox;
class QSpinBox;

// The sheet in which the user edits a smart category: its rules in a predicate editor and an
// optional limit on how many items it lists. The limit applies at once, so the category
// updates while the sheet is open; Cancel puts the limit back and leaves the rules as they
// were, OK keeps both.
class PWXLibrarySmartCategoryEditController : public pf::WindowController {
    PF_CLASS(PWXLibrarySmartCategoryEditController)
public:
    static constexpr int kDefaultLimit = 10;
    static constexpr int kExtraHeight = 50;

    PWXLibrarySmartCategoryEditController();
    ~PWXLibrarySmartCategoryEditController() override;

    void loadWindow() override;
    void windowDidLoad() override;

    // Takes the category and runs the sheet on `parent` (application-modally without one).
    void beginSmartCategoryEdit(const pf::Ref<PWXLibrarySmartCategory>& category, QWidget* parent,
                                PWXLibrarySmartCategoryEditDelegate* delegate);
    pf::Ref<PWXLibrarySmartCategory> smartCategory() const { return m_editingCat; }
    // Keeps the category, shows its rules and loads its limit.
    void setSmartCategory(const pf::Ref<PWXLibrarySmartCategory>& category);
    PWXLibrarySmartCategoryEditDelegate* delegate() const { return m_delegate; }
    void setDelegate(PWXLibrarySmartCategoryEditDelegate* delegate) { m_delegate = delegate; }

    // Commands.
    void okAction(const QVariant& sender = {});
    void cancelAction(const QVariant& sender = {});
    // Check box on: limit 10; off: no limit.
    void enableLimitAction(const QVariant& sender = {});
    void setLimitAction(const QVariant& sender = {});

    // Shows the limit (0: none) and sets it on the category at once.
    void setCountLimit(unsigned limit);
    void loadCountLimit();
    unsigned savedCountLimit() const { return m_savedCountLimit; }

    PWXLibraryPredicateEditor* predicateEditor() const;
    QCheckBox* limitCheckbox() const;
    QSpinBox* limitField() const;
    // The sheet's height for the editor's rows.
    int sheetHeightForRows() const;

private:
    void sheetDidEnd(int returnCode);
    void endSheet(int code);
    void ruleEditorRowsDidChange();

    PWXLibrarySmartCategoryEditDelegate* m_delegate = nullptr;
    QPointer<PWXLibraryPredicateEditor> m_predicateEditor;
    QPointer<QCheckBox> m_setLimitCheckbox;
    QPointer<QSpinBox> m_limitTextField; // field and stepper in one
    pf::Ref<PWXLibrarySmartCategory> m_editingCat;
    unsigned m_savedCountLimit = 0;
    bool m_running = false;
    std::function<void(int)> m_endWithoutSheet;
};
