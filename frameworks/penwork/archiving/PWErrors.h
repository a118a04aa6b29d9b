#pragma once

#include <QString>

// The error domain of the drawing framework and its codes. Errors of the layers below (a
// damaged archive, a failed image encoding) travel as the underlying error.
inline const QString kPWErrorDomain = QStringLiteral("PWPenworkErrorDomain");

enum PWErrorCode : int {
    // The data is not a drawing archive, is damaged, or holds something other than a drawing.
    kPWErrorDrawingUnreadable = 1,
    // Reading was cancelled through the unarchiving helper.
    kPWErrorDrawingReadCancelled = 2,
    // The drawing could not be archived.
    kPWErrorDrawingUnwritable = 3,
    // A document type the drawing document neither reads nor writes.
    kPWErrorUnsupportedType = 4,
    // Bitmap or PDF output could not be made.
    kPWErrorOutputFailed = 5,
    // Data the category manager cannot read into its contents (appendContentsWithData), and
    // contents it cannot archive (data).
    kPWErrorCategoryDataUnreadable = 101,
    kPWErrorCategoryDataUnwritable = 102,
};
