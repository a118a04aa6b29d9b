#include "platform/graphics/SystemColor.h"

#include <QGuiApplication>
#include <QPalette>

namespace pf {

namespace {

struct Entry {
    const char* name;
    Color (*colour)();
};

Color role(QPalette::ColorRole role, QPalette::ColorGroup group = QPalette::Active)
{
    return Color(QGuiApplication::palette().color(group, role));
}

const QList<Entry>& entries()
{
    static const QList<Entry> table{
        {"windowBackgroundColor", SystemColor::windowBackground},
        {"windowFrameColor", SystemColor::windowFrame},
        {"underPageBackgroundColor", SystemColor::underPageBackground},
        {"controlColor", SystemColor::control},
        {"controlBackgroundColor", SystemColor::controlBackground},
        {"controlTextColor", SystemColor::controlText},
        {"disabledControlTextColor", SystemColor::disabledControlText},
        {"textColor", SystemColor::text},
        {"textBackgroundColor", SystemColor::textBackground},
        {"selectedTextColor", SystemColor::selectedText},
        {"selectedTextBackgroundColor", SystemColor::selectedTextBackground},
        {"selectedControlColor", SystemColor::selectedControl},
        {"selectedControlTextColor", SystemColor::selectedControlText},
        {"alternateSelectedControlColor", SystemColor::alternateSelectedControl},
        {"alternateSelectedControlTextColor", SystemColor::alternateSelectedControlText},
        {"secondarySelectedControlColor", SystemColor::secondarySelectedControl},
        {"currentControlTint", SystemColor::currentControlTint},
        {"keyboardFocusIndicatorColor", SystemColor::keyboardFocusIndicator},
        {"gridColor", SystemColor::grid},
        {"knobColor", SystemColor::knob},
        {"highlightColor", SystemColor::highlight},
        {"shadowColor", SystemColor::shadow},
    };
    return table;
}

} // namespace

Color SystemColor::windowBackground() { return role(QPalette::Window); }
Color SystemColor::windowFrame() { return role(QPalette::Dark); }
// A mid grey behind pages, darker than the window.
Color SystemColor::underPageBackground() { return role(QPalette::Mid); }
Color SystemColor::control() { return role(QPalette::Button); }
Color SystemColor::controlBackground() { return role(QPalette::Base); }
Color SystemColor::controlText() { return role(QPalette::ButtonText); }
Color SystemColor::disabledControlText() { return role(QPalette::ButtonText, QPalette::Disabled); }
Color SystemColor::text() { return role(QPalette::Text); }
Color SystemColor::textBackground() { return role(QPalette::Base); }
Color SystemColor::selectedText() { return role(QPalette::HighlightedText); }
Color SystemColor::selectedTextBackground() { return role(QPalette::Highlight); }
Color SystemColor::selectedControl() { return role(QPalette::Highlight); }
Color SystemColor::selectedControlText() { return role(QPalette::HighlightedText); }
Color SystemColor::alternateSelectedControl() { return role(QPalette::Highlight); }
Color SystemColor::alternateSelectedControlText() { return role(QPalette::HighlightedText); }

Color SystemColor::secondarySelectedControl()
{
    // The selection of a view that is not focused: the highlight faded towards the window.
    const Color active = role(QPalette::Highlight);
    const Color window = role(QPalette::Window);
    return Color(0.35 * active.redComponent() + 0.65 * window.redComponent(),
                 0.35 * active.greenComponent() + 0.65 * window.greenComponent(),
                 0.35 * active.blueComponent() + 0.65 * window.blueComponent());
}

Color SystemColor::currentControlTint() { return role(QPalette::Highlight); }
Color SystemColor::keyboardFocusIndicator() { return role(QPalette::Highlight); }
Color SystemColor::grid() { return role(QPalette::Midlight); }
Color SystemColor::knob() { return role(QPalette::Dark); }
Color SystemColor::highlight() { return role(QPalette::Light); }
Color SystemColor::shadow() { return role(QPalette::Shadow); }

QList<Color> SystemColor::alternatingContentBackgrounds()
{
    return {role(QPalette::Base), role(QPalette::AlternateBase)};
}

Color SystemColor::named(const QString& name)
{
    for (const Entry& entry : entries()) {
        if (name == QLatin1String(entry.name))
            return entry.colour();
    }
    return {};
}

QStringList SystemColor::names()
{
    QStringList names;
    for (const Entry& entry : entries())
        names.append(QLatin1String(entry.name));
    return names;
}

Color SystemColor::templateTint(TemplateState state)
{
    switch (state) {
    case TemplateState::Disabled:
        return disabledControlText();
    case TemplateState::Pressed:
        return controlText().shadowWithLevel(0.5);
    case TemplateState::On:
        return currentControlTint();
    case TemplateState::Normal:
        break;
    }
    return controlText();
}

} // namespace pf
