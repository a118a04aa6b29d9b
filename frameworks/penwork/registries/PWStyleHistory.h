#pragma once

#include "platform/foundation/Object.h"

#include <QList>
#include <QString>

class PWStyle;

// Posted with the history as object when a style becomes its current style.
inline const QString kStyleHistoryNewStyleNotification = QStringLiteral("kStyleHistoryNewStyleNotification");

// The styles lately chosen for new objects, the current one first. The tools palette and the
// library manager make a style current; the style editor shows the current style when told.
class PWStyleHistory : public pf::Object {
    PF_CLASS(PWStyleHistory)
public:
    static constexpr int kDefaultMaximumLength = 20;
    static constexpr int kMaxMaximumLength = 1000;

    PWStyleHistory() = default;

    // The shared history.
    static pf::Ref<PWStyleHistory> defaultHistory();
    // The default history's enterStyle and current style.
    static void setCurrentStyle(const pf::Ref<PWStyle>& style);
    static pf::Ref<PWStyle> currentStyle();

    // Makes `style` the current one (moving it to the front when it is already listed) and posts
    // kStyleHistoryNewStyleNotification; nothing happens for null or for the current style.
    // The oldest styles fall off beyond maximumLength.
    void enterStyle(const pf::Ref<PWStyle>& style);
    // The current style, or null while the history is empty.
    pf::Ref<PWStyle> latestStyle() const;
    // Most recent first.
    QList<pf::Ref<PWStyle>> styles() const { return m_styles; }
    int maximumLength() const { return m_maximumLength; }
    // 1 to kMaxMaximumLength (clamped); a shorter history drops its oldest styles.
    void setMaximumLength(int length);
    void removeAllStyles();

private:
    QList<pf::Ref<PWStyle>> m_styles;
    int m_maximumLength = kDefaultMaximumLength;
};
