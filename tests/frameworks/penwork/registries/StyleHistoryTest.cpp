#include "frameworks/penwork/registries/PWStyleHistory.h"
#include "frameworks/penwork/styles/PWStyle.h"
#include "platform/foundation/NotificationCenter.h"

#include <gtest/gtest.h>

namespace {

// Counts the history's new-style notifications while it lives.
struct NewStyleCounter {
    explicit NewStyleCounter(const pf::Reflective* history)
    {
        token = pf::NotificationCenter::defaultCenter().addObserver(kStyleHistoryNewStyleNotification, history,
                                                                    [this](const pf::Notification&) { ++count; });
    }
    ~NewStyleCounter() { pf::NotificationCenter::defaultCenter().removeObserver(token); }
    quint64 token = 0;
    int count = 0;
};

TEST(RegistriesStyleHistory, NewCurrentStylesArePostedAndTheListIsBounded)
{
    PWStyleHistory history;
    history.setMaximumLength(3);
    NewStyleCounter posted(&history);
    QList<pf::Ref<PWStyle>> styles;
    for (int i = 0; i < 4; ++i)
        styles.append(std::make_shared<PWStyle>());

    for (const auto& style : styles)
        history.enterStyle(style);
    EXPECT_EQ(posted.count, 4);
    EXPECT_EQ(history.styles(), (QList<pf::Ref<PWStyle>>{styles[3], styles[2], styles[1]}));

    // The current style again, or none: nothing new.
    history.enterStyle(styles[3]);
    history.enterStyle(nullptr);
    EXPECT_EQ(posted.count, 4);

    // An older style becomes current again: moved to the front, and posted.
    history.enterStyle(styles[1]);
    EXPECT_EQ(posted.count, 5);
    EXPECT_EQ(history.latestStyle(), styles[1]);
    EXPECT_EQ(history.styles(), (QList<pf::Ref<PWStyle>>{styles[1], styles[3], styles[2]}));

    history.setMaximumLength(1);
    EXPECT_EQ(history.styles(), QList<pf::Ref<PWStyle>>{styles[1]});
}

TEST(RegistriesStyleHistory, ClassSideActsOnTheDefaultHistory)
{
    auto history = PWStyleHistory::defaultHistory();
    ASSERT_EQ(history, PWStyleHistory::defaultHistory());
    NewStyleCounter posted(history.get());
    auto style = std::make_shared<PWStyle>();
    PWStyleHistory::staticClass().performClassMethod("setCurrentStyle:", {pf::toVariant(style)});
    EXPECT_EQ(posted.count, 1);
    EXPECT_EQ(PWStyleHistory::currentStyle(), style);
    EXPECT_EQ(history->latestStyle(), style);
    history->removeAllStyles();
    EXPECT_EQ(PWStyleHistory::currentStyle(), nullptr);
}

} // namespace
