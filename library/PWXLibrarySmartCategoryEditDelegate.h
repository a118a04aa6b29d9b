#pragma once

class PWXLibrarySmartCategory;
class PWXLibrarySmartCategoryEditController;

// Hears that the user finished editing a smart category with OK (the library manager
// refreshes the category's row and, when it is shown, the item list).
class PWXLibrarySmartCategoryEditDelegate {
public:
    virtual ~PWXLibrarySmartCategoryEditDelegate() = default;
    virtual void smartCategoryEditorDidFinishEditingCategory(PWXLibrarySmartCategoryEditController*,
                                                             PWXLibrarySmartCategory*)
    {
    }
};
