#include <gtest/gtest.h>

#include "ErrorText.h"
#include "fakes/MemoryRegistry.h"
#include "settings/SettingsStore.h"

namespace {

using fakes::MemoryRegistry;
using settings::SettingsStore;

const char kKey[] = "Software\\Quodo";
const char kDefaults[] = "Software\\Quodo\\Defaults";
constexpr unsigned kRegQword = 11;

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override { store.Open(); }
    void TearDown() override { store.Close(); }

    MemoryRegistry registry;
    SettingsStore store{"Quodo", &registry};
};

TEST_F(SettingsStoreTest, OpenCreatesTheProductKeyButNoSection) {
    EXPECT_EQ(store.KeyPath(), kKey);
    EXPECT_TRUE(registry.KeyExists(kKey));
    EXPECT_FALSE(registry.KeyExists(kDefaults));
    EXPECT_TRUE(store.IsOpen());
    store.Close();
    EXPECT_FALSE(store.IsOpen());
}

TEST_F(SettingsStoreTest, MissingSectionOrValueGivesTheDefault) {
    EXPECT_EQ(store.ReadInteger("Defaults", "MainTop", 10), 10);
    EXPECT_EQ(store.ReadInteger("Defaults", "MainTop", -3), -3);
    registry.PutDword(kDefaults, "Other", 1);
    EXPECT_EQ(store.ReadInteger("Defaults", "MainTop", 77), 77);
    EXPECT_TRUE(store.ReadFlag("Defaults", "Alarm Aan", true));
    EXPECT_FALSE(store.ReadFlag("Defaults", "Alarm Aan", false));
    EXPECT_FALSE(registry.KeyExists("Software\\Quodo\\Elders"));
    EXPECT_TRUE(registry.Changes().empty());
}

TEST_F(SettingsStoreTest, NumbersReadAsSigned32BitValues) {
    registry.PutDword(kDefaults, "Bovengrens", 612);
    registry.PutDword(kDefaults, "MainTop", static_cast<uint32_t>(-40));
    registry.PutDword(kDefaults, "Ondergrens", 2147483647u);
    registry.PutDword(kDefaults, "MainLeft", 0x80000000u);
    EXPECT_EQ(store.ReadInteger("Defaults", "Bovengrens", 550), 612);
    EXPECT_EQ(store.ReadInteger("Defaults", "MainTop", 10), -40);
    EXPECT_EQ(store.ReadInteger("Defaults", "Ondergrens", 400), 2147483647);
    EXPECT_EQ(store.ReadInteger("Defaults", "MainLeft", 10), INT32_MIN);
}

TEST_F(SettingsStoreTest, ValueNamesAndSectionsMatchWithoutRegardToCase) {
    registry.PutDword("Software\\Quodo\\defaults", "maintop", 33);
    EXPECT_EQ(store.ReadInteger("Defaults", "MainTop", 10), 33);
}

TEST_F(SettingsStoreTest, DecimalTextReadsAsItsNumberOtherTextAsTheDefault) {
    struct Case {
        const char* text;
        int32_t expected;
    };
    const Case cases[] = {
        {"612", 612},          {"-40", -40},        {"+7", 7},           {"0", 0},
        {"2147483647", 2147483647}, {"-2147483648", INT32_MIN}, {"007", 7},
        {"abc", 550},          {"", 550},           {"12abc", 550},      {" 12", 550},
        {"12 ", 550},          {"1.5", 550},        {"-", 550},          {"+", 550},
        {"2147483648", 550},   {"-2147483649", 550}, {"99999999999999999999", 550},
        {"$FF", 550},          {"0x10", 550},
    };
    for (const Case& c : cases) {
        registry.PutString(kDefaults, "Bovengrens", c.text);
        EXPECT_EQ(store.ReadInteger("Defaults", "Bovengrens", 550), c.expected) << '"' << c.text << '"';
    }
}

TEST_F(SettingsStoreTest, TextEndsAtAnEmbeddedZero) {
    registry.Put(kDefaults, "Bovengrens", platform::kRegSz, std::string("612\0junk", 8));
    EXPECT_EQ(store.ReadInteger("Defaults", "Bovengrens", 550), 612);
}

TEST_F(SettingsStoreTest, OtherKindsOfFourBytesOrLessAreAnInvalidDataType) {
    registry.Put(kDefaults, "Bovengrens", platform::kRegBinary, std::string("\x01\x02\x03\x04", 4));
    EXPECT_EQ(ErrorText([&] { store.ReadInteger("Defaults", "Bovengrens", 550); }),
              "Invalid data type for 'Bovengrens'");
    registry.Put(kDefaults, "Alarm Aan", platform::kRegExpandSz, "1");
    EXPECT_EQ(ErrorText([&] { store.ReadFlag("Defaults", "Alarm Aan", true); }),
              "Invalid data type for 'Alarm Aan'");
    registry.Put(kDefaults, "Leeg", platform::kRegBinary, "");
    EXPECT_EQ(ErrorText([&] { store.ReadInteger("Defaults", "Leeg", 0); }), "Invalid data type for 'Leeg'");
}

TEST_F(SettingsStoreTest, DataLongerThanFourBytesFailsToBeFetched) {
    registry.Put(kDefaults, "MainLeft", kRegQword, std::string(8, '\0'));
    EXPECT_EQ(ErrorText([&] { store.ReadInteger("Defaults", "MainLeft", 10); }),
              "Failed to get data for 'MainLeft'");
    registry.Put(kDefaults, "Bovengrens", platform::kRegBinary, "12345");
    EXPECT_EQ(ErrorText([&] { store.ReadInteger("Defaults", "Bovengrens", 550); }),
              "Failed to get data for 'Bovengrens'");
    registry.Put(kDefaults, "Geluid Aan", platform::kRegDword, std::string(8, '\x01'));
    EXPECT_EQ(ErrorText([&] { store.ReadFlag("Defaults", "Geluid Aan", true); }),
              "Failed to get data for 'Geluid Aan'");
}

TEST_F(SettingsStoreTest, ShortNumberDataIsTakenAsTheLowBytes) {
    registry.Put(kDefaults, "MainTop", platform::kRegDword, std::string("\x2c\x01", 2));
    EXPECT_EQ(store.ReadInteger("Defaults", "MainTop", 10), 300);
}

TEST_F(SettingsStoreTest, WriteIntegerCreatesTheSectionAndStoresANumber) {
    store.WriteInteger("Defaults", "MainTop", -40);
    EXPECT_EQ(registry.GetDword(kDefaults, "MainTop"), static_cast<uint32_t>(-40));
    EXPECT_EQ(store.ReadInteger("Defaults", "MainTop", 10), -40);
    store.WriteInteger("Defaults", "MainTop", 5);
    EXPECT_EQ(registry.GetDword(kDefaults, "MainTop"), 5u);
}

TEST_F(SettingsStoreTest, WriteIntegerKeepsTheTextKindOfAnExistingValue) {
    registry.PutString(kDefaults, "Bovengrens", "abc");
    store.WriteInteger("Defaults", "Bovengrens", 612);
    EXPECT_EQ(registry.GetString(kDefaults, "Bovengrens"), "612");
    store.WriteInteger("Defaults", "Bovengrens", -2147483647 - 1);
    EXPECT_EQ(registry.GetString(kDefaults, "Bovengrens"), "-2147483648");
    EXPECT_EQ(store.ReadInteger("Defaults", "Bovengrens", 550), INT32_MIN);
}

TEST_F(SettingsStoreTest, WriteIntegerReplacesOtherKindsByANumber) {
    registry.Put(kDefaults, "Bovengrens", platform::kRegBinary, "12345678");
    store.WriteInteger("Defaults", "Bovengrens", 612);
    EXPECT_EQ(registry.GetDword(kDefaults, "Bovengrens"), 612u);
}

TEST_F(SettingsStoreTest, FlagsReadThroughTheIntegerRead) {
    registry.PutString(kDefaults, "A", "1");
    registry.PutString(kDefaults, "B", "0");
    registry.PutDword(kDefaults, "C", 7);
    registry.PutDword(kDefaults, "D", 0);
    registry.PutString(kDefaults, "E", "ja");
    registry.PutString(kDefaults, "F", "-5");
    EXPECT_TRUE(store.ReadFlag("Defaults", "A", false));
    EXPECT_FALSE(store.ReadFlag("Defaults", "B", true));
    EXPECT_TRUE(store.ReadFlag("Defaults", "C", false));
    EXPECT_FALSE(store.ReadFlag("Defaults", "D", true));
    EXPECT_TRUE(store.ReadFlag("Defaults", "E", true));
    EXPECT_FALSE(store.ReadFlag("Defaults", "E", false));
    EXPECT_TRUE(store.ReadFlag("Defaults", "F", false));
}

TEST_F(SettingsStoreTest, WriteFlagStoresOneOrZeroAsTextWhateverTheKindBefore) {
    registry.PutDword(kDefaults, "Alarm Aan", 7);
    store.WriteFlag("Defaults", "Alarm Aan", true);
    EXPECT_EQ(registry.GetString(kDefaults, "Alarm Aan"), "1");
    store.WriteFlag("Defaults", "Alarm Aan", false);
    EXPECT_EQ(registry.GetString(kDefaults, "Alarm Aan"), "0");
    store.WriteFlag("Defaults", "Geluid Aan", false);
    EXPECT_EQ(registry.GetString(kDefaults, "Geluid Aan"), "0");
    EXPECT_FALSE(store.ReadFlag("Defaults", "Geluid Aan", true));
}

TEST_F(SettingsStoreTest, ARefusedSectionFailsWithTheSectionName) {
    registry.RefuseKeyCreation();
    EXPECT_EQ(ErrorText([&] { store.WriteInteger("Defaults", "MainTop", 1); }), "Failed to create key Defaults");
    EXPECT_EQ(ErrorText([&] { store.WriteFlag("Defaults", "Normale Modus", true); }),
              "Failed to create key Defaults");
    EXPECT_FALSE(registry.KeyExists(kDefaults));
}

TEST_F(SettingsStoreTest, ARefusedWriteFailsWithTheValueName) {
    registry.RefuseWrites();
    EXPECT_EQ(ErrorText([&] { store.WriteInteger("Defaults", "MainTop", 1); }), "Failed to set data for 'MainTop'");
    EXPECT_EQ(ErrorText([&] { store.WriteFlag("Defaults", "Normale Modus", true); }),
              "Failed to set data for 'Normale Modus'");
    registry.PutString(kDefaults, "Bovengrens", "5");
    EXPECT_EQ(ErrorText([&] { store.WriteInteger("Defaults", "Bovengrens", 6); }),
              "Failed to set data for 'Bovengrens'");
    EXPECT_EQ(registry.GetString(kDefaults, "Bovengrens"), "5");
}

TEST_F(SettingsStoreTest, RemoveDeletesAndIgnoresWhatIsMissing) {
    registry.PutDword(kDefaults, "Aantal minuten", 3);
    registry.PutDword(kDefaults, "Aantal seconden", 45);
    store.Remove("Defaults", "Aantal minuten");
    EXPECT_FALSE(registry.Get(kDefaults, "Aantal minuten"));
    EXPECT_EQ(registry.GetDword(kDefaults, "Aantal seconden"), 45u);
    EXPECT_EQ(ErrorText([&] { store.Remove("Defaults", "Aantal minuten"); }), "");
    EXPECT_EQ(ErrorText([&] { store.Remove("Elders", "Aantal minuten"); }), "");
    EXPECT_FALSE(registry.KeyExists("Software\\Quodo\\Elders"));
}

TEST(SettingsStoreKey, AKeyThatCannotBeCreatedLeavesReadsAtTheirDefaults) {
    MemoryRegistry registry;
    registry.RefuseKeyCreation();
    SettingsStore store("Quodo", &registry);
    EXPECT_FALSE(store.Open());
    EXPECT_EQ(store.ReadInteger("Defaults", "MainTop", 10), 10);
    EXPECT_EQ(ErrorText([&] { store.WriteInteger("Defaults", "MainTop", 1); }), "Failed to create key Defaults");
    store.Close();
}

TEST(SettingsStoreKey, TheKeyIsNamedAfterTheProduct) {
    MemoryRegistry registry;
    SettingsStore store("Ander", &registry);
    store.Open();
    store.WriteInteger("Defaults", "MainTop", 4);
    store.Close();
    EXPECT_EQ(registry.GetDword("Software\\Ander\\Defaults", "MainTop"), 4u);
    EXPECT_FALSE(registry.KeyExists(kKey));
}

TEST(SettingsStoreKey, WithoutAGivenRegistryTheInstalledOneIsUsed) {
    MemoryRegistry registry;
    platform::Services services = platform::Current();
    platform::Current().registry = &registry;
    SettingsStore store("Quodo");
    store.Open();
    store.WriteFlag("Defaults", "Normale Modus", false);
    store.Close();
    platform::Install(services);
    EXPECT_EQ(registry.GetString(kDefaults, "Normale Modus"), "0");
}

TEST(SettingsStoreKey, AClosedStoreRefusesUseAndABatchClosesOnEveryWayOut) {
    MemoryRegistry registry;
    registry.Put(kDefaults, "MainTop", platform::kRegBinary, "x");
    SettingsStore store("Quodo", &registry);
    EXPECT_THROW(store.ReadInteger("Defaults", "MainTop", 10), std::logic_error);
    EXPECT_EQ(ErrorText([&] {
                  settings::StoreBatch batch(store);
                  EXPECT_TRUE(store.IsOpen());
                  store.ReadInteger("Defaults", "MainTop", 10);
              }),
              "Invalid data type for 'MainTop'");
    EXPECT_FALSE(store.IsOpen());
}

}  // namespace
