#pragma once

#include <QMarginsF>
#include <QRectF>
#include <QString>

class QWidget;

namespace pf {

// The frame of any top-level widget in screen coordinates (origin bottom-left of the main
// screen, y up), its content rectangle, and frames saved as strings and kept in the user
// defaults under an autosave name. The frame includes the title bar and borders: the
// window's own margins once it is on screen, a default for its style before that.
class WindowFrame {
public:
    static QRectF frame(const QWidget* window);
    static void setFrame(QWidget* window, const QRectF& frame);
    static void setFrameOrigin(QWidget* window, const QPointF& origin);
    static void setFrameTopLeftPoint(QWidget* window, const QPointF& topLeft);
    // Changes the content height keeping the top edge where it is.
    static void setContentSizeKeepingTop(QWidget* window, const QSizeF& size);
    // Centres the window a little above the middle of the main screen's visible frame.
    static void center(QWidget* window);

    static QMarginsF frameMargins(const QWidget* window);
    static QRectF contentRectForFrameRect(const QWidget* window, const QRectF& frame);
    static QRectF frameRectForContentRect(const QWidget* window, const QRectF& content);
    // Window coordinates (content area, origin bottom-left) to screen coordinates and back.
    static QRectF convertRectToScreen(const QWidget* window, const QRectF& rect);
    static QRectF convertRectFromScreen(const QWidget* window, const QRectF& rect);

    // "x y w h sx sy sw sh": the frame and the visible frame of the screen it was on.
    static QString stringWithSavedFrame(const QWidget* window);
    // Applies a saved frame string. Answers false and changes nothing for a string that is
    // not one (too few numbers, a size that is not positive, values out of reach). A frame
    // that would land on no screen (one since disconnected) is moved onto the main screen.
    static bool setFrameFromString(QWidget* window, const QString& string);

    // The user-defaults key a frame is saved under: "NSWindow Frame <name>".
    static QString defaultsKey(const QString& name);
    // Restores the frame saved under `name` and from then on saves it there whenever the
    // window moves or changes size. An empty name stops saving. Answers false when another
    // living window already uses the name.
    static bool setFrameAutosaveName(QWidget* window, const QString& name);
    static QString frameAutosaveName(const QWidget* window);
    static void saveFrameUsingName(const QWidget* window, const QString& name);
    static bool setFrameUsingName(QWidget* window, const QString& name);

private:
    WindowFrame() = delete;
};

} // namespace pf
