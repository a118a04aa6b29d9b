#pragma once

#include <QString>

// Which kind of item-library item each tool works with (class operation
// "supportedLibraryItemKind", read by the library picker): none for most tools, styles for
// the creation tools, clip art for the stamp, everything for the selection tool. The system's own tools answer
// for themselves.
struct PWDrawingToolLibraryItemKind {
    static constexpr int kNone = 0;
    static constexpr int kStyles = 1;
    static constexpr int kSymbols = 2;
    static constexpr int kEverything = 32767;

    static void install();
    // The kind for tools of `className` (0 for unknown classes).
    static int supportedLibraryItemKind(const QString& className);
};
