#include "Core/Settings.h"
#include "Style/StylePolicy.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString raw(DictationStyle style)
{
    return DictationStyles::rawValue(style);
}

// The five category styles in the order of allCases, e.g. "formal,clean,clean,as_spoken,clean".
QString categories(const StylePolicy& policy)
{
    QStringList styles;
    for (const AppCategory category : AppCategories::allCases)
        styles.append(raw(policy.style(category)));
    return styles.join(',');
}

class StylePolicyStore : public testing::Test {
protected:
    StylePolicy load() const { return StylePolicy::load(Settings(path)); }
    void store(const QString& key, const QVariant& value) { Settings(path).setValue(key, value); }

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("settings.conf"));
};

const QString standardStyles = QStringLiteral("formal,clean,clean,as_spoken,clean");

}

TEST(StylePolicy, ChoosesAStyleForAnApplication)
{
    StylePolicy policy = StylePolicy::standard();
    const auto firefox = std::optional(QStringLiteral("org.mozilla.firefox"));
    const auto gmail = std::optional(QStringLiteral("Inbox - Gmail"));
    EXPECT_EQ(categories(policy), standardStyles);
    EXPECT_EQ(policy.style(firefox, gmail), DictationStyle::formal) << "the email style";
    EXPECT_EQ(policy.style(firefox, QStringLiteral("News")), DictationStyle::clean);
    EXPECT_EQ(policy.style(QStringLiteral("com.jetbrains.clion"), std::nullopt), DictationStyle::asSpoken);

    policy.set(DictationStyle::asSpoken, AppCategory::other);
    EXPECT_EQ(policy.style(std::nullopt, gmail), DictationStyle::asSpoken) << "no identifier is other";

    policy.byApp[*firefox] = DictationStyle::clean;
    EXPECT_EQ(policy.style(firefox, gmail), DictationStyle::clean) << "the application's own entry wins";

    StylePolicy sparse;
    EXPECT_EQ(categories(sparse), standardStyles) << "missing categories take the standard style";
}

TEST_F(StylePolicyStore, SkipsUnknownMembersOneByOne)
{
    store(QStringLiteral("stylePolicy"),
          QByteArray(
              R"({"categories":{"email":"casual","code":"clean","chat":"formal"},"apps":{"x":"clean","y":"loud"}})"));
    const StylePolicy policy = load();
    EXPECT_EQ(categories(policy), QStringLiteral("formal,clean,clean,clean,clean"));
    EXPECT_EQ(policy.byApp, (std::map<QString, DictationStyle>{{QStringLiteral("x"), DictationStyle::clean}}));
}

TEST_F(StylePolicyStore, MigratesWhileNoPolicyIsStoredAndKeepsTheOlderSettings)
{
    EXPECT_EQ(load(), StylePolicy::standard()) << "nothing stored at all";
    const std::tuple<QString, QVariant, QString> older[] = {
        {QStringLiteral("clean"), QVariant(), standardStyles},  // formal in mail by default
        {QStringLiteral("clean"), false, QStringLiteral("clean,clean,clean,as_spoken,clean")},
        {QStringLiteral("clean"), QStringLiteral("maybe"), standardStyles},  // not a Boolean: true
        {QStringLiteral("formal"), false, QStringLiteral("formal,formal,formal,as_spoken,formal")},
        {QStringLiteral("Formal"), false, standardStyles},
    };
    for (const auto& [style, formalInMail, expected] : older) {
        Settings(path).remove(QStringLiteral("formalInMail"));
        store(QStringLiteral("formatStyle"), style);
        if (formalInMail.isValid())
            store(QStringLiteral("formalInMail"), formalInMail);
        EXPECT_EQ(categories(load()), expected) << qPrintable(style) << ' ' << qPrintable(formalInMail.toString());
    }

    // An unreadable stored policy (no "apps", a mistyped style, no JSON) counts as absent.
    store(QStringLiteral("formatStyle"), QStringLiteral("as_spoken"));
    for (const char* unreadable : {R"({"categories":{}})", R"({"categories":{"email":1},"apps":{}})", "not json"}) {
        store(QStringLiteral("stylePolicy"), QByteArray(unreadable));
        EXPECT_EQ(categories(load()), QStringLiteral("as_spoken,as_spoken,as_spoken,as_spoken,as_spoken"))
            << unreadable;
    }

    Settings settings(path);
    StylePolicy::standard().save(settings);
    EXPECT_EQ(load(), StylePolicy::standard()) << "a saved policy outranks the older settings";
    EXPECT_TRUE(settings.contains(QStringLiteral("formatStyle")));
    EXPECT_TRUE(settings.contains(QStringLiteral("formalInMail")));
}
