#include "automation/BindGlobals.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace orvexa;

TEST(BindGlobals, NamesIgnoreCaseAndTheNewerSpellingIsKept) {
    TBindGlobals store;
    store.Set(QStringLiteral("Count"), QStringLiteral("1"));
    EXPECT_EQ(store.Get(QStringLiteral("COUNT")), QStringLiteral("1"));
    store.Set(QStringLiteral("count"), QStringLiteral("2"));
    EXPECT_EQ(store.Lines(), QStringList{"count=2"});
    store.Set(QStringLiteral("Ärger"), QStringLiteral("x"));
    EXPECT_EQ(store.Get(QStringLiteral("ärger")), QStringLiteral("x"));
}

TEST(BindGlobals, EmptyValueRemovesAndValuesKeepTheirEquals) {
    TBindGlobals store;
    store.Set(QStringLiteral("a"), QStringLiteral("x=y=z"));
    EXPECT_EQ(store.Get(QStringLiteral("a")), QStringLiteral("x=y=z"));
    store.Set(QStringLiteral("a"), QString());
    EXPECT_TRUE(store.Lines().isEmpty());
    EXPECT_EQ(store.Get(QStringLiteral("a")), QString());
    store.Set(QStringLiteral("missing"), QString());  // removing nothing is fine
    EXPECT_TRUE(store.Lines().isEmpty());
}

TEST(BindGlobals, NameWithEqualsCannotBeFoundAgain) {
    TBindGlobals store;
    store.Set(QStringLiteral("a=b"), QStringLiteral("v"));
    store.Set(QStringLiteral("a=b"), QStringLiteral("w"));
    EXPECT_EQ(store.Lines(), (QStringList{"a=b=v", "a=b=w"}));
    EXPECT_EQ(store.Get(QStringLiteral("a=b")), QString());
    EXPECT_EQ(store.Get(QStringLiteral("a")), QStringLiteral("b=v"));
}

TEST(BindGlobals, EmptyNameIsAnOrdinaryName) {
    TBindGlobals store;
    store.Set(QString(), QStringLiteral("v"));
    EXPECT_EQ(store.Lines(), QStringList{"=v"});
    EXPECT_EQ(store.Get(QString()), QStringLiteral("v"));
    store.Clear();
    EXPECT_EQ(store.Get(QString()), QString());
}
