// The settings store on the real registry: value kinds as the registry API sees them, and the
// messages for values of kinds the store cannot read.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>

#include "settings/StoredSettings.h"
#include "win32/Win32Registry.h"

namespace {

using namespace settings;

const char kKey[] = "Software\\Quodo";
const char kDefaults[] = "Software\\Quodo\\Defaults";

struct RawValue {
    DWORD type = 0;
    std::string data;
};

template <typename Action>
std::string ErrorText(Action action) {
    try {
        action();
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "";
}

bool KeyPresent(const char* path) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// Writes a value of any kind straight through the registry API.
void Plant(const char* name, DWORD type, const std::string& data) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kDefaults, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(data.data()),
                             static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

void PlantDword(const char* name, DWORD value) {
    Plant(name, REG_DWORD, std::string(reinterpret_cast<const char*>(&value), sizeof value));
}

void PlantText(const char* name, const std::string& text) { Plant(name, REG_SZ, text + '\0'); }

// Reads a value straight through the registry API; the data as stored, terminating zero included.
std::optional<RawValue> Raw(const char* name) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kDefaults, 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
    RawValue value;
    BYTE buffer[256];
    DWORD size = sizeof buffer;
    LONG result = RegQueryValueExA(key, name, nullptr, &value.type, buffer, &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) return std::nullopt;
    value.data.assign(reinterpret_cast<const char*>(buffer), size);
    return value;
}

std::optional<RawValue> Dword(DWORD number) {
    return RawValue{REG_DWORD, std::string(reinterpret_cast<const char*>(&number), sizeof number)};
}
std::optional<RawValue> Text(const std::string& text) { return RawValue{REG_SZ, text + '\0'}; }

bool operator==(const RawValue& a, const RawValue& b) { return a.type == b.type && a.data == b.data; }
std::ostream& operator<<(std::ostream& out, const RawValue& value) {
    out << "type " << value.type << ", " << value.data.size() << " bytes:";
    for (unsigned char c : value.data) out << ' ' << static_cast<int>(c);
    return out;
}

class RegistrySettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
        win32::InstallRegistry();
    }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, kKey); }

    SettingsStore store{"Quodo"};
};

TEST_F(RegistrySettingsTest, TheRegistryReportsKindsAndDataAsStored) {
    win32::Win32Registry registry;
    EXPECT_FALSE(registry.KeyExists(kDefaults));
    EXPECT_FALSE(registry.SetDword(kDefaults, "MainTop", 1));
    EXPECT_FALSE(registry.Query(kDefaults, "MainTop"));
    EXPECT_TRUE(registry.CreateKey(kDefaults));
    EXPECT_TRUE(registry.KeyExists(kKey));
    EXPECT_TRUE(registry.KeyExists(kDefaults));

    EXPECT_TRUE(registry.SetDword(kDefaults, "MainTop", 0xFFFFFFD8u));
    EXPECT_EQ(Raw("MainTop"), Dword(0xFFFFFFD8u));
    auto number = registry.Query(kDefaults, "maintop");
    ASSERT_TRUE(number);
    EXPECT_EQ(number->type, platform::kRegDword);
    EXPECT_EQ(number->data, std::string("\xD8\xFF\xFF\xFF", 4));

    EXPECT_TRUE(registry.SetString(kDefaults, "Bovengrens", "612"));
    EXPECT_EQ(Raw("Bovengrens"), Text("612"));
    auto text = registry.Query(kDefaults, "Bovengrens");
    ASSERT_TRUE(text);
    EXPECT_EQ(text->type, platform::kRegSz);
    EXPECT_EQ(text->data, "612");

    std::string long_data(1000, 'x');
    Plant("Lang", REG_BINARY, long_data);
    auto binary = registry.Query(kDefaults, "Lang");
    ASSERT_TRUE(binary);
    EXPECT_EQ(binary->type, platform::kRegBinary);
    EXPECT_EQ(binary->data, long_data);

    EXPECT_TRUE(registry.DeleteValue(kDefaults, "MainTop"));
    EXPECT_FALSE(Raw("MainTop"));
    EXPECT_FALSE(registry.DeleteValue(kDefaults, "MainTop"));
    EXPECT_FALSE(registry.Query(kDefaults, "MainTop"));
}

TEST_F(RegistrySettingsTest, AFirstRunGivesTheDefaultsAndCreatesOnlyTheKey) {
    MainWindowSettings main = LoadMainWindowSettings(store);
    EXPECT_EQ(main.top, 10);
    EXPECT_EQ(main.left, 10);
    EXPECT_TRUE(main.normalMode);
    DialogSettings dialog = LoadDialogSettings(store);
    EXPECT_TRUE(dialog.downloadOn);
    EXPECT_EQ(dialog.seconds, 30);
    EXPECT_TRUE(dialog.alarmOn);
    EXPECT_EQ(dialog.upperBound, 550);
    EXPECT_EQ(dialog.lowerBound, 400);
    EXPECT_TRUE(dialog.soundOn);
    EXPECT_TRUE(dialog.updatesOn);
    EXPECT_TRUE(dialog.normalMode);
    DialogPosition position = LoadDialogPosition(store, {1280, 1024}, {533, 306});
    EXPECT_EQ(position.top, 359);
    EXPECT_EQ(position.left, 373);
    EXPECT_TRUE(KeyPresent(kKey));
    EXPECT_FALSE(KeyPresent(kDefaults));
}

TEST_F(RegistrySettingsTest, IntegersAreNumbersAndFlagsAreOneOrZeroText) {
    DialogSettings saved;
    saved.downloadOn = false;
    saved.seconds = 45;
    saved.lowerBound = -2147483647 - 1;
    saved.normalMode = false;
    SaveDialogSettings(store, saved);
    SaveMainWindowPosition(store, -40, 1670);
    SaveDialogPosition(store, 120, 340);

    EXPECT_EQ(Raw("DownloadTimer Aan"), Text("0"));
    EXPECT_EQ(Raw("Aantal seconden"), Dword(45));
    EXPECT_EQ(Raw("Alarm Aan"), Text("1"));
    EXPECT_EQ(Raw("Bovengrens"), Dword(550));
    EXPECT_EQ(Raw("Ondergrens"), Dword(0x80000000u));
    EXPECT_EQ(Raw("Geluid Aan"), Text("1"));
    EXPECT_EQ(Raw("Updates Aan"), Text("1"));
    EXPECT_EQ(Raw("Normale Modus"), Text("0"));
    EXPECT_EQ(Raw("MainTop"), Dword(static_cast<DWORD>(-40)));
    EXPECT_EQ(Raw("ConfigLeft"), Dword(340));

    DialogSettings loaded = LoadDialogSettings(store);
    EXPECT_FALSE(loaded.downloadOn);
    EXPECT_EQ(loaded.seconds, 45);
    EXPECT_EQ(loaded.lowerBound, saved.lowerBound);
    EXPECT_FALSE(loaded.normalMode);
    EXPECT_EQ(LoadMainWindowSettings(store).top, -40);

    SaveWindowMode(store, true);
    EXPECT_EQ(Raw("Normale Modus"), Text("1"));
}

TEST_F(RegistrySettingsTest, TextValuesKeepTheirKindAndNumbersReadAsFlags) {
    PlantText("Bovengrens", "612");
    PlantText("Ondergrens", "abc");
    PlantDword("Geluid Aan", 7);
    PlantDword("Alarm Aan", 0);
    DialogSettings settings = LoadDialogSettings(store);
    EXPECT_EQ(settings.upperBound, 612);
    EXPECT_EQ(settings.lowerBound, 400);
    EXPECT_TRUE(settings.soundOn);
    EXPECT_FALSE(settings.alarmOn);

    SaveDialogSettings(store, settings);
    EXPECT_EQ(Raw("Bovengrens"), Text("612"));
    EXPECT_EQ(Raw("Ondergrens"), Text("400"));
    EXPECT_EQ(Raw("Geluid Aan"), Text("1"));
    EXPECT_EQ(Raw("Alarm Aan"), Text("0"));
}

TEST_F(RegistrySettingsTest, LegacyMinutesAreConvertedStoredAsSecondsAndRemoved) {
    PlantDword("Aantal minuten", 3);
    PlantDword("Aantal seconden", 45);
    EXPECT_EQ(LoadDialogSettings(store).seconds, 180);
    EXPECT_FALSE(Raw("Aantal minuten"));
    EXPECT_EQ(Raw("Aantal seconden"), Dword(180));
    EXPECT_EQ(LoadDialogSettings(store).seconds, 180);

    PlantDword("Aantal minuten", 20);
    EXPECT_EQ(LoadDialogSettings(store).seconds, 600);
    EXPECT_FALSE(Raw("Aantal minuten"));

    PlantDword("Aantal seconden", 5);
    EXPECT_EQ(LoadDialogSettings(store).seconds, 10);
    PlantDword("Aantal seconden", 1000);
    EXPECT_EQ(LoadDialogSettings(store).seconds, 600);
}

TEST_F(RegistrySettingsTest, ValuesOfOtherKindsFailWithTheirName) {
    Plant("Bovengrens", REG_BINARY, std::string("\x01\x02", 2));
    EXPECT_EQ(ErrorText([&] { LoadDialogSettings(store); }), "Invalid data type for 'Bovengrens'");

    Plant("Bovengrens", REG_BINARY, std::string(16, '\x01'));
    EXPECT_EQ(ErrorText([&] { LoadDialogSettings(store); }), "Failed to get data for 'Bovengrens'");

    Plant("MainLeft", REG_QWORD, std::string(8, '\0'));
    EXPECT_EQ(ErrorText([&] { LoadMainWindowSettings(store); }), "Failed to get data for 'MainLeft'");

    Plant("Normale Modus", REG_EXPAND_SZ, std::string("1\0", 2));
    EXPECT_EQ(ErrorText([&] { SettingsStore probe("Quodo");
                              StoreBatch batch(probe);
                              probe.ReadFlag("Defaults", "Normale Modus", true); }),
              "Invalid data type for 'Normale Modus'");
    EXPECT_FALSE(store.IsOpen());
}

TEST_F(RegistrySettingsTest, RefusalsOfTheRegistryFailWithTheirName) {
    // The registry refuses key names longer than 255 characters and value names longer than
    // 16383 characters.
    const std::string longSection(300, 's');
    const std::string longName(20000, 'n');
    StoreBatch batch(store);
    EXPECT_EQ(ErrorText([&] { store.WriteInteger(longSection, "MainTop", 1); }),
              "Failed to create key " + longSection);
    EXPECT_EQ(ErrorText([&] { store.WriteFlag("Defaults", longName, true); }),
              "Failed to set data for '" + longName + "'");
}

}  // namespace
