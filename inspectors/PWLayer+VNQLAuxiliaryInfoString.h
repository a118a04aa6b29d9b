#pragma once

#include <QString>
#include <QStringList>

class PWLayer;

// The one-line summary the layers panel shows under a layer's name ("3 Objects, 1 Selected"),
// and what tells the panel to read it again.
struct PWLayerVNQLAuxiliaryInfoString {
    // Makes "auxiliaryInfoString" a key of every layer class (the slices layer keeps its own)
    // and has the drawing's and the grid's size keys re-announce it. Safe to call again.
    static void install();

    // Empty for a plain layer, which has no summary.
    static QString auxiliaryInfoString(const PWLayer& layer);
    // The notifications, posted by the layer, after which its summary changes.
    static QStringList notificationNamesAffectingAuxiliaryInfo(const PWLayer& layer);
};
