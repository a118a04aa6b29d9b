#pragma once

namespace pf {
class MainMenu;
}

// The document commands the program adds to the standard File menu: Export..., Save
// as Template..., Drawing Setup... and Graph Paper..., placed after Revert to Saved and sent to
// the current document.
class QuilloryFileMenu {
public:
    static inline constexpr const char* kExportAction = "exportAction:";
    static inline constexpr const char* kDrawingSetupAction = "openDrawingSizePanel:";
    static inline constexpr const char* kGraphPaperAction = "openGridSettingsPanel:";
    static inline constexpr const char* kSaveAsTemplateAction = "saveCopyAsTemplateAction:";

    static void addDocumentItems(pf::MainMenu& menu);
};
