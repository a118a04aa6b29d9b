// Capitalising the first character of a string.
#include <gtest/gtest.h>

#include "frameworks/penwork/StringAdditions.h"

namespace {

TEST(StringAdditions, CapitalizesOnlyTheFirstCharacter)
{
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"", ""},
        {"lineWidth", "LineWidth"},
        {"x", "X"},
        {"Already", "Already"},
        {"aBC dEF", "ABC dEF"},
        {"1st", "1st"},
        {" space", " space"},
        {"élan", "Élan"},
        {"e\u0301clair", "E\u0301clair"},
        {"\U00010428x", "\U00010400x"}, // a Deseret letter outside the Basic Multilingual Plane
        {"\u00dfe", "SSe"},
        {"\U0001F600smile", "\U0001F600smile"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(pw::stringByCapitalizingFirstCharacter(QString::fromUtf8(c.text)), QString::fromUtf8(c.expected));
    }
    const QString lone = QString(QChar(0xD801)) + QStringLiteral("ab");
    EXPECT_EQ(pw::stringByCapitalizingFirstCharacter(lone), lone);
}

} // namespace
