#pragma once

#include "frameworks/penwork/styles/PWStyle.h"

#include <QByteArray>
#include <QRectF>
#include <QStringList>
#include <QVariant>

class PWRenderable;
class PWXLibrary;

// Styles made from dropped values, their searchable text, and styles as library items
// (kept as archived data).
struct PWStyleCartavelExtensions {
    static void install();

    // `object` itself when it is a style, else a new style given it as a component.
    static pf::Ref<PWStyle> styleWithObject(const QVariant& object);
    // A colour becomes the fill colour, an image the image component, a string the label, a
    // number (or other plain value) its text as the label; anything else changes nothing.
    static void addOrSetComponentForObject(PWStyle& style, const QVariant& object);
    // Each label's text for `object` followed by one blank.
    static QString searchableStringForObject(const PWStyle& style, const PWRenderable& object);
    // The identifier of each label, in order.
    static QStringList identifiers(const PWStyle& style);
    // The style drawn on a rectangle shape filling `rect`, into the current graphics context.
    static void drawRect(const pf::Ref<PWStyle>& style, const QRectF& rect);

    static QByteArray fileData(const pf::Ref<PWStyle>& style);
    // The object archived in `data`, or null when the data holds none.
    static pf::Ref<pf::Object> libraryObjectWithFileData(const QByteArray& data);
    // The library holding an item with the style's unique key, or null (also when no library
    // holds it, or off the main thread).
    static pf::Ref<PWXLibrary> library(const PWStyle& style);
};
