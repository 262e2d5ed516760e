// The key store, real and fake, through the same cases: keys compared
// without regard to case and to stray backslashes, parents created with
// their children, values kept across instances, and a store that cannot be
// written.
#include "core/Exception.h"
#include "platform/fake/FakeKeyStore.h"
#include "platform/qt/QtKeyStore.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <functional>
#include <memory>

using namespace orvexa;
using namespace orvexa::platform;

namespace {

const QString kKey = QStringLiteral("\\Software\\Python\\PythonCore\\1.5\\PythonPath");

struct Backend {
    const char* name;
    std::function<std::unique_ptr<KeyStore>(const QString& file)> make;
};

class KeyStores : public ::testing::TestWithParam<Backend> {
protected:
    std::unique_ptr<KeyStore> Make() { return GetParam().make(dir.filePath(QStringLiteral("keys.ini"))); }
    QTemporaryDir dir;
};

TEST_P(KeyStores, AWrittenKeyExistsWithItsParents) {
    auto store = Make();
    EXPECT_FALSE(store->KeyExists(kKey));
    EXPECT_FALSE(store->KeyExists(QStringLiteral("\\Software")));
    store->WriteDefaultValue(kKey, QStringLiteral("/usr/lib/scripts"));
    EXPECT_TRUE(store->KeyExists(kKey));
    EXPECT_TRUE(store->KeyExists(QStringLiteral("\\Software\\Python\\PythonCore\\1.5")));
    EXPECT_TRUE(store->KeyExists(QStringLiteral("\\Software")));
    EXPECT_TRUE(store->KeyExists(QStringLiteral("\\")));
    EXPECT_FALSE(store->KeyExists(QStringLiteral("\\Software\\Python\\PythonCore\\1.6\\PythonPath")));
    EXPECT_FALSE(store->KeyExists(QStringLiteral("\\Software\\Pyth")));
}

TEST_P(KeyStores, KeysIgnoreLetterCaseAndStrayBackslashes) {
    auto store = Make();
    store->WriteDefaultValue(kKey, QStringLiteral("x"));
    EXPECT_TRUE(store->KeyExists(QStringLiteral("\\SOFTWARE\\python\\PythonCore\\1.5\\pythonpath")));
    EXPECT_TRUE(store->KeyExists(QStringLiteral("Software\\\\Python\\PythonCore\\1.5\\PythonPath\\")));
}

INSTANTIATE_TEST_SUITE_P(Backends, KeyStores,
                         ::testing::Values(Backend{"qt", [](const QString& file) { return CreateQtKeyStore(file); }},
                                           Backend{"fake",
                                                   [](const QString&) -> std::unique_ptr<KeyStore> {
                                                       return std::make_unique<FakeKeyStore>();
                                                   }}),
                         [](const ::testing::TestParamInfo<Backend>& param) { return std::string(param.param.name); });

TEST(QtKeyStore, ValuesAreKeptAcrossInstances) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("keys.ini"));
    CreateQtKeyStore(file)->WriteDefaultValue(kKey, QStringLiteral("/kept"));
    auto again = CreateQtKeyStore(file);
    EXPECT_TRUE(again->KeyExists(kKey));
    QFile ini(file);
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_TRUE(ini.readAll().contains("/kept"));
}

TEST(QtKeyStore, AStoreThatCannotBeWrittenThrows) {
    QTemporaryDir dir;
    // The store's file would live below a plain file: it cannot be created.
    QFile blocker(dir.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    auto store = CreateQtKeyStore(dir.filePath(QStringLiteral("blocker/keys.ini")));
    EXPECT_THROW(store->WriteDefaultValue(kKey, QStringLiteral("x")), Exception);
    EXPECT_FALSE(store->KeyExists(kKey));
}

TEST(FakeKeyStore, RecordsAndFailsOnRequest) {
    FakeKeyStore store;
    store.WriteDefaultValue(kKey, QStringLiteral("v"));
    EXPECT_EQ(store.DefaultValue(QStringLiteral("\\software\\python\\pythoncore\\1.5\\pythonpath")),
              QStringLiteral("v"));
    store.failWrites = true;
    EXPECT_THROW(store.WriteDefaultValue(QStringLiteral("\\Other"), QStringLiteral("w")), Exception);
    EXPECT_FALSE(store.KeyExists(QStringLiteral("\\Other")));
    EXPECT_EQ(store.writes, 2);
}

}  // namespace
