#pragma once

namespace pf {
class MainMenu;
}

// The commands the program adds to the standard File menu: New From Template... after New
// (for the application delegate), and Export..., Save as Template..., Drawing Setup... and
// Graph Paper..., placed after Revert to Saved and sent to the current document.
class QuilloryFileMenu {
public:
    static inline constexpr const char* kExportAction = "exportAction:";
    static inline constexpr const char* kDrawingSetupAction = "openDrawingSizePanel:";
    static inline constexpr const char* kGraphPaperAction = "openGridSettingsPanel:";
    static inline constexpr const char* kSaveAsTemplateAction = "saveCopyAsTemplateAction:";
    // Sent to the application delegate.
    static inline constexpr const char* kNewFromTemplateAction = "newDocumentFromTemplate:";

    static void addDocumentItems(pf::MainMenu& menu);
};
