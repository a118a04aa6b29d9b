#pragma once

#include <QImage>

// The icon of the drawable classes: one shared folder image (each object's own icon is the
// framework's 24 x 24 swatch).
struct PWDrawableObjectVNQLDrawableIcons {
    static void install();

    // The platform's folder image, made once and kept.
    static QImage classIcon();
};
